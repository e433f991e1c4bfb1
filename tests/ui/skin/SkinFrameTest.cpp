// The skinned frame, caption and background as they reach the screen: the
// caption's gradient ends and the frame's bands while the dialog is active,
// their grey while another window is; the caption image and the button
// faces from the bitmaps, and everything else when the bitmap ids are
// missing; separator lines; tooltips.
#include "platform/kernel32/MulDiv.h"
#include "tests/ui/DialogFixture.h"
#include "tests/ui/skin/SkinTestDialog.h"
#include "ui/CBSUDlg.h"
#include "ui/CBSU_MoreDetails.h"
#include "ui/NotifierResourceIds.h"
#include "ui/skin/CDappleBitmapButton.h"
#include "ui/skin/SkinRoles.h"

#include <QApplication>
#include <QHelpEvent>
#include <QImage>
#include <QTest>
#include <QToolTip>

namespace {

constexpr int kWaitMs = 5000;

class SkinFrameTest : public testsupport::DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        StageSampleUpdate();
        SetLanguage("1033");
        StartQt();
    }

    static QColor Rgb(int r, int g, int b) { return QColor(r, g, b); }
    static QColor Colour(int index)
    {
        const COLORREF c = SkinColour(index);
        return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
    }
    static QImage Active(QWidget* w)
    {
        EXPECT_TRUE(QTest::qWaitFor([w] { return w->isActiveWindow(); }, kWaitMs)) << "never active";
        return w->grab().toImage();
    }
    // The window while another window is the active one.
    static QImage Inactive(QWidget* w)
    {
        QWidget other;
        other.setWindowModality(Qt::ApplicationModal);
        other.setGeometry(0, 0, 40, 40);
        other.show();
        other.activateWindow();
        EXPECT_TRUE(QTest::qWaitFor([w] { return !w->isActiveWindow(); }, kWaitMs)) << "never inactive";
        return w->grab().toImage();
    }
    // Whether every pixel of the rectangle is a grey.
    static bool AllGrey(const QImage& img, const QRect& r)
    {
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                const QColor c = img.pixelColor(x, y);
                if (std::abs(c.red() - c.green()) > 1 || std::abs(c.green() - c.blue()) > 1)
                    return false;
            }
        return true;
    }
    static bool AnyBluish(const QImage& img, const QRect& r)
    {
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (img.pixelColor(x, y).blue() > img.pixelColor(x, y).red())
                    return true;
        return false;
    }
};

}  // namespace

TEST_F(SkinFrameTest, TheCaptionIsItsGradientWhileActiveAndItsGreyOtherwise)
{
    CBSUDlg dlg;
    QImage active;
    QImage inactive;
    Later(0, [&] {
        QWidget* w = Window(IDD_BSU_DIALOG);
        ASSERT_NE(w, nullptr);
        active = Active(w);
        inactive = Inactive(w);
        dlg.EndDialog(IDCANCEL);
    });
    dlg.DoModal();
    // The outer size the layout gives: the 500 x 300 picture with a margin,
    // the buttons' row below it.
    const int h = 300 + dlg.GetDlgItem(IDC_BSU_REMINDMELATER)->rect.cy + 74;
    ASSERT_EQ(active.size(), QSize(532, h));
    ASSERT_EQ(inactive.size(), QSize(532, h));
    // The caption runs from x 3 to 528 and y 3 to 21 (a 3-pixel frame, a
    // 19-pixel caption): colour 6 at its left end, colour 7 at its right.
    EXPECT_EQ(active.pixelColor(3, 12), Rgb(255, 171, 0));
    EXPECT_EQ(active.pixelColor(528, 12), Rgb(250, 200, 89));
    EXPECT_EQ(inactive.pixelColor(3, 12), Rgb(142, 142, 142));
    EXPECT_EQ(inactive.pixelColor(528, 12), Rgb(179, 179, 179));
    // The frame's bands in colour 4 (143): lightened outside, darkened inside.
    for (const QImage* img : {&active, &inactive}) {
        EXPECT_EQ(img->pixelColor(0, 200), Rgb(171, 171, 171));
        EXPECT_EQ(img->pixelColor(1, 200), Rgb(199, 199, 199));
        EXPECT_EQ(img->pixelColor(2, 200), Rgb(35, 35, 35));
        EXPECT_EQ(img->pixelColor(531, 200), Rgb(171, 171, 171));
        EXPECT_EQ(img->pixelColor(266, h - 1), Rgb(171, 171, 171));
        EXPECT_EQ(img->pixelColor(266, h - 3), Rgb(35, 35, 35));
        EXPECT_EQ(img->pixelColor(266, 0), Rgb(171, 171, 171));
        EXPECT_EQ(img->pixelColor(3, 30), Colour(23)) << "the client background";
    }
    // The caption image (the product mark) and the title in navy; all of it
    // grey while inactive.
    const QRect title(30, 4, 200, 17);
    EXPECT_TRUE(AnyBluish(active, title)) << "the title";
    EXPECT_EQ(active.pixelColor(6 + 8, 12), Rgb(242, 182, 50)) << "the mark's gold spark";
    EXPECT_TRUE(AllGrey(inactive, QRect(3, 3, 526, 19)));
}

