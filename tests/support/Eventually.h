// Eventually: a test's wait for a condition that another thread or process
// makes true. It looks again every millisecond and returns as soon as the
// condition holds; the minute is only a safety net, after which the caller
// fails with a message that names what it waited for.
#pragma once

#include <chrono>
#include <thread>

namespace testsupport {

template <class Condition>
bool Eventually(Condition condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace testsupport
