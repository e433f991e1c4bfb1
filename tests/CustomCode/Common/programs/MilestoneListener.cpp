// milestone_listener [NAME...]: a hidden top-level window that hears the
// installer's milestone message, as the notifier's listener does, for tests
// that run it as another user. It first registers the NAMEs given, so that
// its session's id for the milestone message differs from a fresh
// session's. It prints "ready" once its window is up, then "<milestone>
// <status>" for every milestone, and ends after milestone 200, or with exit
// status 1 when none came within 60 seconds.
#include "CustomCode/Common/cmSetupMilestone.h"
#include "CustomCode/Common/cmWaitForEvents.h"
#include "CustomCode/Common/cmWindow.h"
#include "platform/kernel32/Event.h"
#include "platform/kernel32/KernelObject.h"

#include <cstdio>

namespace {

class Listener : public cmWindow {
public:
    explicit Listener(HANDLE hDone) : m_hDone(hDone), m_uMsg(RegisterWindowMessageA(szSetupMilestoneMessage)) {}

protected:
    LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (uMsg == m_uMsg) {
            std::printf("%lu %ld\n", static_cast<unsigned long>(wParam), static_cast<long>(lParam));
            std::fflush(stdout);
            if (wParam == GLM_MILESTONE_COMPLETED)
                SetEvent(m_hDone);
        }
        return 0;
    }

private:
    HANDLE m_hDone;
    UINT m_uMsg;
};

}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        RegisterWindowMessageA(argv[i]);
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Listener listener(done);
    if (!listener.Create(0, 0)) {
        std::fprintf(stderr, "milestone_listener: no window\n");
        return 2;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    cmWaitForEvents wait;
    const int got = wait.WaitOne(done, 60000, true);
    CloseHandle(done);
    return got == 0 ? 0 : 1;
}
