// QtThreadLoop: lets Qt drive the main thread's messages, timers and window
// sockets (platform/user32/ThreadLoop.h). While Qt's loop is on top, a socket
// notifier per descriptor dispatches what is pending; while our own code
// waits with message pumping (the installer wait, a modal wait), the wait
// runs a nested Qt loop until one of its descriptors is readable, so the
// windows stay alive.
#pragma once

#include "platform/user32/ThreadLoop.h"

#include <QObject>
#include <QSocketNotifier>
#include <memory>
#include <vector>

class QtThreadLoop : public QObject, public platform::ThreadLoopDriver {
public:
    QtThreadLoop();
    ~QtThreadLoop() override;

    bool WaitForDescriptors(const std::vector<int>& fds, DWORD timeoutMs) override;

private:
    void Rewatch();
    void Dispatch();
    void SetWatching(bool on);

    std::vector<std::unique_ptr<QSocketNotifier>> m_notifiers;
    int m_nestedWaits = 0;
};
