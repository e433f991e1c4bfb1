#include "ui/CDialog.h"

#include "CustomCode/Common/cmLog.h"
#include "platform/gdi32/FontMetrics.h"
#include "platform/kernel32/MulDiv.h"
#include "platform/user32/Icon.h"
#include "ui/CGuiModule.h"
#include "ui/rtf/RtfPlainText.h"
#include "ui/rtf/RtfReader.h"

#include <algorithm>

#include <map>
#include <utility>

namespace {

constexpr int kScreenDpi = 96;

// The stack of dialogs running modally on this thread; the top one owns a
// dialog that starts while it runs.
thread_local std::vector<CDialog*> t_modalStack;

// The base units of the dialog font at that pixel size, measured once per
// process and size. Without the font file the classic 8-point values stand in.
CDialogBaseUnits BaseUnitsFor(int pixelSize)
{
    static std::map<int, CDialogBaseUnits> measured;
    auto it = measured.find(pixelSize);
    if (it != measured.end())
        return it->second;
    platform::FontBaseUnits units;
    CDialogBaseUnits base{6, 13};
    if (platform::MeasureFontBaseUnits(CDialog::kFontFamily, pixelSize, &units)) {
        base.cx = units.cx;
        base.cy = units.cy;
    } else {
        cmLogPrint("CDialog: the font '%s' cannot be measured; using base units 6 x 13\n", CDialog::kFontFamily);
    }
    measured.emplace(pixelSize, base);
    return base;
}

}  // namespace

std::string CDialogControl::ClassName() const
{
    switch (classAtom) {
    case CDialogTemplate::kButton: return "Button";
    case CDialogTemplate::kEdit: return "Edit";
    case CDialogTemplate::kStatic: return "Static";
    case 0x83: return "ListBox";
    case 0x84: return "ScrollBar";
    case 0x85: return "ComboBox";
    default: return className;
    }
}

