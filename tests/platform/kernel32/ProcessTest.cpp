// Starting programs: how a command line is split, where the program runs,
// and when a started program's whole process group has ended.
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/Process.h"
#include "platform/kernel32/Wait.h"
#include "platform/kernel32/WinError.h"
#include "platform/linux/TempDirectory.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Words = std::vector<std::string>;

Words Split(const std::string& line, const std::set<std::string>& files)
{
    return platform::SplitCommandLine(line, [&](const std::string& p) { return files.count(p) != 0; });
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteScript(const std::string& path, const std::string& body)
{
    std::ofstream(path) << "#!/bin/sh\n" << body;
    fs::permissions(path, fs::perms::owner_all);
}

PROCESS_INFORMATION Start(const std::string& commandLine, const std::string& folder)
{
    std::string line = commandLine;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    EXPECT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
        << commandLine << ": error " << GetLastError();
    return pi;
}

}  // namespace

TEST(SplitCommandLine, TheProgramIsTheShortestPrefixThatNamesAFile)
{
    const std::set<std::string> files = {"/u/my update/setup.sh", "/u/plain/setup.sh", "/a b"};
    EXPECT_EQ(Split("/u/my update/setup.sh /quiet", files), (Words{"/u/my update/setup.sh", "/quiet"}));
    EXPECT_EQ(Split("/u/plain/setup.sh", files), (Words{"/u/plain/setup.sh"}));
    EXPECT_EQ(Split("  /u/plain/setup.sh   a  \"b c\" d\"e f\"", files),
              (Words{"/u/plain/setup.sh", "a", "b c", "de f"}));
    // "/a b" exists, so it wins over the longer "/a b c".
    EXPECT_EQ(Split("/a b c", files), (Words{"/a b", "c"}));
    // No prefix is a file: the first word, so that starting it fails cleanly.
    EXPECT_EQ(Split("/nowhere/x y z", files), (Words{"/nowhere/x", "y", "z"}));
}

TEST(SplitCommandLine, AQuotedProgramAndEmptyLines)
{
    EXPECT_EQ(Split("\"/u/my update/setup.sh\" -x", {}), (Words{"/u/my update/setup.sh", "-x"}));
    EXPECT_EQ(Split("\"/unclosed quote", {}), (Words{"/unclosed quote"}));
    EXPECT_EQ(Split("", {}), Words{});
    EXPECT_EQ(Split(" \t ", {}), Words{});
    EXPECT_EQ(Split("prog \"\" x", {}), (Words{"prog", "", "x"})) << "an empty quoted word is a word";
}

TEST(CreateProcess, RunsTheProgramInItsFolderWithTheRemainingWords)
{
    platform::ScopedTempDirectory tmp("process");
    const std::string folder = tmp.Path() + "/my update";
    fs::create_directories(folder);
    const std::string out = tmp.Path() + "/out.txt";
    WriteScript(folder + "/setup.sh", "{ pwd; for a in \"$@\"; do echo \"[$a]\"; done; } > '" + out + "'\n");

    PROCESS_INFORMATION pi = Start(folder + "/setup.sh /quiet \"two words\"", folder);
    HANDLE watch = platform::WatchProcessGroup(pi.hProcess);
    ASSERT_NE(watch, nullptr);
    EXPECT_EQ(WaitForSingleObject(watch, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(ReadAll(out), folder + "\n[/quiet]\n[two words]\n");
    EXPECT_GT(pi.dwProcessId, 0u);
    EXPECT_TRUE(CloseHandle(watch));
    EXPECT_TRUE(CloseHandle(pi.hProcess));
    EXPECT_TRUE(CloseHandle(pi.hThread));
}

TEST(CreateProcess, FailuresAreReportedWithoutStartingAnything)
{
    platform::ScopedTempDirectory tmp("process");
    STARTUPINFOA si{};
    PROCESS_INFORMATION pi{};
    std::string missing = tmp.Path() + "/missing.sh /quiet";
    EXPECT_FALSE(CreateProcessA(nullptr, missing.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    std::string empty = "  ";
    EXPECT_FALSE(CreateProcessA(nullptr, empty.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    // A file that is not a program.
    const std::string data = tmp.Path() + "/data.txt";
    std::ofstream(data) << "not a program";
    std::string line = data;
    EXPECT_FALSE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    EXPECT_NE(GetLastError(), ERROR_SUCCESS);

    // A folder that cannot be entered.
    const std::string script = tmp.Path() + "/ok.sh";
    WriteScript(script, "exit 0\n");
    line = script;
    EXPECT_FALSE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                (tmp.Path() + "/no-such-folder").c_str(), &si, &pi));
    EXPECT_EQ(platform::WatchProcessGroup(nullptr), nullptr);
}

TEST(ProcessGroupWatch, WaitsForEveryProcessTheProgramStarted)
{
    platform::ScopedTempDirectory tmp("process");
    const std::string marker = tmp.Path() + "/grandchild-done";
    const std::string release = tmp.Path() + "/release";
    const std::string script = tmp.Path() + "/installer.sh";
    // The installer leaves a helper behind that runs on after it has exited,
    // until the test lets it finish (or a minute has passed, a safety net).
    WriteScript(script, "( i=0; while [ ! -e '" + release +
                            "' ] && [ $i -lt 1200 ]; do sleep 0.05; i=$((i+1)); done; touch '" + marker +
                            "' ) &\nexit 0\n");

    PROCESS_INFORMATION pi = Start(script, tmp.Path());
    HANDLE watch = platform::WatchProcessGroup(pi.hProcess);
    ASSERT_NE(watch, nullptr);
    EXPECT_EQ(WaitForSingleObject(watch, 100), WAIT_TIMEOUT) << "the helper still runs";
    std::ofstream(release).put('\n');
    EXPECT_EQ(WaitForSingleObject(watch, 60000), WAIT_OBJECT_0);
    EXPECT_TRUE(fs::exists(marker)) << "signaled only after the helper ended";
    EXPECT_EQ(WaitForSingleObject(watch, 0), WAIT_OBJECT_0) << "stays signaled";
    CloseHandle(watch);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}

TEST(ProcessGroupWatch, ClosingAWatchOfARunningProgramDoesNotWait)
{
    platform::ScopedTempDirectory tmp("process");
    const std::string script = tmp.Path() + "/long.sh";
    WriteScript(script, "sleep 30\n");
    PROCESS_INFORMATION pi = Start(script, tmp.Path());
    HANDLE watch = platform::WatchProcessGroup(pi.hProcess);
    ASSERT_NE(watch, nullptr);
    EXPECT_EQ(WaitForSingleObject(watch, 50), WAIT_TIMEOUT);
    EXPECT_TRUE(CloseHandle(watch));
    ::kill(-static_cast<int>(pi.dwProcessId), 9);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}
