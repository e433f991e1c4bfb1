// The update dialog and the delete confirmation as the user meets them: the
// real sample update in a private folder and store, the Qt views on the
// offscreen platform, real clicks and keys while the modal loop runs.
#include "CustomCode/Common/cmRegistryKey.h"
#include "tests/support/Eventually.h"
#include "tests/support/LogCapture.h"
#include "tests/ui/DialogFixture.h"
#include "ui/CBSUDlg.h"
#include "ui/CGuiModule.h"
#include "ui/CNotifierStrings.h"
#include "ui/NotifierResourceIds.h"
#include "update/CNotificationData.h"

#include <QImage>
#include <QTest>
#include <QTextEdit>
#include <fstream>
#include <cmath>

namespace fs = std::filesystem;

namespace {

class BSUDialogTest : public testsupport::DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        // The update task's decision has made the Notification key by the
        // time the dialog runs.
        cmRegistryKey(HKEY_LOCAL_MACHINE, szBSUNotificationKey, cmRegistryCreate::CreateMissing);
    }
    static bool StatusWritten() { return ValuePresent(szBSUNotificationKey, szBSUStatusValue); }
    static DWORD Status()
    {
        return cmRegistryKey(HKEY_LOCAL_MACHINE, szBSUNotificationKey).QueryDword(szBSUStatusValue);
    }
    static double NextDate()
    {
        return CNotificationData::TextToDate(cmRegistryKey(HKEY_LOCAL_MACHINE, szBSUNotificationKey)
                                                 .QueryString(szBSUNextUpdateValue));
    }
    static std::string NextDateText() { return GetText(szBSUNotificationKey, szBSUNextUpdateValue); }

    // Clicks a control of the visible window of that template.
    static void Click(int templateId, int id)
    {
        QWidget* b = Control(Window(templateId), id);
        ASSERT_NE(b, nullptr) << "no control " << id << " in a visible window " << templateId;
        QTest::mouseClick(b, Qt::LeftButton);
    }
    // XDG folders of this test's own, whose MIME database knows .htm pages
    // and which name no application; the data folder.
    std::string UsePrivateDesktop() const
    {
        const std::string data = Root() + "/xdg-data";
        WriteText(data + "/mime/globs2", "50:text/html:*.htm\n");
        SetEnvironmentVariableA("XDG_DATA_HOME", data.c_str());
        SetEnvironmentVariableA("XDG_DATA_DIRS", data.c_str());
        SetEnvironmentVariableA("XDG_CONFIG_HOME", (Root() + "/xdg-config").c_str());
        SetEnvironmentVariableA("XDG_CONFIG_DIRS", (Root() + "/xdg-config").c_str());
        SetEnvironmentVariableA("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + Root() + "/no-bus").c_str());
        return data;
    }
    static void Key(int templateId, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWidget* w = Window(templateId);
        ASSERT_NE(w, nullptr) << "no visible window " << templateId;
        QWidget* target = w->focusWidget() != nullptr ? w->focusWidget() : w;
        QTest::keyClick(target, key, mods);
    }
};

}  // namespace

TEST_F(BSUDialogTest, WithoutAnUpdateTheDialogEndsUnseenAndQtIsNeverStarted)
{
    SetNewUpdate("");
    CBSUDlg dlg;
    EXPECT_EQ(dlg.DoModal(), E_FAIL);
    EXPECT_FALSE(CGuiModule::IsLoaded()) << "the GUI module was loaded";
    EXPECT_EQ(QCoreApplication::instance(), nullptr);
    EXPECT_FALSE(StatusWritten());
}

TEST_F(BSUDialogTest, WithoutADisplayTheRunGivesMinusOneAndChangesNothing)
{
    const std::string folder = StageSampleUpdate();
    SetEnvironmentVariableA("QT_QPA_PLATFORM", nullptr);
    SetEnvironmentVariableA("WAYLAND_DISPLAY", nullptr);
    SetEnvironmentVariableA("DISPLAY", ":97531");  // no server answers there
    CBSUDlg dlg;
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_EQ(QCoreApplication::instance(), nullptr);
    EXPECT_EQ(NewUpdate(), folder);
    EXPECT_TRUE(fs::exists(folder + "/Update.cfg"));
    EXPECT_FALSE(StatusWritten());
}

