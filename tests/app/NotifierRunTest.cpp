// The real program on this test's private store: what one run decides and
// writes, seen from outside as an administrator would see it.
#include "CustomCode/Common/cmRegistryKey.h"
#include "CustomCode/Common/cmRegistryLayout.h"
#include "platform/kernel32/ChildProcess.h"
#include "platform/kernel32/Environment.h"
#include "platform/linux/TempDirectory.h"
#include "tests/support/TestPaths.h"
#include "update/BSURegistryLayout.h"
#include "update/CNotificationData.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace {

class NotifierRunTest : public ::testing::Test {
protected:
    static int RunNotifier()
    {
        platform::ChildProcess notifier;
        EXPECT_EQ(notifier.Start({testsupport::BuildPath("Notifier")}), ERROR_SUCCESS);
        int code = -1;
        EXPECT_TRUE(notifier.Wait(30000, code)) << "the notifier did not end";
        return code;
    }
    static cmRegistryKey Notification()
    {
        return cmRegistryKey(HKEY_LOCAL_MACHINE, szBSUNotificationKey, cmRegistryCreate::CreateMissing).GetWritableCopy();
    }
    // Trace switches for the notifier's modules, written to the log file.
    static void TraceToLogFile()
    {
        cmRegistryKey levels =
            cmRegistryKey(HKEY_LOCAL_MACHINE, szAppLogLevelsKey, cmRegistryCreate::CreateMissing).GetWritableCopy();
        ASSERT_EQ(levels.SetDword("BSU_NOTIFIER", 0x20000018), ERROR_SUCCESS);
        ASSERT_EQ(levels.SetDword("NOTIFIER_UTILITY", 0x20000018), ERROR_SUCCESS);
    }
    static std::string LogFile()
    {
        char path[4096] = {};
        GetEnvironmentVariableA("BRELVO_LOG_FILE", path, sizeof path);
        std::ifstream in(path);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

}  // namespace

TEST_F(NotifierRunTest, AFirstRunOnAnEmptyStoreMakesTheNotificationDue)
{
    EXPECT_EQ(RunNotifier(), 0);
    cmRegistryKey k = Notification();
    DWORD type = 0;
    ASSERT_EQ(RegQueryValueExA(k.GetHandle(), szBSUStatusValue, nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(k.QueryDword(szBSUStatusValue), 0u);
    EXPECT_STREQ(k.QueryString(szBSUNextUpdateValue).GetText(), "0.");
}

TEST_F(NotifierRunTest, ARemindedUserIsNotAskedBeforeTheDate)
{
    TraceToLogFile();
    ASSERT_EQ(Notification().SetDword(szBSUStatusValue, 2), ERROR_SUCCESS);
    ASSERT_EQ(Notification().SetString(szBSUNextUpdateValue, CNotificationData::DateToText(CNotificationData::Now() + 7.0)),
              ERROR_SUCCESS);
    EXPECT_EQ(RunNotifier(), 0);
    const std::string log = LogFile();
    EXPECT_NE(log.find("CArbiter::FindAndProcessTask: Entering\n"), std::string::npos) << log;
    EXPECT_NE(log.find("CNotificationData::UpdateIsNeeded: Returning FALSE as 0x0\n"), std::string::npos) << log;
    EXPECT_NE(log.find("CBSUWizard::DoYouNeedToRun: Exiting\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("CBSUWizard::PerformAction"), std::string::npos) << "the dialog was not made:\n" << log;
    EXPECT_EQ(Notification().QueryDword(szBSUStatusValue), 2u);
}

TEST_F(NotifierRunTest, ADueRunForgetsAnUnusableUpdateAndDeletesAFinishedOne)
{
    platform::ScopedTempDirectory tmp("run");
    const std::string finished = tmp.Path() + "/finished";
    const std::string empty = tmp.Path() + "/empty";
    std::filesystem::create_directories(finished + "/UpdateDetails_1033/images");
    std::ofstream(finished + "/setup.sh") << "#!/bin/sh\n";
    std::filesystem::create_directories(empty);
    ASSERT_EQ(Notification().SetString(szBSULocationLastUpdateValue, cmString(finished.c_str())), ERROR_SUCCESS);
    cmRegistryKey updater =
        cmRegistryKey(HKEY_LOCAL_MACHINE, szBSUUpdaterKey, cmRegistryCreate::CreateMissing).GetWritableCopy();
    ASSERT_EQ(updater.SetString(szBSUNewUpdateValue, cmString(empty.c_str())), ERROR_SUCCESS);

    EXPECT_EQ(RunNotifier(), 0);
    EXPECT_FALSE(std::filesystem::exists(finished));
    EXPECT_FALSE(std::filesystem::exists(empty));
    EXPECT_STREQ(Notification().QueryString(szBSULocationLastUpdateValue).GetText(), "");
    EXPECT_STREQ(updater.QueryString(szBSUNewUpdateValue).GetText(), "");
    EXPECT_EQ(Notification().QueryDword(szBSUStatusValue), 0u) << "nothing was shown, so nothing was decided";
}

TEST_F(NotifierRunTest, OddFilesInTheUpdateFolderNeverHoldTheRun)
{
    // No display: the run reads the update folder, cannot show the dialog and
    // ends. What stands where a file should be must not hold it in an open or
    // a read for ever, nor make it read without bound.
    SetEnvironmentVariableA("DISPLAY", nullptr);
    SetEnvironmentVariableA("WAYLAND_DISPLAY", nullptr);
    SetEnvironmentVariableA("QT_QPA_PLATFORM", nullptr);
    cmRegistryKey(HKEY_LOCAL_MACHINE, szBSUNotifierKey, cmRegistryCreate::CreateMissing)
        .GetWritableCopy()
        .SetString(szBSULanguageValue, cmString("1033"));
    cmRegistryKey updater =
        cmRegistryKey(HKEY_LOCAL_MACHINE, szBSUUpdaterKey, cmRegistryCreate::CreateMissing).GetWritableCopy();
    platform::ScopedTempDirectory tmp("odd");
    const std::vector<std::pair<std::string, std::function<void(const std::string&)>>> kinds = {
        {"a FIFO", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }},
        {"a folder", [](const std::string& p) { std::filesystem::create_directory(p); }},
        {"a link to /dev/zero", [](const std::string& p) { std::filesystem::create_symlink("/dev/zero", p); }}};
    int n = 0;
    for (const char* place : {"Update.cfg", "UpdateDetails_1033/images/top.jpg"}) {
        for (const auto& [kind, make] : kinds) {
            const std::string folder = tmp.Path() + "/update-" + std::to_string(++n);
            std::filesystem::copy(testsupport::BuildPath("sample-update"), folder, std::filesystem::copy_options::recursive);
            std::filesystem::remove(folder + "/" + place);
            make(folder + "/" + place);
            ASSERT_EQ(updater.SetString(szBSUNewUpdateValue, cmString(folder.c_str())), ERROR_SUCCESS);
            ASSERT_EQ(Notification().SetDword(szBSUStatusValue, 0), ERROR_SUCCESS);
            EXPECT_EQ(RunNotifier(), 0) << kind << " as " << place;
            // Something is there, so the update is not forgotten; it cannot
            // be shown, so nothing is decided.
            EXPECT_STREQ(updater.QueryString(szBSUNewUpdateValue).GetText(), folder.c_str()) << kind << " as " << place;
            EXPECT_EQ(Notification().QueryDword(szBSUStatusValue), 0u);
        }
    }
}