TEST_F(SkinFrameTest, ButtonFacesComeFromTheBitmapsWithTheBackgroundBehindTheirKeyColour)
{
    CBSUDlg dlg;
    QImage button;
    Later(0, [&] {
        button = Control(Window(IDD_BSU_DIALOG), IDC_BSU_REMINDMELATER)->grab().toImage();
        dlg.EndDialog(IDCANCEL);
    });
    dlg.DoModal();
    auto* remind = dynamic_cast<CDappleBitmapButton*>(dlg.SkinControl(IDC_BSU_REMINDMELATER));
    ASSERT_NE(remind, nullptr);
    // 37 pixels high, taller than the text's 13 + 10: the tall buttons' image.
    EXPECT_EQ(remind->ImageIndexUsed(), 13);
    EXPECT_TRUE(remind->HasImage());
    // The three buttons of one size share their images, made once.
    auto* update = dynamic_cast<CDappleBitmapButton*>(dlg.SkinControl(IDC_BSU_UPDATENOW));
    ASSERT_NE(update, nullptr);
    EXPECT_EQ(update->Images(), remind->Images());
    EXPECT_EQ(remind->Images()->PreparedImages(), 1) << "the normal face, for the one size";
    EXPECT_EQ(button.pixelColor(0, 0), Colour(23)) << "the key colour shows the dialog behind";
    EXPECT_EQ(button.pixelColor(button.width() - 1, button.height() - 1), Colour(23));
    EXPECT_EQ(button.pixelColor(10, 0), Rgb(54, 78, 133)) << "the navy rim";

    // A button no taller than the text's height + 10 takes the other image;
    // a flat one the flat buttons' image, which the program does not have.
    testsupport::SkinTestDialog small(testsupport::MakeTemplate(
        testsupport::kDialogStyle, {0, 0, 100, 60},
        {{"Button", BS_PUSHBUTTON, 0, {10, 10, 50, 12}, 1, "Low"},
         {"Button", BS_PUSHBUTTON | BS_FLAT, 0, {10, 30, 50, 24}, 2, "Flat"}}));
    small.Initialise();
    ASSERT_LE(small.GetDlgItem(1)->rect.cy, small.BaseUnits().cy + 10);
    auto* low = dynamic_cast<CDappleBitmapButton*>(small.SkinControl(1));
    auto* flat = dynamic_cast<CDappleBitmapButton*>(small.SkinControl(2));
    ASSERT_TRUE(low != nullptr && flat != nullptr);
    EXPECT_EQ(low->ImageIndexUsed(), 14);
    EXPECT_TRUE(low->HasImage());
    EXPECT_EQ(flat->ImageIndexUsed(), 28);
    EXPECT_FALSE(flat->HasImage());
}

