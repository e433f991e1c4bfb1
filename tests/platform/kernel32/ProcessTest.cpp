// Starting programs: how a command line is split, where the program runs,
// and when a started program and every process it started have ended.
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/Process.h"
#include "platform/kernel32/Wait.h"
#include "platform/kernel32/WinError.h"
#include "platform/linux/TempDirectory.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
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
    HANDLE watch = platform::WatchProcessTree(pi.hProcess);
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
    EXPECT_EQ(platform::WatchProcessTree(nullptr), nullptr);
}

// True once the condition holds, looked at for 30 s at most.
template <class F>
bool Eventually(F condition)
{
    for (int i = 0; i < 3000; ++i) {
        if (condition())
            return true;
        ::usleep(10000);
    }
    return condition();
}

// True once the process has ended and been collected.
bool Ends(DWORD pid)
{
    return Eventually([pid] { return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH; });
}

// The parent of a process, from /proc; 0 when it cannot be read.
pid_t ParentOf(DWORD pid)
{
    std::istringstream status(ReadAll("/proc/" + std::to_string(pid) + "/status"));
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("PPid:", 0) == 0)
            return static_cast<pid_t>(std::stol(line.substr(5)));
    }
    return 0;
}

TEST(ProcessTreeWatch, WaitsForEveryProcessTheProgramStartedWhereverItWent)
{
    platform::ScopedTempDirectory tmp("process");
    const std::string script = tmp.Path() + "/installer.sh";
    auto waitFor = [&](const char* name) {
        return "while [ ! -e '" + tmp.Path() + "/" + name + "' ]; do sleep 0.02; done; ";
    };
    // The installer leaves two helpers behind, one in its process group and
    // one in a session of its own; each waits for the test's word.
    WriteScript(script, "( " + waitFor("go-group") + "touch '" + tmp.Path() + "/group-done' ) &\n" +
                            "setsid sh -c \"" + waitFor("go-session") + "touch '" + tmp.Path() + "/session-done'\" &\n" +
                            "exit 0\n");

    PROCESS_INFORMATION pi = Start(script, tmp.Path());
    HANDLE watch = platform::WatchProcessTree(pi.hProcess);
    ASSERT_NE(watch, nullptr);
    ASSERT_TRUE(Ends(pi.dwProcessId)) << "the installer itself ends at once";
    EXPECT_EQ(WaitForSingleObject(watch, 0), WAIT_TIMEOUT) << "its helpers still run";

    std::ofstream(tmp.Path() + "/go-group").close();
    ASSERT_TRUE(Eventually([&] { return fs::exists(tmp.Path() + "/group-done"); }));
    // The whole process group is gone now; the helper that left it is not.
    EXPECT_EQ(WaitForSingleObject(watch, 200), WAIT_TIMEOUT) << "the helper in its own session still runs";

    std::ofstream(tmp.Path() + "/go-session").close();
    EXPECT_EQ(WaitForSingleObject(watch, 30000), WAIT_OBJECT_0);
    EXPECT_TRUE(fs::exists(tmp.Path() + "/session-done"));
    EXPECT_EQ(WaitForSingleObject(watch, 0), WAIT_OBJECT_0) << "stays signaled";
    CloseHandle(watch);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}

TEST(ProcessTreeWatch, TheReaperHoldsNoneOfOurDescriptors)
{
    // A lock file of ours must not stay held by the process that waits for
    // a program's helpers, after we are gone.
    platform::ScopedTempDirectory tmp("process");
    const int ours = ::open((tmp.Path() + "/lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(ours, 0);
    const std::string release = tmp.Path() + "/release";
    const std::string script = tmp.Path() + "/long.sh";
    WriteScript(script, "while [ ! -e '" + release + "' ]; do sleep 0.02; done\n");
    PROCESS_INFORMATION pi = Start(script, tmp.Path());
    const pid_t reaper = ParentOf(pi.dwProcessId);
    ASSERT_GT(reaper, 0);
    EXPECT_EQ(ParentOf(static_cast<DWORD>(reaper)), ::getpid());
    // Only the standard streams (those of them that we have).
    for (const auto& e : fs::directory_iterator("/proc/" + std::to_string(reaper) + "/fd"))
        EXPECT_LT(std::stoi(e.path().filename().string()), 3) << fs::read_symlink(e.path());
    std::ofstream(release).close();
    HANDLE watch = platform::WatchProcessTree(pi.hProcess);
    EXPECT_EQ(WaitForSingleObject(watch, 30000), WAIT_OBJECT_0);
    CloseHandle(watch);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    ::close(ours);
}

TEST(ProcessTreeWatch, ClosingAWatchOfARunningProgramDoesNotWait)
{
    platform::ScopedTempDirectory tmp("process");
    const std::string script = tmp.Path() + "/long.sh";
    WriteScript(script, "sleep 30\n");
    PROCESS_INFORMATION pi = Start(script, tmp.Path());
    HANDLE watch = platform::WatchProcessTree(pi.hProcess);
    ASSERT_NE(watch, nullptr);
    EXPECT_EQ(WaitForSingleObject(watch, 50), WAIT_TIMEOUT);
    EXPECT_TRUE(CloseHandle(watch));
    ::kill(-static_cast<int>(pi.dwProcessId), 9);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}