TEST_F(BSUDialogTest, ThePictureSetsTheLayoutAndTheTextsComeFromTheTables)
{
    StageSampleUpdate();
    StartQt();
    for (WORD lang : {1033, 1031}) {
        SetLanguage(std::to_string(lang));
        const CNotifierStrings strings(lang);
        auto entry = [&](UINT id) { return std::string(strings.Load(id).GetText()); };
        CBSUDlg dlg;
        std::map<int, std::string> seen;
        std::string caption;
        bool pictureShown = false;
        Later(0, [&] {
            QWidget* w = Window(IDD_BSU_DIALOG);
            ASSERT_NE(w, nullptr);
            for (int id : {2000, 2001, 2002, 2003, 2005, 2006, 2008, 2009})
                seen[id] = Text(w, id);
            caption = w->windowTitle().toStdString();
            // The picture is painted at 12, 10 of the client area.
            const QImage shot = w->grab().toImage();
            pictureShown = shot.pixelColor(12 + 250, 10 + 150) != shot.pixelColor(2, 2);
            Key(IDD_BSU_DIALOG, Qt::Key_Escape);
        });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        EXPECT_EQ(seen[2001], entry(IDS_BSU_UPDATE)) << lang;
        EXPECT_EQ(seen[2002], entry(IDS_BSU_REMIND_ME_LATER)) << lang;
        EXPECT_EQ(seen[2003], entry(IDS_BSU_DO_NOT_UPDATE)) << lang;
        EXPECT_EQ(seen[2000], entry(IDS_BSU_MORE_DETAILS)) << lang;
        EXPECT_EQ(seen[2005], entry(IDS_BSU_UPDATE_AVAILABLE)) << lang;
        EXPECT_EQ(seen[2006], entry(IDS_BSU_INSTALL_NOW_TEXT)) << lang;
        EXPECT_EQ(seen[2008], entry(IDS_BSU_INSTALL_LATER_TEXT)) << lang;
        EXPECT_EQ(seen[2009], entry(IDS_BSU_IGNORE_TEXT)) << lang;
        EXPECT_EQ(caption, entry(IDS_BSU_CAPTION)) << lang;
        EXPECT_TRUE(pictureShown) << lang;

        // The 500 x 300 picture of 96 dpi gives the window its size and the
        // buttons their row.
        const int hb = dlg.GetDlgItem(IDC_BSU_REMINDMELATER)->rect.cy;
        EXPECT_EQ(dlg.GetWindowRect().cx, 532);
        EXPECT_EQ(dlg.GetWindowRect().cy, 300 + hb + 74);
        const int w3 = dlg.GetDlgItem(IDC_BSU_STOPBUGGINGME)->rect.cx;
        EXPECT_EQ(dlg.GetDlgItem(IDC_BSU_UPDATENOW)->rect.x, 12);
        EXPECT_EQ(dlg.GetDlgItem(IDC_BSU_STOPBUGGINGME)->rect.x, 500 - w3);
        EXPECT_EQ(dlg.GetDlgItem(IDC_BSU_REMINDMELATER)->rect.x, (500 - w3 + 12) / 2);
        for (int id : {IDC_BSU_UPDATENOW, IDC_BSU_REMINDMELATER, IDC_BSU_STOPBUGGINGME})
            EXPECT_EQ(dlg.GetDlgItem(id)->rect.y, 324);
        EXPECT_EQ(seen.size(), 8u);
    }
    EXPECT_FALSE(StatusWritten()) << "Escape writes nothing";
}

