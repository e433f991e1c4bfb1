#include "platform/kernel32/ChildProcess.h"
#include "platform/kernel32/WinError.h"
#include "platform/linux/TempDirectory.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST(ChildProcess, ReportsExitCodesAndSignals)
{
    platform::ChildProcess exits;
    ASSERT_EQ(exits.Start({"sh", "-c", "exit 3"}), ERROR_SUCCESS);
    int code = -1;
    ASSERT_TRUE(exits.Wait(10000, code));
    EXPECT_EQ(code, 3);

    platform::ChildProcess killed;
    ASSERT_EQ(killed.Start({"sleep", "30"}), ERROR_SUCCESS);
    EXPECT_FALSE(killed.Wait(50, code)) << "still running";
    killed.Kill();
    ASSERT_TRUE(killed.Wait(10000, code));
    EXPECT_EQ(code, 128 + 9);
}

TEST(ChildProcess, ArgumentsAreNeverSplitByAShell)
{
    platform::ScopedTempDirectory dir;
    const std::string out = dir.Path() + "/out";
    platform::ChildProcess::Options opt;
    opt.stdoutFile = out;
    platform::ChildProcess p;
    ASSERT_EQ(p.Start({"printf", "[%s]", "two words; $HOME", "x"}, opt), ERROR_SUCCESS);
    int code = -1;
    ASSERT_TRUE(p.Wait(10000, code));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ReadAll(out), "[two words; $HOME][x]");
}

TEST(ChildProcess, RunsInTheGivenFolderWithTheGivenEnvironment)
{
    platform::ScopedTempDirectory dir;
    const std::string work = dir.Path() + "/with blank";
    std::filesystem::create_directory(work);
    platform::ChildProcess::Options opt;
    opt.workingDirectory = work;
    opt.environment = {{"NOTIFIER_PROBE", "value 1"}};
    opt.stdoutFile = dir.Path() + "/out";
    platform::ChildProcess p;
    ASSERT_EQ(p.Start({"sh", "-c", "pwd; echo \"$NOTIFIER_PROBE\""}, opt), ERROR_SUCCESS);
    int code = -1;
    ASSERT_TRUE(p.Wait(10000, code));
    EXPECT_EQ(ReadAll(opt.stdoutFile), work + "\nvalue 1\n");
}

TEST(ChildProcess, OutputAndErrorsGoToTheirOwnFiles)
{
    platform::ScopedTempDirectory dir;
    platform::ChildProcess::Options opt;
    opt.stdoutFile = dir.Path() + "/out";
    opt.stderrFile = dir.Path() + "/err";
    std::ofstream(opt.stderrFile) << "left over from an earlier run\n";
    platform::ChildProcess p;
    ASSERT_EQ(p.Start({"sh", "-c", "echo to-out; echo to-err >&2; exit 4"}, opt), ERROR_SUCCESS);
    int code = -1;
    ASSERT_TRUE(p.Wait(10000, code));
    EXPECT_EQ(code, 4);
    EXPECT_EQ(ReadAll(opt.stdoutFile), "to-out\n");
    EXPECT_EQ(ReadAll(opt.stderrFile), "to-err\n") << "the file is truncated, not appended to";
}

// Starts a shell script that writes "up" once its signal handling is set,
// and waits for that line.
static void StartReady(platform::ChildProcess& p, const std::string& script, const std::string& out)
{
    platform::ChildProcess::Options opt;
    opt.stdoutFile = out;
    ASSERT_EQ(p.Start({"sh", "-c", script}, opt), ERROR_SUCCESS);
    int code = -1;
    for (int i = 0; i < 1000 && ReadAll(out).empty(); ++i)
        ASSERT_FALSE(p.Wait(10, code)) << "ended before it was ready";
    ASSERT_EQ(ReadAll(out), "up\n");
}

TEST(ChildProcess, StopLetsAChildCleanUpAndKillsOneThatIgnoresIt)
{
    platform::ScopedTempDirectory dir;
    platform::ChildProcess polite;
    ASSERT_NO_FATAL_FAILURE(
        StartReady(polite, "trap 'echo cleaned; exit 0' TERM; echo up; while :; do sleep 0.05; done", dir.Path() + "/polite"));
    EXPECT_TRUE(polite.Stop(10000));
    int code = -1;
    ASSERT_TRUE(polite.Wait(0, code));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ReadAll(dir.Path() + "/polite"), "up\ncleaned\n");

    platform::ChildProcess stubborn;
    ASSERT_NO_FATAL_FAILURE(StartReady(stubborn, "trap '' TERM; echo up; exec sleep 30", dir.Path() + "/stubborn"));
    EXPECT_FALSE(stubborn.Stop(300));
    ASSERT_TRUE(stubborn.Wait(0, code)) << "reaped by Stop";
    EXPECT_EQ(code, 128 + 9);
    EXPECT_FALSE(stubborn.Stop(300)) << "nothing left to stop";
}

TEST(ChildProcess, AMissingProgramIsAnError)
{
    platform::ChildProcess p;
    EXPECT_EQ(p.Start({"/nonexistent/program"}), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(p.IsStarted());
}

TEST(ChildProcess, ARunningChildIsKilledWithItsOwner)
{
    DWORD pid = 0;
    {
        platform::ChildProcess p;
        ASSERT_EQ(p.Start({"sleep", "30"}), ERROR_SUCCESS);
        pid = p.GetProcessId();
        ASSERT_TRUE(std::filesystem::exists("/proc/" + std::to_string(pid)));
    }
    // Killed and reaped: no zombie is left behind either.
    EXPECT_FALSE(std::filesystem::exists("/proc/" + std::to_string(pid)));
}
