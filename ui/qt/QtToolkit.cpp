#include "ui/qt/QtToolkit.h"

#include "platform/user32/DisplayProbe.h"
#include "ui/CDialog.h"
#include "ui/qt/QtDialogWindow.h"
#include "ui/qt/QtDisplayWatch.h"
#include "ui/qt/QtSkinText.h"
#include "ui/qt/QtThreadLoop.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QByteArray>

namespace {

int g_argc = 1;
char g_arg0[] = "Notifier";
char* g_argv[] = {g_arg0, nullptr};

}  // namespace

QtToolkit::QtToolkit() = default;

QtToolkit::~QtToolkit() = default;

bool QtToolkit::DisplayReachable()
{
    const QByteArray name = qgetenv("QT_QPA_PLATFORM").toLower();
    for (const char* serverless : {"offscreen", "minimal", "vnc", "linuxfb", "eglfs", "vkkhrdisplay"})
        if (name.startsWith(serverless))
            return true;
    if (name.startsWith("wayland"))
        return platform::CanReachWaylandDisplay();
    return platform::CanReachX11Display();
}

bool QtToolkit::Start()
{
    if (m_started)
        return true;
    QtDisplayWatch::Install();
    if (QApplication::instance() == nullptr) {
        // Qt ends the process when its platform cannot connect: ask first.
        if (!DisplayReachable())
            return false;
        // The display may still go between the question and Qt's connection.
        QtDisplayWatch::SetStarting(true);
        m_ownApp = std::make_unique<QApplication>(g_argc, g_argv);
        QtDisplayWatch::SetStarting(false);
        QApplication::setQuitOnLastWindowClosed(false);
    }
    m_loop = std::make_unique<QtThreadLoop>();
    m_started = true;
    return true;
}

std::unique_ptr<IDialogView> QtToolkit::CreateView(CDialog& dialog, IDialogView* owner)
{
    if (!m_started)
        return nullptr;
    auto* ownerWindow = dynamic_cast<QtDialogWindow*>(owner);
    return std::make_unique<QtDialogWindow>(dialog, ownerWindow);
}

void QtToolkit::RunModalLoop(CDialog& dialog)
{
    while (!dialog.IsEnded())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void QtToolkit::WakeUp()
{
    if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance())
        d->wakeUp();
}

CTextExtent QtToolkit::MeasureText(const std::string& utf8, const CFontDesc& font, int width, UINT format)
{
    return m_started ? MeasureQtText(utf8, font, width, format) : CTextExtent{};
}

// The module's entry: one toolkit for the process, never destroyed (Qt
// cannot be restarted or unloaded safely).
extern "C" __attribute__((visibility("default"))) IGuiToolkit* NotifierGuiToolkit()
{
    static QtToolkit* toolkit = new QtToolkit;
    return toolkit;
}
