#include "CustomCode/Common/cmSpinGuard.h"

#include <thread>

namespace {

inline void CpuRelax()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

}  // namespace

void cmSpinGuard::EnterContended()
{
    // Spin while the holder is likely running; after that, give the
    // processor away on every look so that a preempted holder can finish.
    constexpr int kSpins = 100;
    for (int n = 0;; ++n) {
        while (m_taken.load(std::memory_order_relaxed)) {
            if (n < kSpins) {
                CpuRelax();
                ++n;
            } else {
                std::this_thread::yield();
            }
        }
        if (!m_taken.exchange(true, std::memory_order_acquire))
            return;
    }
}
