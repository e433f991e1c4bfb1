// Which controls the skin takes and how its wrappers look: the mapping of
// window classes and styles, SkinChildControls on a dialog with controls of
// every sort, and the painting of static texts, progress bars and group
// boxes in the skin's colours.
#include "tests/ui/DialogFixture.h"
#include "tests/ui/skin/SkinTestDialog.h"
#include "ui/qt/QtPainterDC.h"
#include "ui/skin/CBlueEdit.h"
#include "ui/skin/CBlueGroupBox.h"
#include "ui/skin/CBlueProgressCtrl.h"
#include "ui/skin/CBlueStatic.h"
#include "ui/skin/SkinRoles.h"

#include <QImage>
#include <algorithm>
#include <cmath>
#include <QPainter>
#include <QTreeWidget>

namespace {

using K = SkinControlKind;

class SkinControlsTest : public testsupport::DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        StartQt();
    }

    // Paints a wrapper on a white surface of the state's size.
    static QImage Painted(CSkinControl& skin, const CSkinControlState& state)
    {
        QImage img(state.cx, state.cy, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter painter(&img);
        QtPainterDC dc(painter);
        skin.Paint(dc, state);
        return img;
    }
    static QColor Colour(int index)
    {
        const COLORREF c = SkinColour(index);
        return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
    }
    // The box of the pixels that are not white.
    static QRect Ink(const QImage& img)
    {
        QRect r;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixelColor(x, y) != QColor(Qt::white))
                    r |= QRect(x, y, 1, 1);
        return r;
    }
    // Whether the ink on white is colour c, blended with the white by the
    // glyphs' coverage: every pixel lies on the way from white to c, and the
    // strongest goes most of the way.
    static bool InkIs(const QImage& img, const QColor& c)
    {
        double strongest = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QColor p = img.pixelColor(x, y);
                const double t[3] = {(255.0 - p.red()) / (255 - c.red()), (255.0 - p.green()) / (255 - c.green()),
                                     (255.0 - p.blue()) / (255 - c.blue())};
                if (std::max({std::abs(t[0] - t[1]), std::abs(t[1] - t[2]), std::abs(t[0] - t[2])}) > 0.15)
                    return false;
                strongest = std::max(strongest, t[0]);
            }
        return strongest > 0.6;
    }
};

}  // namespace

TEST(SkinControlMap, EveryWindowClassAndStyleFindsItsWrapper)
{
    const struct {
        const char* cls;
        DWORD style;
        DWORD exStyle;
        bool fileDialog;
        K kind;
    } rows[] = {
        {"Static", SS_LEFT, 0, false, K::Static},
        {"STATIC", SS_CENTER, 0, false, K::Static},
        {"Static", SS_LEFTNOWORDWRAP, 0, false, K::Static},
        {"Static", SS_ICON, 0, false, K::None},
        {"Static", SS_BITMAP, 0, false, K::None},
        {"Static", 0xF, 0, false, K::None},  // an enhanced metafile
        {"Edit", 0, 0, false, K::Edit},
        {"RICHEDIT", 0, 0, false, K::RichEdit},
        {"ListBox", 0, 0, false, K::ListBox},
        {"msctls_progress32", 0, 0, false, K::Progress},
        {"msctls_trackbar32", 0, 0, false, K::Slider},
        {"msctls_updown32", 0, 0, false, K::SpinButton},
        {"SysListView32", 0, 0x20, false, K::ListCtrl},
        {"SysListView32", 0, 0x200, false, K::None},
        {"SysTreeView32", 0, 0x20, false, K::TreeCtrl},
        {"SysTreeView32", 0, 0, false, K::None},
        {"SysTabControl32", 0, 0, false, K::TabCtrl},
        {"ComboBox", CBS_SIMPLE, 0, false, K::SimpleComboBox},
        {"ComboBox", 0x2, 0, false, K::ComboBox},
        {"ComboBox", 0x3, 0, false, K::ComboBox},
        {"ComboLBox", 0, 0, false, K::ComboLBox},
        {"ToolbarWindow32", 0, 0, false, K::Toolbar},
        {"ScrollBar", SBS_SIZEGRIP, 0, false, K::Grip},
        {"ScrollBar", 0, 0, false, K::None},
        {"Button", BS_PUSHBUTTON, 0, false, K::BitmapButton},
        {"Button", BS_DEFPUSHBUTTON, 0, false, K::BitmapButton},
        {"Button", BS_RADIOBUTTON, 0, false, K::RadioButton},
        {"Button", BS_AUTORADIOBUTTON, 0, false, K::RadioButton},
        {"Button", BS_AUTORADIOBUTTON | BS_PUSHLIKE, 0, false, K::None},
        {"Button", BS_GROUPBOX, 0, false, K::GroupBox},
        {"Button", BS_CHECKBOX, 0, false, K::CheckBox},
        {"Button", BS_AUTOCHECKBOX, 0, false, K::CheckBox},
        {"Button", BS_3STATE, 0, false, K::CheckBox},
        {"Button", BS_AUTO3STATE, 0, false, K::CheckBox},
        {"Button", BS_USERBUTTON, 0, false, K::None},
        {"Button", BS_OWNERDRAW, 0, false, K::None},
        {"Button", 0xA, 0, false, K::None},
        {"Button", 0xF, 0, false, K::None},
        {"#32770", 0, 0, true, K::NestedDialog},
        {"#32770", 0, 0, false, K::None},
        {"SysDateTimePick32", 0, 0, false, K::None},
    };
    for (const auto& r : rows)
        EXPECT_EQ(ClassifySkinControl(r.cls, r.style, r.exStyle, r.fileDialog), r.kind)
            << r.cls << " style " << std::hex << r.style << " ex " << r.exStyle;
}

