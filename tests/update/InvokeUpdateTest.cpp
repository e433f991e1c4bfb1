// Launching the update's installer: the sample installer runs as a real child
// process and reports its milestones through glm-milestone, as a real
// installer does.
#include "platform/kernel32/Environment.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TestPaths.h"
#include "tests/update/UpdateFolderFixture.h"
#include "update/CBSUMetaData.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class InvokeUpdateTest : public testsupport::UpdateFolderTest {
protected:
    void SetUp() override
    {
        UpdateFolderTest::SetUp();
        SetEnvironmentVariableA("GLM_MILESTONE", testsupport::BuildPath("tools/glm-milestone").c_str());
        // The update task's decision has made the Notification key by the
        // time an installer is launched.
        ASSERT_EQ(WritableKey(szBSUNotificationKey).SetDword(szBSUStatusValue, 0), ERROR_SUCCESS);
    }

    // An update folder with the sample installer and this command.
    std::string Stage(const std::string& command, const std::string& name = "update")
    {
        const std::string folder = MakeFolder(name);
        fs::copy_file(std::string(NOTIFIER_SOURCE_DIR) + "/resources/sample-update/setup.sh", folder + "/setup.sh",
                      fs::copy_options::overwrite_existing);
        WriteConfig(folder, {command, {}, {}, {}});
        SetNewUpdate(folder);
        return folder;
    }
    static HRESULT Invoke(CBSUMetaData& data)
    {
        EXPECT_EQ(data.PopulateMe(), S_OK);
        return data.InvokeUpdate(nullptr);
    }
    static std::string Location() { return GetText(szBSUNotificationKey, szBSULocationLastUpdateValue); }
    static DWORD RetryCount()
    {
        return cmRegistryKey(HKEY_LOCAL_MACHINE, szBSUNotificationKey).QueryDword(szBSURetryCountValue);
    }
};

}  // namespace

TEST_F(InvokeUpdateTest, AnInstalledUpdateIsForgottenAndItsFolderNamedForDeletion)
{
    const std::string folder = Stage("setup.sh --outcome installed");
    testsupport::LogCapture log;
    CBSUMetaData data;
    EXPECT_EQ(Invoke(data), S_OK);
    EXPECT_EQ(NewUpdate(), "");
    EXPECT_EQ(Location(), folder);
    EXPECT_TRUE(fs::exists(folder)) << "deleted on a later run, not now";
    EXPECT_TRUE(log.Contains("StartPoll: Installer completed message is <10>\n"));
    EXPECT_TRUE(log.Contains("CBSUMetaData::InvokeUpdate: all is welll, remove install\n"));
}

TEST_F(InvokeUpdateTest, AnInstallerLeftByTheUserChangesNothing)
{
    const std::string folder = Stage("setup.sh --outcome left");
    testsupport::LogCapture log;
    CBSUMetaData data;
    EXPECT_EQ(Invoke(data), S_OK);
    EXPECT_EQ(NewUpdate(), folder);
    EXPECT_EQ(Location(), "");
    EXPECT_FALSE(ValuePresent(szBSUNotificationKey, szBSURetryCountValue));
    EXPECT_TRUE(log.Contains("StartPoll: Installer completed message is <30>\n"));
}

TEST_F(InvokeUpdateTest, InstallersThatEndWithoutAKnownReportCountAsFailures)
{
    // An unknown final status does not end the wait; the installer's end does.
    Stage("setup.sh --outcome odd");
    CBSUMetaData odd;
    EXPECT_EQ(Invoke(odd), E_FAIL);
    EXPECT_EQ(RetryCount(), 0u);

    // No completion report at all.
    Stage("setup.sh --outcome none");
    CBSUMetaData none;
    EXPECT_EQ(Invoke(none), E_FAIL);
    EXPECT_EQ(RetryCount(), 1u);

    // 400 then 200/40: the final report says the installation failed.
    testsupport::LogCapture log;
    Stage("setup.sh --outcome failed");
    CBSUMetaData failed;
    EXPECT_EQ(Invoke(failed), E_FAIL);
    EXPECT_EQ(RetryCount(), 2u);
    EXPECT_TRUE(log.Contains("StartPoll: Installer completed message is <40>\n"));
    EXPECT_TRUE(log.Contains("CBSUMetaData::InvokeUpdate: Installer retry count <2>\n"));
}

TEST_F(InvokeUpdateTest, TheFourthFailureFromNoCountGivesTheUpdateUp)
{
    const std::string folder = Stage("setup.sh --outcome failed");
    const DWORD expected[] = {0, 1, 2, 0};
    for (int run = 0; run < 4; ++run) {
        CBSUMetaData data;
        const HRESULT hr = Invoke(data);
        EXPECT_EQ(RetryCount(), expected[run]) << "run " << run;
        if (run < 3) {
            EXPECT_EQ(hr, E_FAIL) << "run " << run;
            EXPECT_EQ(NewUpdate(), folder);
        } else {
            EXPECT_EQ(hr, S_OK);
            EXPECT_EQ(NewUpdate(), "");
            EXPECT_EQ(Location(), folder);
        }
    }
}

