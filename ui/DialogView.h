// The seam between the dialogs and the GUI toolkit. Dialog logic lives in
// CDialog and its derived classes, which hold the dialog's state (texts,
// geometry in pixels, visibility, focus) and know nothing of the toolkit; a
// view shows that state in real windows and reports the user's actions back.
// The toolkit lives in a module of its own that is loaded the first time a
// dialog must become visible (CGuiModule).
#pragma once

#include "platform/gdi32/DeviceContext.h"
#include "platform/kernel32/WinTypes.h"
#include "platform/user32/WinUser.h"
#include "ui/CDialogTemplate.h"
#include "ui/DialogCanvas.h"
#include "ui/rtf/RtfDocument.h"

#include <memory>
#include <string>

class CDialog;

// One dialog's window. Geometry is in logical pixels of 96 dots per inch;
// the toolkit scales it for the screen.
class IDialogView {
public:
    virtual ~IDialogView() = default;
    virtual void SetCaption(const std::string& text) = 0;
    virtual void SetControlText(WORD id, const std::string& text) = 0;
    virtual void SetControlGeometry(WORD id, const CDialogRect& rect) = 0;  // client coordinates
    virtual void SetControlVisible(WORD id, bool visible) = 0;
    // Replaces the whole content of a rich-edit control.
    virtual void SetControlRichText(WORD id, const RtfDocument& document) = 0;
    // The outer rectangle in screen coordinates, and the client area's size
    // and offset inside it (the window paints its frame itself).
    virtual void SetWindowGeometry(const CDialogRect& outer, const CDialogRect& client) = 0;
    // Places the window in the middle of the screen; gives the new outer
    // rectangle.
    virtual CDialogRect Centre(const CDialogRect& outer) = 0;
    virtual void Show(bool visible) = 0;
    virtual void SetFocusControl(WORD id) = 0;
    virtual void SetIcon(const platform::PixelImage* image) = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual void Repaint() = 0;
    virtual void RepaintControl(WORD id) = 0;
    // The frame and caption (WM_NCPAINT).
    virtual void RepaintFrame() = 0;
    // Carries out a system command the dialog let through: SC_MOVE and
    // SC_SIZE with the window system's own move and resize, SC_MINIMIZE,
    // SC_MAXIMIZE, SC_RESTORE; the others have nothing to do here.
    virtual void DefaultSysCommand(UINT nID) = 0;
};

class IGuiToolkit {
public:
    virtual ~IGuiToolkit() = default;
    // Starts the toolkit on the calling thread (once); false when no display
    // can be reached. The toolkit then also drives the thread's messages.
    virtual bool Start() = 0;
    // The window for dialog, owned by owner's window (null: none).
    virtual std::unique_ptr<IDialogView> CreateView(CDialog& dialog, IDialogView* owner) = 0;
    // Runs the toolkit's loop until dialog.IsEnded().
    virtual void RunModalLoop(CDialog& dialog) = 0;
    // Makes a running modal loop look at its dialog again.
    virtual void WakeUp() = 0;
    // The size text takes in a font (DrawText formats as IDialogCanvas has
    // them; wrapped at width with DT_WORDBREAK).
    virtual CTextExtent MeasureText(const std::string& utf8, const CFontDesc& font, int width, UINT format) = 0;
};

// The entry the toolkit module exports.
using NotifierGuiToolkitEntry = IGuiToolkit* (*)();
#define NOTIFIER_GUI_TOOLKIT_ENTRY "NotifierGuiToolkit"
