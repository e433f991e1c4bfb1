// Whether another thread of this process has gone to sleep, for the tests
// that wake a blocked thread: they wait for that (the event they mean), not
// for a fixed time, before they post, set or queue what wakes it. A thread
// sleeps (state 'S' in /proc) while it waits in poll, on a futex or in a
// timed sleep; the wait functions under test block in poll.
#pragma once

#include "tests/support/Eventually.h"

#include <fstream>
#include <iterator>
#include <string>

namespace testsupport {

inline bool IsThreadAsleep(unsigned long threadId)
{
    std::ifstream in("/proc/self/task/" + std::to_string(threadId) + "/stat");
    const std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // "tid (name) S ...": the name may hold blanks and parentheses.
    const std::size_t close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'S';
}

// Waits until the thread sleeps; false when it did not within the safety net.
inline bool WaitUntilAsleep(unsigned long threadId)
{
    return Eventually([threadId] { return IsThreadAsleep(threadId); });
}

}  // namespace testsupport