TEST_F(SkinControlsTest, TheDialogWrapsWhatTheMapSaysAndLeavesTheRestAsTheyAre)
{
    using testsupport::TemplateItem;
    const std::vector<TemplateItem> items = {
        {"Static", SS_ICON, 0, {4, 4, 20, 20}, 10, "dialog-warning"},
        {"Static", SS_LEFT, 0, {30, 4, 100, 10}, 11, "A static text"},
        {"Button", BS_AUTORADIOBUTTON | BS_PUSHLIKE, 0, {4, 30, 50, 14}, 12, "Push-like"},
        {"Button", BS_AUTORADIOBUTTON, 0, {60, 30, 50, 14}, 13, "Radio"},
        {"SysListView32", 0, WS_EX_CLIENTEDGE, {4, 50, 80, 40}, 14, ""},
        {"SysListView32", 0, 0x20 | WS_EX_CLIENTEDGE, {90, 50, 80, 40}, 15, ""},
        {"Button", BS_GROUPBOX, 0, {4, 95, 120, 40}, 16, "Group"},
        {"msctls_progress32", 0, 0, {130, 95, 60, 10}, 17, ""},
        {"RICHEDIT", WS_VSCROLL, 0, {4, 140, 80, 30}, 18, ""},
        {"RICHEDIT", 0, 0, {90, 140, 80, 30}, 19, ""},
        {"Button", BS_OWNERDRAW, 0, {130, 110, 50, 14}, 20, "Owner"},
    };
    testsupport::SkinTestDialog dlg(testsupport::MakeTemplate(testsupport::kDialogStyle, {0, 0, 200, 180}, items));
    bool iconDrawn = false;
    bool listKept = false;
    Later(0, [&] {
        QWidget* w = Window(0);
        ASSERT_NE(w, nullptr);
        // The icon static draws its icon as it always does.
        const QImage icon = Control(w, 10)->grab().toImage();
        iconDrawn = Ink(icon).width() > 10 && icon.pixelColor(icon.width() / 2, icon.height() / 2) != Colour(23);
        listKept = qobject_cast<QTreeWidget*>(Control(w, 14)) != nullptr;
        dlg.EndDialog(IDOK);
    });
    dlg.DoModal();
    const std::map<WORD, K> expected = {{11, K::Static}, {13, K::RadioButton}, {15, K::ListCtrl},
                                        {16, K::GroupBox}, {17, K::Progress},   {18, K::RichEdit},
                                        {19, K::RichEdit}};
    std::map<WORD, K> wrapped;
    for (const auto& s : dlg.SkinnedControls())
        wrapped[s->Id()] = s->Kind();
    EXPECT_EQ(wrapped, expected);
    EXPECT_TRUE(iconDrawn);
    EXPECT_TRUE(listKept);
    // The unwrapped list view keeps its style; the wrapped one loses the marker.
    EXPECT_EQ(dlg.GetDlgItem(14)->exStyle, WS_EX_CLIENTEDGE);
    EXPECT_EQ(dlg.GetDlgItem(15)->exStyle, WS_EX_CLIENTEDGE);

    // The set-up by kind.
    auto* group = dynamic_cast<CBlueGroupBox*>(dlg.SkinControl(16));
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->Gradient().Steps(), dlg.GetDlgItem(16)->rect.cx - 9);
    EXPECT_EQ(group->Gradient().StepColour(0), SkinColour(29));
    EXPECT_EQ(group->Gradient().StepColour(group->Gradient().Steps() - 1), SkinColour(30));
    auto* progress = dynamic_cast<CBlueProgressCtrl*>(dlg.SkinControl(17));
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->Gradient().Steps(), 100);
    EXPECT_EQ(progress->Gradient().StepColour(0), SkinColour(42));
    EXPECT_EQ(progress->Gradient().StepColour(99), SkinColour(43));
    // A rich edit's frame is the system's only with scroll bars; its
    // background is colour 18 until its owner sets one.
    auto* scrolled = dynamic_cast<CBlueRichEdit*>(dlg.SkinControl(18));
    auto* bare = dynamic_cast<CBlueRichEdit*>(dlg.SkinControl(19));
    ASSERT_TRUE(scrolled != nullptr && bare != nullptr);
    EXPECT_TRUE(scrolled->SystemFrame());
    EXPECT_FALSE(bare->SystemFrame());
    EXPECT_EQ(bare->Palette().base, SkinColour(18));
    EXPECT_TRUE(dlg.SetDlgItemBackground(19, RGB(10, 20, 30)));
    EXPECT_EQ(bare->Palette().base, RGB(10, 20, 30));
    EXPECT_EQ(scrolled->Palette().base, SkinColour(18));
}

