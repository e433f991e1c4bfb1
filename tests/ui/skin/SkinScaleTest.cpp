// The skinned update dialog on a doubled screen (QT_SCALE_FACTOR=2): the
// frame's bands, the caption's text, the buttons' rims and the picture are
// drawn at the screen's own pixels, and no caption is clipped.
#include "tests/ui/CaptionFit.h"
#include "tests/ui/DialogFixture.h"
#include "ui/CBSUDlg.h"
#include "ui/NotifierResourceIds.h"

#include <QDir>
#include <QImage>
#include <QTest>

namespace {

class SkinScaleTest : public testsupport::DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        SetEnvironmentVariableA("QT_SCALE_FACTOR", "2");
        StageSampleUpdate();
        SetLanguage("1036");
        StartQt();
    }
    void TearDown() override
    {
        SetEnvironmentVariableA("QT_SCALE_FACTOR", nullptr);
        DialogTest::TearDown();
    }
    static bool Uniform(const QImage& img, int x, int y)
    {
        const QRgb p = img.pixel(x, y);
        return img.pixel(x + 1, y) == p && img.pixel(x, y + 1) == p && img.pixel(x + 1, y + 1) == p;
    }
};

}  // namespace

TEST_F(SkinScaleTest, TheDialogIsSharpAtTwiceThePixels)
{
    CBSUDlg dlg;
    QImage shot;
    QImage button;
    Later(0, [&] {
        QWidget* w = Window(IDD_BSU_DIALOG);
        ASSERT_NE(w, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([w] { return w->isActiveWindow(); }, 5000));
        shot = w->grab().toImage();
        button = Control(w, IDC_BSU_REMINDMELATER)->grab().toImage();
        const QString dir = QString::fromStdString(testsupport::BuildPath("screenshots"));
        if (QDir().mkpath(dir))
            shot.save(dir + "/update-dialog-1036-scale2.png");
        testsupport::ExpectCaptionsFit(dlg, "update dialog at scale 2", w);
        QTest::keyClick(w, Qt::Key_Escape);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    const CDialogRect outer = dlg.GetWindowRect();
    ASSERT_EQ(shot.size(), QSize(2 * outer.cx, 2 * outer.cy));
    // Each band of the frame is two device pixels of its own colour.
    const int y = shot.height() / 2;
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(shot.pixelColor(x, y), QColor((x < 2 ? 171 : x < 4 ? 199 : 35), (x < 2 ? 171 : x < 4 ? 199 : 35),
                                               (x < 2 ? 171 : x < 4 ? 199 : 35)))
            << x;
    // The picture lands as blocks of 2 x 2 device pixels, untouched by any
    // smoothing; the caption's text is finer than that.
    const int px = 2 * (3 + 12);
    const int py = 2 * (22 + 10);
    int blocks = 0;
    int uniform = 0;
    for (int by = py; by < py + 600; by += 14)
        for (int bx = px; bx < px + 1000; bx += 14) {
            ++blocks;
            uniform += Uniform(shot, bx, by);
        }
    EXPECT_EQ(uniform, blocks) << "the picture was smoothed";
    int fine = 0;
    for (int by = 2 * 4; by < 2 * 21; by += 2)
        for (int bx = 2 * 30; bx < 2 * 300; bx += 2)
            fine += !Uniform(shot, bx, by);
    EXPECT_GT(fine, 50) << "the title is drawn at the screen's pixels";
    // The button's navy rim is one logical pixel: two crisp device rows.
    ASSERT_EQ(button.height(), 2 * dlg.GetDlgItem(IDC_BSU_REMINDMELATER)->rect.cy);
    EXPECT_EQ(button.pixelColor(40, 0), QColor(54, 78, 133));
    EXPECT_EQ(button.pixelColor(40, 1), QColor(54, 78, 133));
    EXPECT_NE(button.pixelColor(40, 2), QColor(54, 78, 133));
}
