// The three dialogs in each of the ten languages as the user sees them:
// every button and static text shows its whole caption (wrapped in the
// skin's fonts where one line is too long) and the title fits the caption
// bar; each must show its own language's picture and texts. Screenshots of
// every dialog, active and behind another window, are saved as PNG under
// the build tree (screenshots/) for people to look at.
#include "tests/ui/CaptionFit.h"
#include "tests/ui/DialogFixture.h"
#include "ui/BSU_DeleteUpgrade.h"
#include "ui/CBSUDlg.h"
#include "ui/CBSU_MoreDetails.h"
#include "ui/NotifierResourceIds.h"

#include <QDir>
#include <QImage>
#include <QTest>
#include <fstream>
#include <iterator>

namespace {

constexpr WORD kLanguages[] = {1028, 1031, 1033, 1034, 1036, 1040, 1041, 1042, 1046, 2052};
constexpr int kActivationMs = 5000;

class DialogScreenshotTest : public testsupport::DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        StartQt();
        m_dir = QString::fromStdString(testsupport::BuildPath("screenshots"));
        ASSERT_TRUE(QDir().mkpath(m_dir));
    }

    // The dialog's window once it is the active one, screenshots of it active
    // and behind another window, and then the window active again.
    void Shoot(QWidget* w, const QString& name)
    {
        ASSERT_NE(w, nullptr) << name.toStdString();
        ASSERT_TRUE(QTest::qWaitFor([w] { return w->isActiveWindow(); }, kActivationMs))
            << name.toStdString() << " never became active";
        EXPECT_TRUE(w->grab().toImage().save(m_dir + "/" + name + "-active.png"));
        QWidget cover;
        cover.setWindowModality(Qt::ApplicationModal);
        cover.setGeometry(0, 0, 60, 60);
        cover.show();
        cover.activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([w] { return !w->isActiveWindow(); }, kActivationMs)) << name.toStdString();
        EXPECT_TRUE(w->grab().toImage().save(m_dir + "/" + name + "-inactive.png"));
        cover.hide();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([w] { return w->isActiveWindow(); }, kActivationMs)) << name.toStdString();
    }

    static std::string Description(WORD lang)
    {
        const std::string folder = std::string(NOTIFIER_SOURCE_DIR) + "/resources/sample-update/descriptions/";
        std::ifstream in(folder + std::to_string(lang) + ".rtf", std::ios::binary);
        if (!in)
            in.open(folder + "1033.rtf", std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    QString m_dir;
};

}  // namespace

TEST_F(DialogScreenshotTest, EveryDialogInEveryLanguageShowsItsWholeTexts)
{
    StageSampleUpdate();
    std::map<WORD, QImage> pictures;
    std::map<WORD, std::string> updateTexts;
    for (WORD lang : kLanguages) {
        SetLanguage(std::to_string(lang));
        const std::string tag = std::to_string(lang);
        CBSUDlg dlg;
        Later(0, [&, lang] {
            QWidget* w = Window(IDD_BSU_DIALOG);
            ASSERT_NO_FATAL_FAILURE(Shoot(w, QString("update-dialog-%1").arg(lang)));
            testsupport::ExpectCaptionsFit(dlg, "update dialog " + tag);
            pictures[lang] = w->findChild<QWidget*>("client")->grab().toImage().copy(12, 10, 500, 300);
            updateTexts[lang] = Text(w, IDC_BSU_UPDATENOW) + "|" + Text(w, IDC_BSU_REMINDMELATER) + "|" +
                                Text(w, IDC_BSU_STOPBUGGINGME) + "|" + w->windowTitle().toStdString();
            // The confirmation in the same language, then back and out.
            Later(0, [&, lang] {
                auto* confirm = dynamic_cast<BSU_DeleteUpgrade*>(CDialog::ActiveDialog());
                ASSERT_NE(confirm, nullptr);
                QWidget* q = Window(IDD_BSU_DELETEUPGRADE);
                ASSERT_NO_FATAL_FAILURE(Shoot(q, QString("delete-confirmation-%1").arg(lang)));
                testsupport::ExpectCaptionsFit(*confirm, "delete confirmation " + tag);
                QTest::keyClick(q, Qt::Key_Escape);
                Later(0, [] { QTest::keyClick(Window(IDD_BSU_DIALOG), Qt::Key_Escape); });
            });
            QTest::mouseClick(Control(w, IDC_BSU_STOPBUGGINGME), Qt::LeftButton);
        });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL) << lang;

        CBSU_MoreDetails details;
        const std::string rtf = Description(lang);
        cmBuffer description;
        description.Set(static_cast<DWORD>(rtf.size()), rtf.data());
        details.SetDescription(description);
        Later(0, [&, lang] {
            QWidget* w = Window(IDD_BSU_MOREDETAILS);
            ASSERT_NO_FATAL_FAILURE(Shoot(w, QString("more-details-%1").arg(lang)));
            testsupport::ExpectCaptionsFit(details, "more details " + tag);
            QTest::keyClick(w, Qt::Key_Escape);
        });
        EXPECT_EQ(details.DoModal(), IDCANCEL) << lang;
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