TEST_F(SkinFrameTest, WithoutBitmapIdsNoImageIsDrawnAndEverythingElseIs)
{
    // Settings whose ids were refused: every bitmap lookup gives 0.
    CDappleGlobals refused;
    ASSERT_EQ(refused.SetBitmapIds(1, 2, 3, 4, 5, 6, 7, 8, 9, 132, 131, 134, 133, 135, 0, 2), 0);
    for (int i = 0; i < CDappleGlobals::kBitmapIdCount; ++i)
        ASSERT_EQ(refused.GetBitmapId(i), 0u) << i;
    EXPECT_EQ(refused.GetColour(77), 0u);
    CDappleGlobals* own = DappleGlobals();
    SetDappleGlobals(&refused);
    EXPECT_EQ(SkinColour(77), 0u);
    CBSUDlg dlg;
    QImage window;
    QImage button;
    Later(0, [&] {
        QWidget* w = Window(IDD_BSU_DIALOG);
        window = Active(w);
        button = Control(w, IDC_BSU_REMINDMELATER)->grab().toImage();
        dlg.EndDialog(IDCANCEL);
    });
    dlg.DoModal();
    SetDappleGlobals(own);
    auto* remind = dynamic_cast<CDappleBitmapButton*>(dlg.SkinControl(IDC_BSU_REMINDMELATER));
    ASSERT_NE(remind, nullptr);
    EXPECT_FALSE(remind->HasImage());
    // Where the mark would be the caption shows its gradient; the frame, the
    // title, the background, the plain button face and its caption are there.
    const QColor beside = window.pixelColor(4, 12);
    EXPECT_EQ(window.pixelColor(14, 12).red(), 255);
    EXPECT_LT(std::abs(window.pixelColor(14, 12).green() - beside.green()), 3) << "no mark";
    EXPECT_EQ(window.pixelColor(0, 200), Rgb(171, 171, 171));
    EXPECT_TRUE(AnyBluish(window, QRect(10, 4, 200, 17))) << "the title";
    EXPECT_EQ(window.pixelColor(3, 30), Colour(23));
    EXPECT_EQ(button.pixelColor(0, 0), Colour(4)) << "the plain face's rim";
    EXPECT_EQ(button.pixelColor(3, 3), Colour(45)) << "the plain face";
    EXPECT_TRUE(AnyBluish(button, QRect(4, 4, button.width() - 8, button.height() - 8))) << "the caption";
}

TEST_F(SkinFrameTest, SeparatorLinesAndTooltips)
{
    SetEnvironmentVariableA("LC_ALL", "en_US.UTF-8");
    testsupport::SkinTestDialog dlg(testsupport::MakeTemplate(
        testsupport::kDialogStyle, {0, 0, 200, 120},
        {{"Button", BS_PUSHBUTTON, 0, {10, 50, 50, 14}, 57609, "Long tip"},
         {"Button", BS_PUSHBUTTON, 0, {70, 50, 50, 14}, 4242, "No tip"},
         {"Static", SS_LEFT, 0, {130, 50, 50, 14}, 0, "Id 0"}}));
    QImage client;
    QImage lowered;
    std::string tip;
    Later(0, [&] {
        QWidget* w = Window(0);
        ASSERT_NE(w, nullptr);
        QWidget* area = w->findChild<QWidget*>("client");
        dlg.SetSeparators(CDappleDialog::kTopSeparator | CDappleDialog::kBottomSeparator, 0);
        client = area->grab().toImage();
        // A minimum bottom below the client area moves the lower line down.
        dlg.SetSeparators(CDappleDialog::kBottomSeparator, dlg.GetClientRect().cy + 20);
        lowered = area->grab().toImage();
        // The tooltip the control asks for when the mouse rests on it.
        QWidget* c = Control(w, 57609);
        QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), c->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(c, &help);
        tip = QToolTip::isVisible() ? QToolTip::text().toStdString() : "<none shown>";
        dlg.EndDialog(IDOK);
    });
    dlg.DoModal();
    // The string of the control's id, cut to 80 bytes; none for a control
    // whose id names no string, nor for id 0.
    EXPECT_EQ(tip, "The latest version of the Glimmary software has been downloaded. If you do not u");
    EXPECT_EQ(dlg.ViewToolTipText(4242), "");
    EXPECT_EQ(dlg.ViewToolTipText(0), "");

    // A line 31 dialog units below the top, and one 28 above the bottom.
    const int top = MulDiv(31, dlg.BaseUnits().cy, 8);
    const int bottom = client.height() - MulDiv(28, dlg.BaseUnits().cy, 8);
    EXPECT_EQ(lowered.pixelColor(5, bottom + 20), Colour(61));
    EXPECT_EQ(lowered.pixelColor(5, bottom), Colour(23));
    EXPECT_EQ(lowered.pixelColor(5, top), Colour(23)) << "the upper line is off";
    for (int y : {top, bottom}) {
        EXPECT_EQ(client.pixelColor(5, y), Colour(61)) << y;
        EXPECT_EQ(client.pixelColor(client.width() - 6, y), Colour(61)) << y;
        EXPECT_EQ(client.pixelColor(4, y), Colour(23)) << y;
        EXPECT_EQ(client.pixelColor(client.width() - 5, y), Colour(23)) << y;
        EXPECT_EQ(client.pixelColor(client.width() / 2, y + 1), Colour(23)) << y;
    }
}
