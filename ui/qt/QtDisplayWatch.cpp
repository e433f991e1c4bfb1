#include "ui/qt/QtDisplayWatch.h"

#include "platform/user32/DisplayProbe.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QString>
#include <QtGlobal>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

// Qt's message handler is one per process: so are these.
QtMessageHandler g_previous = nullptr;
std::atomic<bool> g_starting{false};

bool DisplayConnectionBroken(const QString& message)
{
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        return x11 != nullptr && platform::X11ConnectionBroken(x11->connection());
    }
    // The Wayland platform has no such question in this Qt; it says so.
    return message.contains(QLatin1String("Wayland connection broke"));
}

[[noreturn]] void EndWithoutDisplay()
{
    std::fputs("Notifier: the display is gone; ending.\n", stderr);
    std::fflush(stderr);
    std::_Exit(0);
}

void OnQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (g_previous != nullptr)
        g_previous(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    if (type == QtFatalMsg && g_starting.load())
        EndWithoutDisplay();
    if ((type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg) && DisplayConnectionBroken(message))
        EndWithoutDisplay();
}

}  // namespace

void QtDisplayWatch::Install()
{
    static std::once_flag once;
    std::call_once(once, [] { g_previous = qInstallMessageHandler(&OnQtMessage); });
}

void QtDisplayWatch::SetStarting(bool starting) { g_starting.store(starting); }