TEST_F(SkinControlsTest, AStaticTextIsAlignedColouredAndBorderedByItsStyle)
{
    using testsupport::TemplateItem;
    testsupport::SkinTestDialog dlg(testsupport::MakeTemplate(
        testsupport::kDialogStyle, {0, 0, 200, 100},
        {{"Static", SS_LEFT, 0, {0, 0, 150, 20}, 1, ""},
         {"Static", SS_CENTER, 0, {0, 0, 150, 20}, 2, ""},
         {"Static", SS_RIGHT, 0, {0, 0, 150, 20}, 3, ""},
         {"Static", SS_LEFT, WS_EX_CLIENTEDGE, {0, 0, 150, 20}, 4, ""},
         {"Static", SS_LEFT | SS_NOPREFIX, 0, {0, 0, 150, 20}, 5, ""}}));
    dlg.Initialise();
    CSkinControlState s;
    s.cx = 200;
    s.cy = 40;
    s.text = "Hill Hill";
    const QImage left = Painted(*dlg.SkinControl(1), s);
    const QImage centre = Painted(*dlg.SkinControl(2), s);
    const QImage right = Painted(*dlg.SkinControl(3), s);
    EXPECT_LE(Ink(left).left(), 1);
    EXPECT_NEAR(Ink(centre).center().x(), 100, 2);
    EXPECT_GE(Ink(right).right(), 197);
    EXPECT_NEAR(Ink(left).center().y(), 20, 2) << "centred vertically";
    EXPECT_TRUE(InkIs(left, Colour(61)));
    s.enabled = false;
    const QImage disabled = Painted(*dlg.SkinControl(1), s);
    EXPECT_TRUE(InkIs(disabled, Colour(62)));
    EXPECT_FALSE(InkIs(disabled, Colour(61)));
    s.enabled = true;
    // A client edge: two pixels in colour 4.
    const QImage edged = Painted(*dlg.SkinControl(4), s);
    EXPECT_EQ(edged.pixelColor(0, 20), Colour(4));
    EXPECT_EQ(edged.pixelColor(1, 20), Colour(4));
    EXPECT_EQ(edged.pixelColor(2, 20), QColor(Qt::white));
    EXPECT_EQ(edged.pixelColor(100, 39), Colour(4));
    // "&" marks a mnemonic unless prefixes are off: then it is drawn.
    s.text = "&&&&&&&&";
    EXPECT_GT(Ink(Painted(*dlg.SkinControl(5), s)).width(), Ink(Painted(*dlg.SkinControl(1), s)).width() + 10);
    // Long text wraps at words unless the style says no.
    EXPECT_EQ(CBlueStatic::TextFormat(SS_LEFT) & DT_WORDBREAK, DT_WORDBREAK);
    EXPECT_EQ(CBlueStatic::TextFormat(SS_LEFTNOWORDWRAP) & (DT_WORDBREAK | DT_SINGLELINE), DT_SINGLELINE);
}

TEST_F(SkinControlsTest, AProgressBarFillsItsPartWithTheGradient)
{
    testsupport::SkinTestDialog dlg(testsupport::MakeTemplate(
        testsupport::kDialogStyle, {0, 0, 200, 100}, {{"msctls_progress32", 0, 0, {0, 0, 100, 10}, 1, ""}}));
    dlg.Initialise();
    CSkinControlState s;
    s.cx = 102;
    s.cy = 12;
    s.position = 50;
    const QImage bar = Painted(*dlg.SkinControl(1), s);
    EXPECT_EQ(bar.pixelColor(0, 6), Colour(4)) << "the rim";
    EXPECT_EQ(bar.pixelColor(1, 6), Colour(42)) << "the gradient starts at colour 42";
    EXPECT_EQ(bar.pixelColor(50, 6), Colour(43)) << "and ends at colour 43 where the bar ends";
    EXPECT_NE(bar.pixelColor(25, 6), Colour(42));
    EXPECT_NE(bar.pixelColor(25, 6), Colour(43));
    EXPECT_EQ(bar.pixelColor(75, 6), Colour(18)) << "the rest is the field";
}