bool CDialogControl::IsPushButton() const
{
    const DWORD type = style & BS_TYPEMASK;
    return classAtom == CDialogTemplate::kButton && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

bool CDialogControl::IsDefaultButton() const
{
    return classAtom == CDialogTemplate::kButton && (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

bool CDialogControl::IsRichEdit() const
{
    return classAtom == 0 && className.size() >= 8 && std::equal(className.begin(), className.begin() + 8, "RICHEDIT",
                                                                   [](char a, char b) { return (a & ~0x20) == b; });
}

CDialog::CDialog(UINT nIDTemplate) : m_nIDTemplate(nIDTemplate) {}

CDialog::CDialog(const CDialogTemplate& dialogTemplate)
    : m_nIDTemplate(0), m_template(dialogTemplate), m_bTemplateGiven(true)
{
}

CDialog::~CDialog() = default;

CDialog* CDialog::ActiveDialog()
{
    return t_modalStack.empty() ? nullptr : t_modalStack.back();
}

bool CDialog::Build()
{
    if (!m_bTemplateGiven && !m_template.Load(static_cast<WORD>(m_nIDTemplate)))
        return false;
    m_fontPixels = MulDiv(m_template.fontPointSize != 0 ? m_template.fontPointSize : 8, kScreenDpi, 72);
    m_baseUnits = BaseUnitsFor(m_fontPixels);
    m_font = CFontDesc{kFontFamily, m_fontPixels, 400};
    m_style = m_template.style;
    m_caption = m_template.caption;
    m_controls.clear();
    m_focusId = 0;
    for (const CDialogItem& item : m_template.items) {
        CDialogControl c;
        c.id = item.id;
        c.classAtom = item.classAtom;
        c.className = item.className;
        c.style = item.style;
        c.exStyle = item.exStyle;
        c.rect = MapDialogRect(item.rect, m_baseUnits);
        c.text = item.text;
        c.visible = (item.style & WS_VISIBLE) != 0;
        m_controls.push_back(std::move(c));
    }
    // The focus starts on the visible default push button, so that Enter
    // presses it; without one on the first visible tab stop.
    for (const CDialogControl& c : m_controls)
        if (m_focusId == 0 && c.visible && c.IsDefaultButton())
            m_focusId = c.id;
    for (const CDialogControl& c : m_controls)
        if (m_focusId == 0 && c.visible && (c.style & WS_TABSTOP) != 0)
            m_focusId = c.id;
    const CDialogRect client = MapDialogRect(m_template.rect, m_baseUnits);
    const CWindowFrame frame = Frame();
    m_window.cx = client.cx + frame.ExtraWidth();
    m_window.cy = client.cy + frame.ExtraHeight();
    m_window.x = client.x;
    m_window.y = client.y;
    m_bCentre = (m_style & DS_CENTER) != 0;
    m_bVisible = false;
    m_bEnded = false;
    m_bActive = false;
    m_bMinimised = false;
    m_bMaximised = false;
    m_nResult = -1;
    return true;
}

int CDialog::DoModal()
{
    if (!Build())
        return -1;
    m_pOwner = ActiveDialog();
    if (m_pOwner != nullptr && !m_bCentre) {
        // A template position is relative to the owner's client area.
        const CDialogRect ownerClient = m_pOwner->GetClientRect();
        const CDialogRect ownerWindow = m_pOwner->GetWindowRect();
        m_window.x += ownerWindow.x + ownerClient.x;
        m_window.y += ownerWindow.y + ownerClient.y;
    }
    t_modalStack.push_back(this);
    // The initialisation runs before the toolkit is asked for a window: a
    // dialog that ends here is never shown and never starts the toolkit.
    OnInitDialog();
    if (!m_bEnded) {
        IGuiToolkit* toolkit = CGuiModule::Toolkit();
        if (toolkit != nullptr)
            m_view = toolkit->CreateView(*this, m_pOwner != nullptr ? m_pOwner->View() : nullptr);
        if (m_view == nullptr) {
            m_nResult = -1;
            m_bEnded = true;
        } else {
            ApplyToView();
            if (m_pOwner != nullptr && m_pOwner->View() != nullptr)
                m_pOwner->View()->SetEnabled(false);
            if (!m_bEnded) {
                ShowWindow(SW_SHOW);
                toolkit->RunModalLoop(*this);
            }
            if (m_pOwner != nullptr && m_pOwner->View() != nullptr)
                m_pOwner->View()->SetEnabled(true);
            m_view.reset();
        }
    }
    t_modalStack.pop_back();
    m_bVisible = false;
    return m_nResult;
}

void CDialog::ApplyToView()
{
    m_view->SetCaption(m_caption);
    for (const CDialogControl& c : m_controls) {
        m_view->SetControlText(c.id, c.text);
        m_view->SetControlGeometry(c.id, c.rect);
        m_view->SetControlVisible(c.id, c.visible);
        if (c.richText != nullptr)
            m_view->SetControlRichText(c.id, *c.richText);
    }
    if (m_bCentre)
        m_window = m_view->Centre(m_window);
    m_view->SetWindowGeometry(m_window, GetClientRect());
    m_view->SetIcon(IconImage(m_hBigIcon != nullptr ? m_hBigIcon : m_hSmallIcon));
    if (m_focusId != 0)
        m_view->SetFocusControl(static_cast<WORD>(m_focusId));
}

void CDialog::EndDialog(int nResult)
{
    m_nResult = nResult;
    m_bEnded = true;
    // The window goes at once; the caller's handler may still run on.
    if (m_view != nullptr) {
        m_bVisible = false;
        m_view->Show(false);
    }
    if (IGuiToolkit* toolkit = m_view != nullptr ? CGuiModule::Toolkit() : nullptr)
        toolkit->WakeUp();
}

CDialogControl* CDialog::Find(int id)
{
    for (CDialogControl& c : m_controls)
        if (c.id == id)
            return &c;
    return nullptr;
}

const CDialogControl* CDialog::GetDlgItem(int id) const
{
    return const_cast<CDialog*>(this)->Find(id);
}

void CDialog::SetWindowText(const char* szText)
{
    m_caption = szText != nullptr ? szText : "";
    if (m_view != nullptr)
        m_view->SetCaption(m_caption);
}

bool CDialog::SetDlgItemText(int id, const char* szText)
{
    CDialogControl* c = Find(id);
    if (c == nullptr)
        return false;
    c->text = szText != nullptr ? szText : "";
    if (m_view != nullptr)
        m_view->SetControlText(c->id, c->text);
    return true;
}

LONG CDialog::StreamIn(int id, UINT format, EDITSTREAM& es)
{
    CDialogControl* c = Find(id);
    if (c == nullptr || !c->IsRichEdit() || es.pfnCallback == nullptr)
        return 0;
    std::vector<BYTE> bytes;
    es.dwError = 0;
    for (;;) {
        const std::size_t at = bytes.size();
        bytes.resize(at + kRichEditStreamRequest);
        LONG got = 0;
        es.dwError = es.pfnCallback(es.dwCookie, bytes.data() + at, kRichEditStreamRequest, &got);
        if (got < 0 || got > kRichEditStreamRequest)
            got = 0;
        bytes.resize(at + static_cast<std::size_t>(got));
        if (es.dwError != 0 || got == 0)
            break;
    }
    // SF_TEXT shows the bytes as plain text whatever they look like.
    auto document = std::make_shared<RtfDocument>((format & SF_RTF) != 0 ? RtfReader::Read(bytes.data(), bytes.size())
                                                                          : ReadPlainText(bytes.data(), bytes.size()));
    c->richText = document;
    c->text = document->PlainText();
    if (m_view != nullptr)
        m_view->SetControlRichText(c->id, *document);
    return static_cast<LONG>(bytes.size());
}

std::string CDialog::GetDlgItemText(int id) const
{
    const CDialogControl* c = GetDlgItem(id);
    return c != nullptr ? c->text : std::string();
}

bool CDialog::MoveDlgItem(int id, int x, int y)
{
    const CDialogControl* c = GetDlgItem(id);
    return c != nullptr && SetDlgItemRect(id, CDialogRect{x, y, c->rect.cx, c->rect.cy});
}

bool CDialog::SetDlgItemRect(int id, const CDialogRect& rect)
{
    CDialogControl* c = Find(id);
    if (c == nullptr)
        return false;
    c->rect = rect;
    if (m_view != nullptr)
        m_view->SetControlGeometry(c->id, c->rect);
    return true;
}

bool CDialog::ModifyDlgItemStyleEx(int id, DWORD dwRemove, DWORD dwAdd)
{
    CDialogControl* c = Find(id);
    if (c == nullptr)
        return false;
    c->exStyle = (c->exStyle & ~dwRemove) | dwAdd;
    return true;
}

bool CDialog::SetDlgItemBackground(int id, COLORREF colour)
{
    CDialogControl* c = Find(id);
    if (c == nullptr || !c->IsRichEdit())
        return false;
    c->hasBackground = true;
    c->background = colour;
    if (m_view != nullptr)
        m_view->RepaintControl(c->id);
    return true;
}

bool CDialog::SetDlgItemFont(int id, const CFontDesc* font)
{
    CDialogControl* c = Find(id);
    if (c == nullptr)
        return false;
    c->font = font;
    if (m_view != nullptr)
        m_view->RepaintControl(c->id);
    return true;
}

void CDialog::SetWindowPos(int x, int y, int cx, int cy)
{
    m_window = CDialogRect{x, y, cx < 0 ? 0 : cx, cy < 0 ? 0 : cy};
    if (m_view != nullptr)
        m_view->SetWindowGeometry(m_window, GetClientRect());
}

CDialogRect CDialog::GetClientRect() const
{
    // Client coordinates start at 0, 0; x and y give the client area's offset
    // inside the window, for the owner placement of owned dialogs.
    const CWindowFrame frame = Frame();
    CDialogRect r;
    r.x = frame.ClientLeft();
    r.y = frame.ClientTop();
    r.cx = m_window.cx - frame.ExtraWidth();
    r.cy = m_window.cy - frame.ExtraHeight();
    if (r.cx < 0)
        r.cx = 0;
    if (r.cy < 0)
        r.cy = 0;
    return r;
}

void CDialog::CenterWindow()
{
    if (m_view != nullptr)
        m_window = m_view->Centre(m_window);
    else
        m_bCentre = true;  // done when the window is made
}

void CDialog::ShowWindow(int nCmdShow)
{
    m_bVisible = nCmdShow != SW_HIDE;
    if (m_view != nullptr) {
        m_view->Show(m_bVisible);
        if (m_bVisible && m_focusId != 0)
            m_view->SetFocusControl(static_cast<WORD>(m_focusId));
    }
}

void CDialog::GotoDlgCtrl(int id)
{
    if (Find(id) == nullptr)
        return;
    m_focusId = id;
    if (m_view != nullptr)
        m_view->SetFocusControl(static_cast<WORD>(id));
}

void CDialog::SetIcon(HICON hIcon, BOOL bBigIcon)
{
    (bBigIcon ? m_hBigIcon : m_hSmallIcon) = hIcon;
    if (m_view != nullptr)
        m_view->SetIcon(IconImage(hIcon));
}

void CDialog::ModifyStyle(DWORD dwRemove, DWORD dwAdd)
{
    m_style = (m_style & ~dwRemove) | dwAdd;
}

void CDialog::Invalidate()
{
    if (m_view != nullptr)
        m_view->Repaint();
}

int CDialog::LogPixels(int index) const
{
    return index == LOGPIXELSX || index == LOGPIXELSY ? kScreenDpi : 0;
}

BOOL CDialog::OnInitDialog()
{
    DoDataExchange();
    return TRUE;
}

void CDialog::OnOK()
{
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

bool CDialog::OnCommand(UINT id)
{
    if (id == static_cast<UINT>(IDOK)) {
        OnOK();
        return true;
    }
    if (id == static_cast<UINT>(IDCANCEL)) {
        OnCancel();
        return true;
    }
    return false;
}

void CDialog::OnSysCommand(UINT nID, LPARAM)
{
    if ((nID & 0xFFF0u) == SC_CLOSE)
        OnCancel();
    else
        m_bDefaultSysCommand = true;
}

void CDialog::SendSysCommand(UINT nID, LPARAM lParam)
{
    if (m_bEnded)
        return;
    m_bDefaultSysCommand = false;
    OnSysCommand(nID, lParam);
    if (m_bDefaultSysCommand && m_view != nullptr && !m_bEnded)
        m_view->DefaultSysCommand(nID);
}

bool CDialog::ViewMoveRequest(int x, int y)
{
    // The window system has already moved the window: the command's
    // default handling is done, only the dialog's answer counts.
    m_bDefaultSysCommand = false;
    OnSysCommand(SC_MOVE, 0);
    if (m_bDefaultSysCommand) {
        m_window.x = x;
        m_window.y = y;
    }
    return m_bDefaultSysCommand;
}

void CDialog::OnPaint(HDC) {}

void CDialog::OnEraseBkgnd(IDialogCanvas& canvas)
{
    const CDialogRect c = GetClientRect();
    canvas.FillRect(MakeRect(0, 0, c.cx, c.cy), RGB(240, 240, 240));
}

void CDialog::OnNcPaint(IDialogCanvas& canvas)
{
    // A plain frame: grey bands and a blue caption with the title in white.
    const CWindowFrame frame = Frame();
    const int w = m_window.cx;
    const int h = m_window.cy;
    canvas.FillRect(MakeRect(0, 0, w, h), RGB(212, 208, 200));
    if (frame.border > 0)
        canvas.FillRect(MakeRect(0, h - 1, w, 1), RGB(64, 64, 64));
    if (frame.caption > 0) {
        const RECT caption = MakeRect(frame.border, frame.border, w - 2 * frame.border, frame.caption);
        canvas.FillRect(caption, m_bActive ? RGB(10, 36, 106) : RGB(128, 128, 128));
        const RECT text{caption.left + 4, caption.top, caption.right - 4, caption.bottom};
        canvas.DrawText(m_caption, text, m_font, RGB(255, 255, 255),
                        DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
}

BOOL CDialog::OnNcActivate(BOOL)
{
    if (m_view != nullptr)
        m_view->RepaintFrame();
    return TRUE;
}

int CDialog::OnNcHitTest(POINT pt)
{
    const RECT window = MakeRect(m_window.x, m_window.y, m_window.cx, m_window.cy);
    return Frame().HitTest(window, pt);
}

void CDialog::OnNcLButtonDown(int nHitTest, POINT pt)
{
    const UINT command = DefaultNcButtonCommand(nHitTest);
    if (command != 0)
        SendSysCommand(command, static_cast<LPARAM>((pt.x & 0xFFFF) | ((pt.y & 0xFFFF) << 16)));
}

std::string CDialog::OnToolTipText(int)
{
    return {};
}

CSkinControl* CDialog::SkinControl(int) const
{
    return nullptr;
}

int CDialog::ViewNcHitTest(POINT pt)
{
    return OnNcHitTest(pt);
}

void CDialog::ViewNcLButtonDown(POINT pt)
{
    if (!m_bEnded)
        OnNcLButtonDown(OnNcHitTest(pt), pt);
}

void CDialog::ViewNcPaint(IDialogCanvas& canvas)
{
    OnNcPaint(canvas);
}

void CDialog::ViewNcActivate(bool active)
{
    m_bActive = active;
    OnNcActivate(active ? TRUE : FALSE);
}

void CDialog::ViewWindowState(bool minimised, bool maximised)
{
    m_bMinimised = minimised;
    m_bMaximised = maximised;
}

void CDialog::ViewEraseBackground(IDialogCanvas& canvas)
{
    OnEraseBkgnd(canvas);
}

std::string CDialog::ViewToolTipText(int id)
{
    return Find(id) != nullptr ? OnToolTipText(id) : std::string();
}

void CDialog::ViewCommand(int id)
{
    if (!m_bEnded)
        OnCommand(static_cast<UINT>(id));
}

void CDialog::ViewEscape()
{
    ViewCommand(IDCANCEL);
}

void CDialog::ViewEnter()
{
    // Enter presses the push button that has the focus, else the default one
    // (IDOK when the dialog has none).
    const CDialogControl* focus = GetDlgItem(m_focusId);
    if (focus != nullptr && focus->IsPushButton()) {
        ViewCommand(focus->id);
        return;
    }
    for (const CDialogControl& c : m_controls) {
        if (c.IsDefaultButton()) {
            ViewCommand(c.id);
            return;
        }
    }
    ViewCommand(IDOK);
}

void CDialog::ViewCloseRequest()
{
    SendSysCommand(SC_CLOSE, 0);
}

void CDialog::ViewPaint(HDC hdc)
{
    OnPaint(hdc);
}

void CDialog::ViewFocus(int id)
{
    if (Find(id) != nullptr)
        m_focusId = id;
}
