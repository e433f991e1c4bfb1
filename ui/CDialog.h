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
#pragma once

#include "platform/gdi32/DeviceContext.h"
#include "platform/kernel32/WinTypes.h"
#include "platform/riched/RichEdit.h"
#include "platform/user32/WinUser.h"
#include "ui/CDialogTemplate.h"
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

    bool IsPushButton() const;
    bool IsRichEdit() const;
    bool IsDefaultButton() const;
};

class CDialog {
public:
    // The frame around the client area of a dialog with a caption and a
    // modal frame, in pixels.
    static constexpr int kFrameWidth = 3;
    static constexpr int kCaptionHeight = 19;
    // Every template font is shown as this family, at the template's point
    // size on a 96 dots-per-inch surface.
    static constexpr const char* kFontFamily = "DejaVu Sans";

    explicit CDialog(UINT nIDTemplate);
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
    // The outer rectangle, screen coordinates.
    void SetWindowPos(int x, int y, int cx, int cy);
    CDialogRect GetWindowRect() const { return m_window; }
    CDialogRect GetClientRect() const;
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
    const std::vector<CDialogControl>& Controls() const { return m_controls; }
    UINT TemplateId() const { return m_nIDTemplate; }

    // The view's reports.
    void ViewCommand(int id);
    void ViewEscape();
    void ViewEnter();
    void ViewCloseRequest();
    // The user moves the window by its caption (SC_MOVE); false when the
    // dialog swallows the command and the window must stay where it was.
    bool ViewMoveRequest();
    void ViewPaint(HDC hdc);
    void ViewFocus(int id);
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

private:
    bool Build();
    void ApplyToView();
    CDialogControl* Find(int id);

    UINT m_nIDTemplate;
    CDialogTemplate m_template;
    CDialogBaseUnits m_baseUnits;
    int m_fontPixels = 0;
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
    int m_nResult = -1;
    bool m_bDefaultSysCommand = false;
    std::unique_ptr<IDialogView> m_view;
    CDialog* m_pOwner = nullptr;
};
