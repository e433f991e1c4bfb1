// Temporary names, system information, paths and the working folder.
#include "CustomCode/Common/cmDebugSubsystems.h"
#include "CustomCode/Common/cmRegistryKey.h"
#include "CustomCode/Common/cmTempfile.h"
#include "CustomCode/Common/cmWinfo.h"
#include "platform/kernel32/Environment.h"
#include "platform/kernel32/FileApi.h"
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/SystemInfo.h"
#include "platform/linux/TempDirectory.h"
#include "tests/support/LogCapture.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace fs = std::filesystem;

TEST(Tempfile, NamesAreUniqueAndTheirFilesAreMadeExclusively)
{
    platform::ScopedTempDirectory tmp("tempfile");
    SetEnvironmentVariableA("TMPDIR", tmp.Path().c_str());
    cmTempfile a, b;
    cmString nameA, nameB;
    ASSERT_EQ(a.getTempfileName(nameA, "pre-", ".tmp"), S_OK);
    ASSERT_EQ(b.getTempfileName(nameB, "pre-", ".tmp"), S_OK);
    EXPECT_NE(std::string(nameA.GetText()), std::string(nameB.GetText())) << "same millisecond, other counter";
    EXPECT_EQ(std::string(nameA.GetText()).rfind(tmp.Path() + "/pre-", 0), 0u);
    EXPECT_TRUE(fs::path(nameA.GetText()).extension() == ".tmp");
    EXPECT_FALSE(fs::exists(nameA.GetText())) << "a name is only a name";
    // Nothing at a name is a failed removal, as DeleteFileA reports it, and
    // the name is forgotten all the same.
    cmString again;
    EXPECT_EQ(b.getTempfileName(again, "pre-", ".tmp"), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(b.GetName().IsEmpty());

    HANDLE h = a.CreateExclusive();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(a.CreateExclusive(), INVALID_HANDLE_VALUE) << "an existing file is never taken over";
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);

    // A new name removes the file of the old one.
    const std::string first = nameA.GetText();
    ASSERT_EQ(a.getTempfileName(nameA, "", ""), S_OK);
    EXPECT_FALSE(fs::exists(first));
    {
        cmTempfile scoped;
        cmString name;
        scoped.getTempfileName(name, "dir", "");
        fs::create_directory(name.GetText());
        EXPECT_TRUE(fs::is_directory(name.GetText()));
        nameA = name;
    }
    EXPECT_FALSE(fs::exists(nameA.GetText())) << "the destructor removes an empty folder too";
}

TEST(Tempfile, AFolderThatCannotBeRemovedIsReported)
{
    platform::ScopedTempDirectory tmp("tempfile");
    SetEnvironmentVariableA("TMPDIR", tmp.Path().c_str());
    cmTempfile t;
    cmString name;
    t.getTempfileName(name, "full", "");
    fs::create_directories(std::string(name.GetText()) + "/inside");
    cmDebugFlags<CM_DEBUG_ID_CMLIB>() |= CM_DEBUG_WARNING;
    testsupport::LogCapture log;
    EXPECT_EQ(t.rmvTempfileName(), HRESULT_FROM_WIN32(ERROR_DIR_NOT_EMPTY));
    cmDebugFlags<CM_DEBUG_ID_CMLIB>() &= ~CM_DEBUG_WARNING;
    EXPECT_TRUE(t.GetName().IsEmpty()) << "the name is forgotten in every case";
    ASSERT_FALSE(log.Lines().empty());
    EXPECT_EQ(log.Lines().back().rfind("cmTempfile::rmvTempfileName: DeleteFile/RemoveDirectory generated error ", 0), 0u);
}

