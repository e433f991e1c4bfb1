// ThreadLoop: how an outside event loop (the GUI toolkit's) drives a
// thread's messages, timers and window sockets.
//
// Each thread's message machinery lives on file descriptors that are
// readable exactly while something waits (level-triggered): posted
// messages, messages sent from other threads or processes, the thread's next
// due timer, and the sockets of its top-level windows. Two ways to let
// another loop run them:
//
// 1. The outside loop is on top (for example Qt's exec on the main thread).
//    It watches Descriptors() for reading (a QSocketNotifier each) and calls
//    DispatchPending() whenever one is readable; that serves sent messages,
//    dispatches every posted message and due timer, and reports WM_QUIT.
//    The set changes when top-level windows come and go; the callback given
//    to SetDescriptorsChangedCallback is then called on this thread, and the
//    adapter re-reads Descriptors().
//
// 2. Our code waits (MsgWaitForMultipleObjects(Ex), GetMessageA,
//    WaitMessage, and with them every pumping wait above this layer). With a
//    driver installed on the thread, those calls do not block in poll()
//    themselves: they hand their descriptors to the driver's
//    WaitForDescriptors, which runs the outside loop (for example a nested
//    QEventLoop with a notifier per descriptor and a timer for the time-out)
//    until one is readable or the time is up. Dialogs stay alive while the
//    installer wait or a modal wait runs, whichever loop is on top. The
//    driver may be entered again from within itself (a nested wait in a
//    slot); it must allow that. Plain waits (WaitForSingleObject and
//    friends) never use the driver: they do not pump on Windows either.
//
// Queued calls (QueueUserAPC) are not part of this: they run only in
// alertable waits, as on Windows.
//
// All functions act on the calling thread; a thread's queue is made on the
// first call.
#pragma once

#include "platform/kernel32/WinTypes.h"

#include <functional>
#include <vector>

namespace platform {

class ThreadLoopDriver {
public:
    virtual ~ThreadLoopDriver() = default;
    // Runs the outside loop until one of fds is readable (true) or timeoutMs
    // milliseconds have passed (false; 0xFFFFFFFF: no limit).
    virtual bool WaitForDescriptors(const std::vector<int>& fds, DWORD timeoutMs) = 0;
};

class ThreadLoop {
public:
    // The descriptors to watch for reading.
    static std::vector<int> Descriptors();
    static void SetDescriptorsChangedCallback(std::function<void()> callback);

    // Serves and dispatches everything pending. False when WM_QUIT was taken;
    // its exit code is then in *exitCode (when not null).
    static bool DispatchPending(int* exitCode);

    // Installs (or with null removes) the calling thread's driver. The driver
    // must outlive its installation.
    static void SetDriver(ThreadLoopDriver* driver);
    static ThreadLoopDriver* Driver();
};

namespace detail {

// Blocks until one of fds is readable or timeoutMs passes (0xFFFFFFFF: no
// limit); through the thread's driver when useDriver is set and one is
// installed. Negative entries are ignored. True when something is readable.
bool WaitReadable(const std::vector<int>& fds, DWORD timeoutMs, bool useDriver);

}  // namespace detail

}  // namespace platform