TEST_F(BSUDialogTest, AMissingOrBrokenPictureKeepsTheTemplateLayout)
{
    const std::string folder = StageSampleUpdate();
    StartQt();
    const std::string picture = folder + "/UpdateDetails_/images/top.jpg";  // "Language" missing
    for (const char* content : {"", "not a picture at all"}) {
        if (*content != '\0')
            WriteText(picture, content);
        CBSUDlg dlg;
        CDialogRect button;
        CDialogRect window;
        Later(0, [&] {
            button = dlg.GetDlgItem(IDC_BSU_UPDATENOW)->rect;
            window = dlg.GetWindowRect();
            Key(IDD_BSU_DIALOG, Qt::Key_Escape);
        });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        EXPECT_FALSE(dlg.GetPicture().IsLoaded());
        const CDialogRect units{7, 193, 74, 24};
        const CDialogRect expected = MapDialogRect(units, dlg.BaseUnits());
        EXPECT_EQ(button.x, expected.x);
        EXPECT_EQ(button.y, expected.y);
        EXPECT_EQ(window.cx, MapDialogRect(CDialogRect{0, 0, 281, 224}, dlg.BaseUnits()).cx + 6);
    }
}

TEST_F(BSUDialogTest, RemindMeLaterWritesADateSevenDaysAheadAndEndsWithFive)
{
    StageSampleUpdate();
    StartQt();
    CBSUDlg dlg;
    Later(0, [] { Click(IDD_BSU_DIALOG, IDC_BSU_REMINDMELATER); });
    const double before = CNotificationData::Now();
    EXPECT_EQ(dlg.DoModal(), 5);
    const double after = CNotificationData::Now();
    EXPECT_EQ(Status(), 2u);
    // The stored text keeps 9 digits: about 4 seconds at today's dates.
    EXPECT_GE(NextDate(), before + 7.0 - 1e-4);
    EXPECT_LE(NextDate(), after + 7.0 + 1e-4);
}

