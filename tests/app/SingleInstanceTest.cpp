// The single-instance guard with real processes: copies of a notifier with a
// recording task, started side by side in this test's private runtime folder.
#include "app/CNotifierApp.h"
#include "platform/kernel32/ChildProcess.h"
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/NamedMutex.h"
#include "platform/kernel32/WinError.h"
#include "platform/linux/TempDirectory.h"
#include "tests/support/TestPaths.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

class SingleInstanceTest : public ::testing::Test {
protected:
    platform::ScopedTempDirectory dir{"instance"};
    std::string logPath = dir.Path() + "/runs.log";
    std::string holdPath = dir.Path() + "/release";

    // Starts one copy; with hold, its task keeps running until Release().
    std::unique_ptr<platform::ChildProcess> Start(bool hold)
    {
        platform::ChildProcess::Options opt;
        opt.environment = {{"NOTIFIER_TEST_LOG", logPath}, {"NOTIFIER_TEST_HOLD", hold ? holdPath : ""}};
        auto p = std::make_unique<platform::ChildProcess>();
        EXPECT_EQ(p->Start({testsupport::BuildPath("tests/app/notifier_instance_app")}, opt), ERROR_SUCCESS);
        return p;
    }

    void Release() { std::ofstream(holdPath) << "go"; }

    // The process ids that ran their task, in order.
    std::vector<std::string> Runs() const
    {
        std::vector<std::string> runs;
        std::ifstream in(logPath);
        for (std::string line; std::getline(in, line);)
            runs.push_back(line);
        return runs;
    }

    bool WaitForRuns(std::size_t n) const
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (Runs().size() < n) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    static int ExitCode(platform::ChildProcess& p)
    {
        int code = -1;
        EXPECT_TRUE(p.Wait(20000, code)) << "copy did not end";
        return code;
    }
};

}  // namespace

TEST_F(SingleInstanceTest, ASecondCopyExitsAtOnceWhileTheFirstRuns)
{
    auto first = Start(true);
    ASSERT_TRUE(WaitForRuns(1));

    auto second = Start(false);
    EXPECT_EQ(ExitCode(*second), 0);
    EXPECT_EQ(Runs().size(), 1u) << "the second copy ran its task";
    EXPECT_FALSE(first->HasExited()) << "the first copy was disturbed";

    Release();
    EXPECT_EQ(ExitCode(*first), 0);

    // After the first has ended, a new copy runs normally.
    auto third = Start(false);
    EXPECT_EQ(ExitCode(*third), 0);
    ASSERT_EQ(Runs().size(), 2u);
    EXPECT_EQ(Runs()[1], std::to_string(third->GetProcessId()));
}

TEST_F(SingleInstanceTest, OfTwentyCopiesStartedTogetherExactlyOneRuns)
{
    std::vector<std::unique_ptr<platform::ChildProcess>> copies;
    for (int i = 0; i < 20; ++i)
        copies.push_back(Start(true));

    // Nineteen give up by themselves; the one that runs waits for the release.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    auto ended = [&] {
        int n = 0;
        for (auto& c : copies)
            n += c->HasExited() ? 1 : 0;
        return n;
    };
    while (ended() < 19 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(ended(), 19);
    ASSERT_TRUE(WaitForRuns(1));

    Release();
    for (auto& c : copies)
        EXPECT_EQ(ExitCode(*c), 0);
    EXPECT_EQ(Runs().size(), 1u);
}

TEST_F(SingleInstanceTest, ACopyKilledWhileRunningDoesNotBlockTheNext)
{
    auto first = Start(true);
    ASSERT_TRUE(WaitForRuns(1));
    first->Kill();
    int code = 0;
    ASSERT_TRUE(first->Wait(20000, code));

    auto next = Start(false);
    EXPECT_EQ(ExitCode(*next), 0);
    EXPECT_EQ(Runs().size(), 2u);
}

TEST_F(SingleInstanceTest, AnotherProgramHoldingTheNamedMutexKeepsTheNotifierQuiet)
{
    HANDLE held = CreateMutexA(nullptr, TRUE, kNotifierMutexName);
    ASSERT_EQ(GetLastError(), ERROR_SUCCESS);
    auto copy = Start(false);
    EXPECT_EQ(ExitCode(*copy), 0);
    EXPECT_TRUE(Runs().empty());

    // And the notifier's mutex can be opened by name while it runs.
    ReleaseMutex(held);
    CloseHandle(held);
    auto running = Start(true);
    ASSERT_TRUE(WaitForRuns(1));
    HANDLE seen = OpenMutexA(SYNCHRONIZE, FALSE, kNotifierMutexName);
    EXPECT_NE(seen, nullptr);
    CloseHandle(seen);
    Release();
    EXPECT_EQ(ExitCode(*running), 0);
}

TEST_F(SingleInstanceTest, TheNotifierProgramExitsZero)
{
    platform::ChildProcess notifier;
    ASSERT_EQ(notifier.Start({testsupport::BuildPath("Notifier")}), ERROR_SUCCESS);
    EXPECT_EQ(ExitCode(notifier), 0);
}
