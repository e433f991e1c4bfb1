// The hidden message window, and the installer's milestone message between
// real processes (the glm-milestone tool as the sender).
#include "CustomCode/Common/cmSetupMilestone.h"
#include "CustomCode/Common/cmWaitForEvents.h"
#include "CustomCode/Common/cmWindow.h"
#include "platform/kernel32/ChildProcess.h"
#include "platform/kernel32/Event.h"
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/Wait.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>
#include <new>
#include <string>

namespace {

class MilestoneWindow : public cmWindow {
public:
    explicit MilestoneWindow(HANDLE hGot) : m_hGot(hGot), m_uMsg(RegisterWindowMessageA(szSetupMilestoneMessage)) {}
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    int count = 0;

protected:
    LRESULT WindowProc(UINT uMsg, WPARAM w, LPARAM l) override
    {
        if (uMsg == m_uMsg) {
            wParam = w;
            lParam = l;
            ++count;
            SetEvent(m_hGot);
        }
        return 0;
    }

private:
    HANDLE m_hGot;
    UINT m_uMsg;
};

// Runs glm-milestone with the arguments while this thread serves its
// windows, until the tool ends; its exit code.
int RunTool(const std::vector<std::string>& args)
{
    std::vector<std::string> argv{testsupport::BuildPath("tools/glm-milestone")};
    argv.insert(argv.end(), args.begin(), args.end());
    platform::ChildProcess tool;
    if (tool.Start(argv) != 0)
        return -1;
    HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    cmWaitForEvents wait;
    int code = -1;
    for (int i = 0; i < 1000 && !tool.HasExited(); ++i)
        wait.WaitOne(never, 10, true);
    tool.Wait(5000, code);
    CloseHandle(never);
    return code;
}

}  // namespace

TEST(Window, AMilestoneFromAnotherProcessArrivesWithBothParameters)
{
    HANDLE got = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    MilestoneWindow w(got);
    ASSERT_TRUE(w.Create(0, 0));
    EXPECT_EQ(RunTool({"200", "10"}), 0);
    EXPECT_EQ(WaitForSingleObject(got, 0), WAIT_OBJECT_0);
    EXPECT_EQ(w.wParam, 200u);
    EXPECT_EQ(w.lParam, 10);
    EXPECT_EQ(RunTool({"0x46"}), 0);
    EXPECT_EQ(w.wParam, 70u);
    EXPECT_EQ(w.lParam, 0) << "the status defaults to 0";
    EXPECT_EQ(w.count, 2);
    EXPECT_EQ(RunTool({"seventy"}), 2);
    EXPECT_EQ(RunTool({}), 2);
    CloseHandle(got);
}

TEST(Window, NobodyListeningMakesTheToolFail)
{
    EXPECT_EQ(RunTool({"200", "10"}), 1);
    DWORD receivers = 7;
    EXPECT_EQ(cmSendSetupMilestone(70, 0, 1000, &receivers), S_FALSE);
    EXPECT_EQ(receivers, 0u);
}

TEST(Window, TwoWindowsAtOneAddressGetTwoClassNames)
{
    alignas(MilestoneWindow) unsigned char storage[sizeof(MilestoneWindow)];
    std::string first;
    {
        auto* w = new (storage) MilestoneWindow(nullptr);
        ASSERT_TRUE(w->Create(0, 0));
        first = w->GetClassName();
        w->~MilestoneWindow();
    }
    auto* w = new (storage) MilestoneWindow(nullptr);
    ASSERT_TRUE(w->Create(0, 0));
    const std::string second = w->GetClassName();
    EXPECT_NE(first, second);
    EXPECT_EQ(first.substr(0, 14), "cmWindowStyle:");
    EXPECT_EQ(first.back(), '0');
    EXPECT_EQ(second.back(), '1');

    testsupport::LogCapture log;
    DestroyWindow(w->GetHandle());
    EXPECT_EQ(w->GetHandle(), nullptr) << "WM_DESTROY clears the handle";
    w->~MilestoneWindow();
    EXPECT_TRUE(log.Contains("cmWindow: d-tor: Window already gone.\n\n"));
}

TEST(Window, TheDestructorClosesALiveWindow)
{
    testsupport::LogCapture log;
    {
        MilestoneWindow w(nullptr);
        ASSERT_TRUE(w.Create(0, 0));
    }
    EXPECT_TRUE(log.Contains("cmWindow: d-tor: Window still live!  Closing!\n\n"));
    EXPECT_TRUE(log.Contains("cmWindow: d-tor: hope the window's closed now...\n\n"));
}