TEST(Winfo, OperatingSystemNamesBindForWindowsOnly)
{
    EXPECT_STREQ(cmWinfo::WinOpSysName(VER_PLATFORM_WIN32_WINDOWS, 4, 10).GetText(), "Microsoft Windows 98 ");
    EXPECT_STREQ(cmWinfo::WinOpSysName(VER_PLATFORM_WIN32_WINDOWS, 4, 90).GetText(), "Microsoft Windows Millenium ");
    EXPECT_STREQ(cmWinfo::WinOpSysName(VER_PLATFORM_WIN32_NT, 3, 51).GetText(), "Microsoft Windows NT ");
    EXPECT_STREQ(cmWinfo::WinOpSysName(VER_PLATFORM_WIN32_NT, 5, 1).GetText(), "Microsoft Windows XP ");
    EXPECT_STREQ(cmWinfo::WinOpSysName(VER_PLATFORM_WIN32_NT, 6, 0).GetText(), "");
    EXPECT_STREQ(cmWinfo::GetWinOpSys().GetText(), "") << "this is not Windows";
    EXPECT_FALSE(cmWinfo::IsVersionAtLeast(0, 0, 0));
    OSVERSIONINFOA info{};
    EXPECT_FALSE(GetVersionExA(&info)) << "the record's size must be set";
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_GE(info.dwMajorVersion, 3u);
}

