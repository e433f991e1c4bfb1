// CDialog: the framework's modal dialog. It builds the dialog from its
// template resource, runs the derived class's initialisation, and only then,
// when the dialog has not already ended, asks the GUI toolkit for a window
// and runs the modal loop. So a dialog that ends while it initialises never
// starts the toolkit.
//
// The dialog keeps its own state (texts, control geometry in pixels, window
// rectangle, visibility, focus) and mirrors every change to its view when
// one exists; the view reports clicks and keys through the View* entries,
// which route them as the window messages would: commands to OnCommand,
// Escape to IDCANCEL, Enter to the focused push button or the default one,
// a close request to OnSysCommand(SC_CLOSE).
//
// The window is frameless: the dialog paints its own frame and caption
// (OnNcPaint) and answers the hit test and presses on them (OnNcHitTest,
// OnNcLButtonDown) as the system's non-client handling does, so the window
// is exactly the outer size the layout gives. A system command the dialog
// lets through (moving, sizing, minimising ...) is carried out by the view
// with the window system's own means.
#pragma once

#include "platform/gdi32/DeviceContext.h"
#include "platform/kernel32/WinTypes.h"
#include "platform/riched/RichEdit.h"
#include "platform/user32/WinUser.h"
#include "ui/CDialogTemplate.h"
#include "ui/CWindowFrame.h"
#include "ui/DialogCanvas.h"
#include "ui/DialogView.h"
#include "ui/rtf/RtfDocument.h"

#include <memory>
#include <string>
#include <vector>

struct CDialogControl {
    WORD id = 0;
    WORD classAtom = 0;  // CDialogTemplate::kButton, kEdit, kStatic, or 0
    std::string className;  // with classAtom 0: the window class ("RICHEDIT" ...)
    DWORD style = 0;
    DWORD exStyle = 0;
    CDialogRect rect;  // client coordinates, pixels
    std::string text;  // UTF-8
    bool visible = false;
    std::shared_ptr<const RtfDocument> richText;  // a rich-edit control's content
    bool hasBackground = false;  // EM_SETBKGNDCOLOR was sent
    COLORREF background = 0;
    const CFontDesc* font = nullptr;  // WM_SETFONT; null: the dialog font

    // The window class: "Button", "Edit", "Static", "ListBox", "ScrollBar",
    // "ComboBox" for the predefined atoms, else the template's name.
    std::string ClassName() const;
    bool IsPushButton() const;
    bool IsRichEdit() const;
    bool IsDefaultButton() const;
};

class CSkinControl;

class CDialog {
public:
    // Every template font is shown as this family, at the template's point
    // size on a 96 dots-per-inch surface.
    static constexpr const char* kFontFamily = "DejaVu Sans";

    explicit CDialog(UINT nIDTemplate);
    // A dialog built from a template in memory (a message box).
    explicit CDialog(const CDialogTemplate& dialogTemplate);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // The value given to EndDialog; -1 when the template cannot be loaded or
    // the window cannot be created.
    virtual int DoModal();
    void EndDialog(int nResult);
    bool IsEnded() const { return m_bEnded; }

    // Window operations (the framework's CWnd calls the dialogs use).
    void SetWindowText(const char* szText);
    std::string GetWindowText() const { return m_caption; }
    bool SetDlgItemText(int id, const char* szText);
    std::string GetDlgItemText(int id) const;
    const CDialogControl* GetDlgItem(int id) const;
    // EM_STREAMIN: the rich-edit control pulls its new content through the
    // callback, kRichEditStreamRequest bytes a request, until the callback
    // gives 0 bytes or an error (kept in es.dwError); SF_RTF reads the bytes
    // as RTF, SF_TEXT as plain text. The number of bytes read.
    LONG StreamIn(int id, UINT format, EDITSTREAM& es);
    // Moves a control to x, y of the client area, keeping its size.
    bool MoveDlgItem(int id, int x, int y);
    // Gives a control a new client rectangle.
    bool SetDlgItemRect(int id, const CDialogRect& rect);
    bool ModifyDlgItemStyleEx(int id, DWORD dwRemove, DWORD dwAdd);
    // EM_SETBKGNDCOLOR of a rich-edit control.
    bool SetDlgItemBackground(int id, COLORREF colour);
    // WM_SETFONT: the control's text in that font (which must outlive the
    // dialog), null for the dialog font.
    bool SetDlgItemFont(int id, const CFontDesc* font);
    // The outer rectangle, screen coordinates.
    void SetWindowPos(int x, int y, int cx, int cy);
    CDialogRect GetWindowRect() const { return m_window; }
    // The client area's size, and in x, y its offset inside the window.
    CDialogRect GetClientRect() const;
    // The frame of the dialog's style: its border and caption.
    CWindowFrame Frame() const { return CWindowFrame::ForStyle(m_style); }
    // Whether the window is the active one (the last WM_NCACTIVATE).
    bool IsActive() const { return m_bActive; }
    bool IsIconic() const { return m_bMinimised; }
    bool IsZoomed() const { return m_bMaximised; }
    // WM_SYSCOMMAND: OnSysCommand decides; a command it lets through to the
    // default handling is carried out by the view.
    void SendSysCommand(UINT nID, LPARAM lParam = 0);
    void CenterWindow();
    void ShowWindow(int nCmdShow);
    bool IsWindowVisible() const { return m_bVisible; }
    void GotoDlgCtrl(int id);
    int GetFocusId() const { return m_focusId; }
    void SetIcon(HICON hIcon, BOOL bBigIcon);
    HICON GetIcon(BOOL bBigIcon) const { return bBigIcon ? m_hBigIcon : m_hSmallIcon; }
    DWORD GetStyle() const { return m_style; }
    void ModifyStyle(DWORD dwRemove, DWORD dwAdd);
    void Invalidate();
    // The dots per inch of the dialog's paint surface.
    int LogPixels(int index) const;
    const CDialogBaseUnits& BaseUnits() const { return m_baseUnits; }
    int FontPixelSize() const { return m_fontPixels; }
    // The dialog font as the canvas draws it.
    const CFontDesc& DialogFont() const { return m_font; }
    const std::vector<CDialogControl>& Controls() const { return m_controls; }
    UINT TemplateId() const { return m_nIDTemplate; }