TEST_F(BSUDialogTest, CloseRequestsAndAltF4DoNothingEscapeEndsWithTwo)
{
    StageSampleUpdate();
    StartQt();
    CBSUDlg dlg;
    bool stillVisible = false;
    Later(0, [&] {
        QWidget* w = Window(IDD_BSU_DIALOG);
        ASSERT_NE(w, nullptr);
        w->close();  // the window manager's close button
        Key(IDD_BSU_DIALOG, Qt::Key_F4, Qt::AltModifier);
        Later(20, [&] {
            stillVisible = Window(IDD_BSU_DIALOG) != nullptr && !dlg.IsEnded();
            Key(IDD_BSU_DIALOG, Qt::Key_Escape);
        });
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(stillVisible);
    EXPECT_FALSE(StatusWritten());
    EXPECT_NE(NewUpdate(), "");
}

TEST_F(BSUDialogTest, DoNotUpdateDeclinedReturnsToTheDialogThenConfirmedIgnoresTheUpdate)
{
    const std::string folder = StageSampleUpdate();
    const std::string product = std::string(szBSUUpdaterKey) + "\\Glimmary";
    ASSERT_EQ(WritableKey(product.c_str()).SetString("Version", cmString("2.0.0.0")), ERROR_SUCCESS);
    StartQt();
    testsupport::LogCapture log;
    cmDebugFlags<CM_DEBUG_ID_NOTIFIER>() = CM_DEBUG_WARNING;
    CBSUDlg dlg;
    bool confirmationShown = false;
    bool backWithFocus = false;
    bool nothingYet = false;
    Later(0, [&] {
        Later(50, [&] {
            // The question, in front of the disabled update dialog.
            QWidget* q = Window(IDD_BSU_DELETEUPGRADE);
            confirmationShown = q != nullptr && Window(IDD_BSU_DIALOG) != nullptr && !Window(IDD_BSU_DIALOG)->isEnabled();
            Click(IDD_BSU_DELETEUPGRADE, IDCANCEL);
            Later(20, [&] {
                QWidget* w = Window(IDD_BSU_DIALOG);
                backWithFocus = w != nullptr && w->isEnabled() && dlg.GetFocusId() == IDC_BSU_UPDATENOW &&
                                w->focusWidget() == Control(w, IDC_BSU_UPDATENOW);
                nothingYet = !StatusWritten() && NewUpdate() == folder && fs::exists(folder);
                Later(0, [&] { Click(IDD_BSU_DELETEUPGRADE, IDOK); });
                Click(IDD_BSU_DIALOG, IDC_BSU_STOPBUGGINGME);
            });
        });
        Click(IDD_BSU_DIALOG, IDC_BSU_STOPBUGGINGME);
    });
    EXPECT_EQ(dlg.DoModal(), 5);
    EXPECT_TRUE(confirmationShown);
    EXPECT_TRUE(backWithFocus);
    EXPECT_TRUE(nothingYet);
    // The ignore: versions recorded, the update forgotten and deleted.
    EXPECT_EQ(GetText(product.c_str(), "Version"), "2.1.0.0");
    EXPECT_FALSE(KeyPresent((std::string(szBSUUpdaterKey) + "\\Glimmary Viewer").c_str()));
    EXPECT_EQ(NewUpdate(), "");
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(Status(), 0u);
    EXPECT_EQ(NextDateText(), "0.");
    EXPECT_TRUE(log.Contains("CBSUDlg::OnStopBuggingMe: User cancelled the DeleteUpgrade dialog \n\n"));
    EXPECT_TRUE(log.Contains("CBSUDlg::OnStopBuggingMe: User Elected to remove the update \n\n"));
}

TEST_F(BSUDialogTest, UpdateRunsTheInstallerWhileTheDialogIsHidden)
{
    const std::string folder = StageSampleUpdate();
    // The installer notes its start, then holds after its first milestone
    // until the test lets it go on: the dialog is looked at while the
    // installer provably runs.
    const std::string started = Root() + "/installer.log";
    const std::string release = Root() + "/release";
    testsupport::RewriteInstallerCommand(folder,
                                         "setup.sh --outcome installed --log " + started + " --wait-for " + release);
    StartQt();
    testsupport::LogCapture log;
    CBSUDlg dlg;
    bool hiddenWhileInstalling = false;
    Later(0, [&] {
        // Runs inside the installer wait, which keeps Qt's loop going.
        When(
            "the installer to start", [&] { return Exists(started); },
            [&] {
                hiddenWhileInstalling = Window(IDD_BSU_DIALOG) == nullptr && dlg.IsEnded();
                WriteText(release, "");
            });
        Click(IDD_BSU_DIALOG, IDC_BSU_UPDATENOW);
    });
    EXPECT_EQ(dlg.DoModal(), 5);
    EXPECT_TRUE(hiddenWhileInstalling);
    EXPECT_TRUE(log.Contains("StartPoll: Installer completed message is <10>\n"));
    EXPECT_EQ(NewUpdate(), "");
    EXPECT_EQ(GetText(szBSUNotificationKey, szBSULocationLastUpdateValue), folder);
    EXPECT_EQ(Status(), 0u);
    EXPECT_EQ(NextDateText(), "0.");
}

TEST_F(BSUDialogTest, EnterPressesTheDefaultButtonUpdate)
{
    const std::string folder = StageSampleUpdate();
    StartQt();
    CBSUDlg dlg;
    Later(0, [] { Key(IDD_BSU_DIALOG, Qt::Key_Return); });
    EXPECT_EQ(dlg.DoModal(), 5);
    EXPECT_EQ(GetText(szBSUNotificationKey, szBSULocationLastUpdateValue), folder) << "the installer ran";
}

TEST_F(BSUDialogTest, MoreDetailsOpensThePageWithItsProgramInThePagesFolder)
{
    const std::string folder = StageSampleUpdate();
    // A private desktop: .htm pages open with a program that notes how it
    // was started, through an Exec line that sets a variable first.
    const std::string data = UsePrivateDesktop();
    WriteText(data + "/applications/mimeapps.list", "[Default Applications]\ntext/html=pageviewer.desktop\n");
    const std::string viewer = Root() + "/page viewer";
    const std::string note = Root() + "/started.txt";
    // The note appears whole: written beside and then renamed.
    WriteText(viewer,
              "#!/bin/sh\necho \"$FOO|$PWD|$*\" > '" + note + ".new' && mv '" + note + ".new' '" + note + "'\n");
    fs::permissions(viewer, fs::perms::owner_all);
    WriteText(data + "/applications/pageviewer.desktop",
              "[Desktop Entry]\nType=Application\nName=Viewer\nExec=env FOO=1 \"" + viewer + "\" %f\n");
    SetLanguage("1033");
    StartQt();
    CBSUDlg dlg;
    bool stillShown = false;
    Later(0, [&] {
        dlg.ViewCommand(IDC_BSU_MOREDETAILS_BTN);  // the button is hidden; its handler is there
        stillShown = Window(IDD_BSU_DIALOG) != nullptr && Window(IDD_BSU_MOREDETAILS) == nullptr;
        Key(IDD_BSU_DIALOG, Qt::Key_Escape);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(stillShown);
    // The viewer runs on its own; wait for its note.
    ASSERT_TRUE(testsupport::Eventually([&] { return Exists(note); })) << "the page viewer was not started";
    std::string line;
    std::ifstream in(note);
    std::getline(in, line);
    const std::string dir = folder + "/UpdateDetails_1033";
    EXPECT_EQ(line, "1|" + dir + "|" + dir + "/details.htm");
}

TEST_F(BSUDialogTest, MoreDetailsWithoutAnApplicationForThePageShowsTheDialog)
{
    StageSampleUpdate();
    UsePrivateDesktop();  // it knows the page's type, and no application for it
    SetLanguage("1033");
    StartQt();
    CBSUDlg dlg;
    bool dialogShown = false;
    Later(0, [&] {
        Later(20, [&] {
            QWidget* more = Window(IDD_BSU_MOREDETAILS);
            dialogShown = more != nullptr;
            if (more != nullptr)
                QTest::keyClick(more, Qt::Key_Escape);
            Later(10, [&] { Key(IDD_BSU_DIALOG, Qt::Key_Escape); });
        });
        dlg.ViewCommand(IDC_BSU_MOREDETAILS_BTN);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(dialogShown);
}

TEST_F(BSUDialogTest, WithoutAPageMoreDetailsShowsTheDescriptionAndComesBack)
{
    const std::string folder = StageSampleUpdate();
    fs::remove_all(folder + "/UpdateDetails_1033/details.htm");
    SetLanguage("1033");
    StartQt();
    testsupport::LogCapture log;
    cmDebugFlags<CM_DEBUG_ID_NOTIFIER>() = CM_DEBUG_WARNING;
    CBSUDlg dlg;
    std::string description;
    bool updateHidden = false;
    bool updateBack = false;
    Later(0, [&] {
        Later(20, [&] {
            QWidget* more = Window(IDD_BSU_MOREDETAILS);
            ASSERT_NE(more, nullptr);
            updateHidden = Window(IDD_BSU_DIALOG) == nullptr;
            description = qobject_cast<QTextEdit*>(Control(more, IDC_MOREDETAILS_TEXT))->toPlainText().toStdString();
            QTest::keyClick(more, Qt::Key_Escape);
            Later(10, [&] {
                updateBack = Window(IDD_BSU_DIALOG) != nullptr;
                Key(IDD_BSU_DIALOG, Qt::Key_Escape);
            });
        });
        dlg.ViewCommand(IDC_BSU_MOREDETAILS_BTN);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(updateHidden);
    EXPECT_TRUE(updateBack);
    EXPECT_NE(description.find("Glimmary"), std::string::npos) << description;
    EXPECT_TRUE(log.Contains("CBSUDlg::OnBsuMoredetailsBtn: details page " + folder +
                             "/UpdateDetails_1033/details.htm not found \n\n"));
}
