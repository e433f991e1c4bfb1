// The update dialog and its delete confirmation in each of the ten
// languages, saved as PNG under the build tree (screenshots/) for people to
// look at; each must show its own language's picture and texts.
#include "tests/ui/DialogFixture.h"
#include "ui/CBSUDlg.h"
#include "ui/NotifierResourceIds.h"

#include <QDir>
#include <QImage>
#include <QTest>

namespace {

constexpr WORD kLanguages[] = {1028, 1031, 1033, 1034, 1036, 1040, 1041, 1042, 1046, 2052};

class DialogScreenshotTest : public testsupport::DialogTest {};

}  // namespace

TEST_F(DialogScreenshotTest, EveryLanguageShowsItsOwnPictureAndTexts)
{
    StageSampleUpdate();
    StartQt();
    const QString dir = QString::fromStdString(testsupport::BuildPath("screenshots"));
    ASSERT_TRUE(QDir().mkpath(dir));
    std::map<WORD, QImage> pictures;
    std::map<WORD, std::string> updateTexts;
    for (WORD lang : kLanguages) {
        SetLanguage(std::to_string(lang));
        CBSUDlg dlg;
        Later(0, [&, lang] {
            QWidget* w = Window(IDD_BSU_DIALOG);
            ASSERT_NE(w, nullptr);
            const QImage shot = w->grab().toImage();
            EXPECT_TRUE(shot.save(dir + QString("/update-dialog-%1.png").arg(lang)));
            pictures[lang] = shot.copy(12, 10, 500, 300);
            updateTexts[lang] = Text(w, IDC_BSU_UPDATENOW) + "|" + Text(w, IDC_BSU_REMINDMELATER) + "|" +
                                Text(w, IDC_BSU_STOPBUGGINGME) + "|" + w->windowTitle().toStdString();
            // The confirmation in the same language, then back and out.
            Later(30, [lang, dir] {
                QWidget* q = Window(IDD_BSU_DELETEUPGRADE);
                ASSERT_NE(q, nullptr);
                EXPECT_TRUE(q->grab().toImage().save(dir + QString("/delete-confirmation-%1.png").arg(lang)));
                QTest::keyClick(q, Qt::Key_Escape);
                Later(10, [] { QTest::keyClick(Window(IDD_BSU_DIALOG), Qt::Key_Escape); });
            });
            QTest::mouseClick(Control(w, IDC_BSU_STOPBUGGINGME), Qt::LeftButton);
        });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL) << lang;
    }
    // Each language's picture carries its own message, and the buttons their
    // own words (a table that fell back to English would repeat another's).
    for (WORD a : kLanguages)
        for (WORD b : kLanguages)
            if (a < b) {
                EXPECT_NE(pictures[a], pictures[b]) << a << " and " << b;
                EXPECT_NE(updateTexts[a], updateTexts[b]) << a << " and " << b;
            }
}
