#include "ui/skin/CDappleDialog.h"

#include "platform/kernel32/MulDiv.h"
#include "ui/skin/CSkinBitmap.h"
#include "ui/skin/SkinChildControls.h"
#include "ui/skin/SkinFramePainter.h"
#include "ui/skin/SkinHitTest.h"
#include "ui/skin/SkinRoles.h"

#include <algorithm>

namespace {

// The styles that get a skinned frame: a caption or a sizing frame.
constexpr DWORD kFramedStyles = 0xC40000;
constexpr int kSeparatorInset = 5;
constexpr int kTopSeparatorUnits = 31;
constexpr int kBottomSeparatorUnits = 28;

}  // namespace

CDappleDialog::CDappleDialog(UINT nIDTemplate) : CDialog(nIDTemplate) {}

CDappleDialog::CDappleDialog(const CDialogTemplate& dialogTemplate) : CDialog(dialogTemplate) {}

CDappleDialog::~CDappleDialog() = default;

BOOL CDappleDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_buttonImages.clear();
    SkinChildControls(*this);
    m_dwOriginalStyle = GetStyle();
    ModifyStyle(kCaptionButtonStyles, 0);
    return TRUE;
}

void CDappleDialog::SetSeparators(DWORD flags, int minimumBottom)
{
    m_dwSeparators = flags;
    m_minimumBottom = minimumBottom;
    Invalidate();
}

void CDappleDialog::AddSkinnedControl(std::unique_ptr<CSkinControl> control)
{
    m_skinned.push_back(std::move(control));
}

CSkinControl* CDappleDialog::SkinControl(int id) const
{
    for (const auto& c : m_skinned)
        if (c->Id() == id)
            return c.get();
    return nullptr;
}

std::shared_ptr<CButtonImageSet> CDappleDialog::ButtonImages(UINT bitmapId) const
{
    auto it = m_buttonImages.find(bitmapId);
    if (it != m_buttonImages.end())
        return it->second;
    std::shared_ptr<CButtonImageSet> set;
    if (auto bitmap = CSkinBitmap::Load(bitmapId)) {
        const CDappleGlobals* g = DappleGlobals();
        set = std::make_shared<CButtonImageSet>(std::move(bitmap), SkinColour(SkinRole::kDialogBackground),
                                                g != nullptr ? g->GetFrameValue() : CDappleGlobals::kDefaultFrameValue);
    }
    m_buttonImages.emplace(bitmapId, set);
    return set;
}

void CDappleDialog::OnEraseBkgnd(IDialogCanvas& canvas)
{
    const CDialogRect client = GetClientRect();
    canvas.FillRect(MakeRect(0, 0, client.cx, client.cy), SkinColour(SkinRole::kDialogBackground));
    for (const auto& skinned : m_skinned) {
        const CDialogControl* c = GetDlgItem(skinned->Id());
        if (c != nullptr && c->visible)
            skinned->PaintBackground(canvas, MakeRect(c->rect.x, c->rect.y, c->rect.cx, c->rect.cy));
    }
    const COLORREF line = SkinColour(SkinRole::kText);
    const RECT across{kSeparatorInset, 0, client.cx - kSeparatorInset, 0};
    if ((m_dwSeparators & kTopSeparator) != 0) {
        const int y = MulDiv(kTopSeparatorUnits, BaseUnits().cy, 8);
        canvas.FillRect(RECT{across.left, y, across.right, y + 1}, line);
    }
    if ((m_dwSeparators & kBottomSeparator) != 0) {
        const int y = std::max(client.cy, m_minimumBottom) - MulDiv(kBottomSeparatorUnits, BaseUnits().cy, 8);
        canvas.FillRect(RECT{across.left, y, across.right, y + 1}, line);
    }
}

CSkinFrame CDappleDialog::SkinFrame() const
{
    CSkinFrame frame;
    frame.style = m_dwOriginalStyle;
    frame.width = GetWindowRect().cx;
    frame.height = GetWindowRect().cy;
    frame.active = IsActive();
    frame.minimised = IsIconic();
    frame.title = GetWindowText();
    return frame;
}

void CDappleDialog::OnNcPaint(IDialogCanvas& canvas)
{
    if ((m_dwOriginalStyle & kFramedStyles) != 0)
        PaintSkinFrame(canvas, SkinFrame());
}

int CDappleDialog::OnNcHitTest(POINT pt)
{
    const CDialogRect w = GetWindowRect();
    const int hit = SkinNcHitTest(GetStyle(), IsZoomed(), MakeRect(w.x, w.y, w.cx, w.cy), pt);
    return hit != HTNOWHERE ? hit : CDialog::OnNcHitTest(pt);
}

void CDappleDialog::OnNcLButtonDown(int nHitTest, POINT pt)
{
    const UINT command = SkinNcButtonCommand(nHitTest, IsIconic(), IsZoomed());
    if (command != 0)
        SendSysCommand(command, static_cast<LPARAM>((pt.x & 0xFFFF) | ((pt.y & 0xFFFF) << 16)));
    else
        CDialog::OnNcLButtonDown(nHitTest, pt);
}

std::string CDappleDialog::OnToolTipText(int id)
{
    if (id == 0)
        return {};
    char text[kToolTipBytes + 1] = "";
    const int n = LoadStringA(nullptr, static_cast<UINT>(id), text, sizeof text);
    return std::string(text, n > 0 ? static_cast<std::size_t>(n) : 0);
}