TEST(Winfo, FoldersComeFromTheStoreThenFromTheXdgSettings)
{
    char home[4096] = {};
    GetEnvironmentVariableA("HOME", home, sizeof home);
    EXPECT_EQ(std::string(cmWinfo::GetDesktopFolder().GetText()), std::string(home) + "/Desktop");

    char config[4096] = {};
    GetEnvironmentVariableA("XDG_CONFIG_HOME", config, sizeof config);
    fs::create_directories(config);
    std::ofstream(std::string(config) + "/user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                                            << "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n";
    EXPECT_EQ(std::string(cmWinfo::GetDesktopFolder().GetText()), std::string(home) + "/Schreibtisch");

    cmRegistryKey shell = cmRegistryKey(HKEY_CURRENT_USER,
                                        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                        cmRegistryCreate::CreateMissing)
                              .GetWritableCopy();
    ASSERT_EQ(shell.SetString("Desktop", cmString("/srv/desk")), ERROR_SUCCESS);
    EXPECT_STREQ(cmWinfo::GetDesktopFolder().GetText(), "/srv/desk");

    cmRegistryKey cv = cmRegistryKey(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion",
                                     cmRegistryCreate::CreateMissing)
                           .GetWritableCopy();
    ASSERT_EQ(cv.SetString("ProgramFilesDir", cmString("/opt")), ERROR_SUCCESS);
    EXPECT_STREQ(cmWinfo::GetProgramFilesDir().GetText(), "/opt/");
    EXPECT_STREQ(cmWinfo::GetSystemRoot().GetText(), "") << "missing stays empty, without a separator";
}

TEST(Winfo, XdgSettingsAreReadAsTheShellReadsThem)
{
    const std::string text = "XDG_MUSIC_DIR=\"$HOME/Music\"\n  XDG_DESKTOP_DIR=\"/abs/desk\"\nXDG_DESKTOP_DIR=\"$HOME/later\"\n"
                             "XDG_DOCUMENTS_DIR=\"relative\"\nXDG_PICTURES_DIR=\"unclosed\n";
    EXPECT_EQ(platform::XdgUserDirFromText(text, "DESKTOP", "/h"), "/h/later");
    EXPECT_EQ(platform::XdgUserDirFromText(text, "MUSIC", "/h"), "/h/Music");
    EXPECT_EQ(platform::XdgUserDirFromText(text, "DOCUMENTS", "/h"), "") << "only absolute folders count";
    EXPECT_EQ(platform::XdgUserDirFromText(text, "PICTURES", "/h"), "");
    EXPECT_EQ(platform::XdgUserDirFromText("", "DESKTOP", "/h"), "");
}

TEST(Winfo, PathsAndTheInfFolder)
{
    testsupport::LogCapture log;
    EXPECT_EQ(cmWinfo::GetFilePath(""), E_INVALIDARG);
    EXPECT_TRUE(log.Contains("INVALID ARG: Evaluation of '0 !=_tcslen(szFilePath)' failed.  Returning E_INVALIDARG.\n"));
    EXPECT_EQ(cmWinfo::GetFilePath("/"), static_cast<HRESULT>(ERROR_SUCCESS));
    EXPECT_EQ(cmWinfo::GetFilePath("/no/such/path"), static_cast<HRESULT>(ERROR_FILE_NOT_FOUND));

    cmString full;
    EXPECT_EQ(cmWinfo::CreateFullQualPath("setup.sh", "/u", full), S_OK);
    EXPECT_STREQ(full.GetText(), "/u/setup.sh");
    EXPECT_EQ(cmWinfo::CreateFullQualPath("setup.sh", "/u/", full), S_OK);
    EXPECT_STREQ(full.GetText(), "/u/setup.sh");
    EXPECT_EQ(cmWinfo::CreateFullQualPath(nullptr, "/u", full), E_INVALIDARG);
    EXPECT_TRUE(log.Contains("INVALID ARG: Evaluation of 'szFileName!=NULL' failed.  Returning E_INVALIDARG.\n"));
    EXPECT_EQ(cmWinfo::CreateFullQualPath("x", nullptr, full), E_INVALIDARG);

    cmString inf;
    EXPECT_EQ(cmWinfo::GetINFFolder(inf), E_FAIL);
    platform::ScopedTempDirectory root("root");
    fs::create_directories(root.Path() + "/INF");
    cmRegistryKey cv = cmRegistryKey(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion",
                                     cmRegistryCreate::CreateMissing)
                           .GetWritableCopy();
    ASSERT_EQ(cv.SetString("SystemRoot", cmString(root.Path().c_str())), ERROR_SUCCESS);
    ASSERT_EQ(cv.SetString("DevicePath", cmString("/no/such/devices")), ERROR_SUCCESS);
    EXPECT_EQ(cmWinfo::GetINFFolder(inf), S_OK);
    EXPECT_EQ(std::string(inf.GetText()), root.Path() + "/INF");
}

TEST(Winfo, TheConsoleSessionIsTheActiveOneOfItsSeatAndAnyProcessWithoutLogind)
{
    using State = platform::LoginSessionState;
    testsupport::LogCapture log;
    const auto traced = [&log](const std::string& text) {
        return log.Contains("cmIsProcessInActiveConsoleSession: " + text + "\n");
    };
    cmDebugFlags<CM_DEBUG_ID_CMLIB>() |= CM_DEBUG_INFO;
    EXPECT_TRUE(cmIsInActiveConsoleSession({State::NoLogind, "", ""}));
    EXPECT_TRUE(traced("Must be Win9x"));
    EXPECT_TRUE(cmIsInActiveConsoleSession({State::Active, "3", "3"}));
    EXPECT_TRUE(traced("Process Session Id 3"));
    EXPECT_TRUE(traced("Active Console Session Id :3, Process Session Id 3"));
    EXPECT_FALSE(cmIsInActiveConsoleSession({State::Inactive, "4", "c1"}));
    EXPECT_TRUE(traced("Active Console Session Id :-1, Process Session Id 4")) << "a greeter's session is no number";
    log.Clear();
    EXPECT_FALSE(cmIsInActiveConsoleSession({State::NoSeat, "7", ""})) << "a remote session is at no console";
    EXPECT_TRUE(traced("Process Session Id 7"));
    EXPECT_EQ(log.Lines().size(), 1u);
    EXPECT_FALSE(cmIsInActiveConsoleSession({State::NoSession, "", ""})) << "a service is in no session";
    cmDebugFlags<CM_DEBUG_ID_CMLIB>() &= ~CM_DEBUG_INFO;
    // Where this runs without logind (a build machine, a container) every
    // process counts as the console's.
    if (platform::GetOwnLoginSession().state == State::NoLogind) {
        EXPECT_TRUE(cmIsProcessInActiveConsoleSession());
    }
}

TEST(Winfo, TheWorkingFolder)
{
    cmString before;
    ASSERT_EQ(cmGetWorkingFolder(before), S_OK);
    platform::ScopedTempDirectory tmp("cwd");
    EXPECT_EQ(cmSetWorkingFolder(tmp.Path().c_str()), S_OK);
    cmString now;
    cmGetWorkingFolder(now);
    EXPECT_EQ(fs::canonical(now.GetText()), fs::canonical(tmp.Path()));
    EXPECT_EQ(cmSetWorkingFolder((tmp.Path() + "/missing").c_str()), E_INVALIDARG);
    std::ofstream(tmp.Path() + "/file") << "x";
    EXPECT_EQ(cmSetWorkingFolder((tmp.Path() + "/file").c_str()), E_INVALIDARG);
    EXPECT_EQ(cmSetWorkingFolder(""), E_INVALIDARG);
    EXPECT_EQ(cmSetWorkingFolder(before), S_OK);
}
