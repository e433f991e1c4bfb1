// QtToolkit: Qt 6 Widgets behind the dialogs. Started on the first dialog
// that must become visible; from then on Qt also drives the main thread's
// messages (QtThreadLoop).
#pragma once

#include "ui/DialogView.h"

#include <memory>

class QApplication;
class QtThreadLoop;

class QtToolkit : public IGuiToolkit {
public:
    QtToolkit();
    ~QtToolkit() override;

    bool Start() override;
    std::unique_ptr<IDialogView> CreateView(CDialog& dialog, IDialogView* owner) override;
    void RunModalLoop(CDialog& dialog) override;
    void WakeUp() override;
    CTextExtent MeasureText(const std::string& utf8, const CFontDesc& font, int width, UINT format) override;

    // Whether a display for Qt's platform plug-in can be reached: offscreen
    // and the other server-less plug-ins always, xcb when the X server
    // answers, wayland when the compositor does.
    static bool DisplayReachable();

private:
    std::unique_ptr<QApplication> m_ownApp;
    std::unique_ptr<QtThreadLoop> m_loop;
    bool m_started = false;
};