    // The view's reports.
    void ViewCommand(int id);
    void ViewEscape();
    void ViewEnter();
    void ViewCloseRequest();
    // The window system moved the window (a drag the window manager made,
    // SC_MOVE); false when the dialog swallows the command and the window
    // must go back where it was. Let through, the window's place is x, y.
    bool ViewMoveRequest(int x, int y);
    void ViewPaint(HDC hdc);
    void ViewFocus(int id);
    // The non-client area: the hit code of a point (screen coordinates), a
    // press of the left button there, the frame's painting, activation.
    int ViewNcHitTest(POINT pt);
    void ViewNcLButtonDown(POINT pt);
    void ViewNcPaint(IDialogCanvas& canvas);
    void ViewNcActivate(bool active);
    // The window went minimised, maximised or back to normal.
    void ViewWindowState(bool minimised, bool maximised);
    // The client background, painted before the client area and controls.
    void ViewEraseBackground(IDialogCanvas& canvas);
    // TTN_NEEDTEXT for a control: its tooltip, empty for none.
    std::string ViewToolTipText(int id);
    // The window has painted itself and its controls.
    void ViewPainted() { OnWindowPainted(); }
    // The wrapper that skins a control, or null when the control paints as
    // the toolkit's own.
    virtual CSkinControl* SkinControl(int id) const;
    IDialogView* View() const { return m_view.get(); }

    // The dialog that runs modally on top on this thread, or null.
    static CDialog* ActiveDialog();

protected:
    // Called once the dialog's state is built from the template; TRUE.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange() {}
    virtual void OnOK();      // EndDialog(IDOK)
    virtual void OnCancel();  // EndDialog(IDCANCEL)
    // A button's command; true when the dialog handled it. The base maps
    // IDOK and IDCANCEL to OnOK and OnCancel.
    virtual bool OnCommand(UINT id);
    // A system command; the base closes the dialog on SC_CLOSE as a dialog
    // box does (IDCANCEL) and lets the others (moving ...) take place.
    virtual void OnSysCommand(UINT nID, LPARAM lParam);
    virtual void OnPaint(HDC hdc);
    // WM_ERASEBKGND: the base fills the client area with the face colour.
    virtual void OnEraseBkgnd(IDialogCanvas& canvas);
    // WM_NCPAINT: the base paints a plain frame and caption with the title.
    virtual void OnNcPaint(IDialogCanvas& canvas);
    // WM_NCACTIVATE: the base repaints the frame in its new state
    // (WM_NCPAINT); TRUE.
    virtual BOOL OnNcActivate(BOOL bActive);
    // WM_NCHITTEST: the system's hit test of the frame (CWindowFrame).
    virtual int OnNcHitTest(POINT pt);
    // WM_NCLBUTTONDOWN: the default handling sends the hit's system command
    // (DefaultNcButtonCommand).
    virtual void OnNcLButtonDown(int nHitTest, POINT pt);
    // TTN_NEEDTEXT; the base has no tooltips.
    virtual std::string OnToolTipText(int id);
    virtual void OnWindowPainted() {}

private:
    bool Build();
    void ApplyToView();
    CDialogControl* Find(int id);

    UINT m_nIDTemplate;
    CDialogTemplate m_template;
    bool m_bTemplateGiven = false;
    CDialogBaseUnits m_baseUnits;
    int m_fontPixels = 0;
    CFontDesc m_font;
    std::vector<CDialogControl> m_controls;
    std::string m_caption;
    DWORD m_style = 0;
    CDialogRect m_window;
    bool m_bCentre = false;
    bool m_bVisible = false;
    int m_focusId = 0;
    HICON m_hBigIcon = nullptr;
    HICON m_hSmallIcon = nullptr;
    bool m_bEnded = false;
    bool m_bActive = false;
    bool m_bMinimised = false;
    bool m_bMaximised = false;
    int m_nResult = -1;
    bool m_bDefaultSysCommand = false;
    std::unique_ptr<IDialogView> m_view;
    CDialog* m_pOwner = nullptr;
};