TEST_F(InvokeUpdateTest, TheInstallerStartsInItsFolderWithItsArguments)
{
    const std::string logFile = Root() + "/installer.log";
    const std::string folder = Stage("setup.sh /quiet --log " + logFile, "my updates/U 1");
    CBSUMetaData data;
    EXPECT_EQ(Invoke(data), S_OK);
    std::ifstream in(logFile);
    std::stringstream s;
    s << in.rdbuf();
    EXPECT_EQ(s.str(), "cwd=" + folder + "\narg=/quiet\narg=--log\narg=" + logFile + "\n");
    EXPECT_EQ(fs::canonical(fs::current_path()), fs::canonical(folder)) << "the notifier stays in the folder";
}

TEST_F(InvokeUpdateTest, AnInstallerThatCannotBeStartedIsNotWaitedFor)
{
    Stage("missing-setup.sh --quiet");
    testsupport::LogCapture log;
    CBSUMetaData data;
    // Nothing can report: a wait for a report would never end, so the call
    // returning at all is the proof. It counts as a failed installation.
    EXPECT_EQ(Invoke(data), E_FAIL);
    EXPECT_TRUE(log.Contains("StartPoll: Installer completed message is <0>\n")) << "a milestone from nowhere";
    EXPECT_EQ(RetryCount(), 0u);
}

TEST_F(InvokeUpdateTest, NothingToStartIsAnUnexpectedState)
{
    testsupport::LogCapture log;
    CBSUMetaData empty;
    EXPECT_EQ(empty.InvokeUpdate(nullptr), E_UNEXPECTED);
    EXPECT_TRUE(log.Contains(
        "INVALID STATE: Evaluation of 'this->szPathToUpdate.GetLengthInTchars()!=0' failed.  Returning E_UNEXPECTED.\n"));
    CBSUMetaData noCommand;
    noCommand.szPathToUpdate = Root().c_str();
    EXPECT_EQ(noCommand.InvokeUpdate(nullptr), E_UNEXPECTED);
    EXPECT_TRUE(log.Contains(
        "INVALID STATE: Evaluation of 'this->szAppToLaunch.GetLengthInTchars()!=0' failed.  Returning E_UNEXPECTED.\n"));
    CBSUMetaData gone;
    gone.szPathToUpdate = (Root() + "/gone").c_str();
    gone.szAppToLaunch = "setup.sh";
    EXPECT_EQ(gone.InvokeUpdate(nullptr), E_UNEXPECTED);
    EXPECT_TRUE(log.Contains("INVALID STATE: Evaluation of 'retval ==0' failed.  Returning E_UNEXPECTED.\n"));
    EXPECT_FALSE(ValuePresent(szBSUNotificationKey, szBSURetryCountValue));
}

TEST_F(InvokeUpdateTest, AHelperInASessionOfItsOwnIsHeardAfterTheInstallerEnded)
{
    // The installer hands over to a daemon-like helper (a new session, its
    // parent gone) and exits; the helper reports once the installer has ended.
    const std::string folder = MakeFolder("update");
    const std::string helper = "setsid sh -c 'while kill -0 '$$' 2>/dev/null; do sleep 0.02; done; ";
    WriteText(folder + "/reports-later.sh", "#!/bin/sh\n" + helper + "\"$GLM_MILESTONE\" 200 10' &\nexit 0\n");
    WriteText(folder + "/never-reports.sh", "#!/bin/sh\n" + helper + "' &\nexit 0\n");
    for (const char* script : {"reports-later.sh", "never-reports.sh"})
        fs::permissions(folder + "/" + script, fs::perms::owner_all);

    WriteConfig(folder, {"reports-later.sh", {}, {}, {}});
    SetNewUpdate(folder);
    testsupport::LogCapture log;
    CBSUMetaData installed;
    EXPECT_EQ(Invoke(installed), S_OK);
    EXPECT_TRUE(log.Contains("StartPoll: Installer completed message is <10>\n"));
    EXPECT_EQ(NewUpdate(), "");
    EXPECT_EQ(Location(), folder);

    // A helper that ends without a report ends the wait as a failure: the
    // first failure starts the retry count.
    WriteConfig(folder, {"never-reports.sh", {}, {}, {}});
    SetNewUpdate(folder);
    SetText(szBSUNotificationKey, szBSULocationLastUpdateValue, "");
    ASSERT_FALSE(ValuePresent(szBSUNotificationKey, szBSURetryCountValue));
    CBSUMetaData failed;
    EXPECT_EQ(Invoke(failed), E_FAIL);
    EXPECT_TRUE(ValuePresent(szBSUNotificationKey, szBSURetryCountValue));
    EXPECT_EQ(RetryCount(), 0u);
    EXPECT_EQ(NewUpdate(), folder);
}
