#include "ui/qt/QtThreadLoop.h"

#include <QEventLoop>
#include <QTimer>

QtThreadLoop::QtThreadLoop()
{
    platform::ThreadLoop::SetDescriptorsChangedCallback([this] { Rewatch(); });
    platform::ThreadLoop::SetDriver(this);
    Rewatch();
}

QtThreadLoop::~QtThreadLoop()
{
    platform::ThreadLoop::SetDriver(nullptr);
    platform::ThreadLoop::SetDescriptorsChangedCallback(nullptr);
}

void QtThreadLoop::Rewatch()
{
    m_notifiers.clear();
    for (int fd : platform::ThreadLoop::Descriptors()) {
        if (fd < 0)
            continue;
        auto n = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(n.get(), &QSocketNotifier::activated, this, [this] { Dispatch(); });
        n->setEnabled(m_nestedWaits == 0);
        m_notifiers.push_back(std::move(n));
    }
}

void QtThreadLoop::SetWatching(bool on)
{
    for (auto& n : m_notifiers)
        n->setEnabled(on);
}

void QtThreadLoop::Dispatch()
{
    // WM_QUIT is left to whoever runs a message loop of its own; the dialogs
    // end through their own results.
    platform::ThreadLoop::DispatchPending(nullptr);
}

bool QtThreadLoop::WaitForDescriptors(const std::vector<int>& fds, DWORD timeoutMs)
{
    // The waiting code takes its messages itself: the top-level notifiers
    // rest while it waits.
    ++m_nestedWaits;
    SetWatching(false);
    QEventLoop loop;
    bool readable = false;
    std::vector<std::unique_ptr<QSocketNotifier>> watch;
    for (int fd : fds) {
        if (fd < 0)
            continue;
        auto n = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(n.get(), &QSocketNotifier::activated, &loop, [&loop, &readable] {
            readable = true;
            loop.quit();
        });
        watch.push_back(std::move(n));
    }
    QTimer timer;
    if (timeoutMs != 0xFFFFFFFFu) {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(static_cast<int>(timeoutMs > 0x7FFFFFFFu ? 0x7FFFFFFFu : timeoutMs));
    }
    if (timeoutMs == 0)
        loop.processEvents(QEventLoop::AllEvents);  // a look, no waiting
    else
        loop.exec();
    watch.clear();
    if (--m_nestedWaits == 0)
        SetWatching(true);
    return readable;
}
