#include "app/CNotifierApp.h"
#include "objdb/pjTypeKey.h"
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/NamedMutex.h"
#include "platform/kernel32/WinError.h"
#include "update/COccasionalTask.h"

#include <gtest/gtest.h>
#include <string>

TEST(NotifierApp, TheTaskTypeKeyIsDerivedFromTheInterface)
{
    EXPECT_EQ(std::string(pjTypeKey<COccasionalTask>().GetText()), "class COccasionalTask");
}

TEST(NotifierApp, InitInstanceSetsUpTheSkinAndReturnsFalse)
{
    CNotifierApp app;
    ASSERT_EQ(AfxGetApp(), &app);
    ASSERT_EQ(DappleGlobals(), &app.GetGlobals());
    EXPECT_EQ(app.InitInstance(), FALSE);

    const CDappleGlobals& g = app.GetGlobals();
    EXPECT_EQ(g.GetBitmapId(9), 132u);
    EXPECT_EQ(g.GetBitmapId(10), 131u);
    EXPECT_EQ(g.GetBitmapId(13), 136u);
    EXPECT_EQ(g.GetBitmapId(14), 135u);
    EXPECT_EQ(g.GetBitmapId(28), 2u);
    EXPECT_EQ(g.GetColour(4), RGB(143, 143, 143));
    EXPECT_EQ(app.ExitInstance(), 0);

    // The mutex was released on the way out: a new creation owns it.
    HANDLE h = CreateMutexA(nullptr, TRUE, kNotifierMutexName);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    CloseHandle(h);
}

TEST(NotifierApp, AnotherOwnerOfTheMutexStopsTheRunQuietly)
{
    HANDLE held = CreateMutexA(nullptr, TRUE, "DAPPLE_NOTIFIER");
    ASSERT_EQ(GetLastError(), ERROR_SUCCESS);
    {
        CNotifierApp app;
        EXPECT_EQ(app.InitInstance(), FALSE);
        // The skin was not set up: the ids stay unset.
        EXPECT_EQ(app.GetGlobals().GetBitmapId(9), 0u);
    }
    // And the run did not take the mutex from its owner.
    EXPECT_TRUE(ReleaseMutex(held));
    CloseHandle(held);
}

TEST(NotifierApp, HelpCommandIsRoutedToTheFrameworkHandler)
{
    CNotifierApp app;
    EXPECT_TRUE(app.OnCmdMsg(ID_HELP));
    EXPECT_EQ(app.GetHelpRequests(), 1);
    EXPECT_FALSE(app.OnCmdMsg(ID_HELP + 1));
    EXPECT_EQ(app.GetHelpRequests(), 1);
}

TEST(NotifierApp, FalseFromInitInstanceMakesExitInstanceTheExitCode)
{
    struct CExitProbe : CWinApp {
        BOOL InitInstance() override { return FALSE; }
        int ExitInstance() override { return 42; }
        int Run() override { return 7; }
    };
    struct CRunProbe : CExitProbe {
        BOOL InitInstance() override { return TRUE; }
    };
    {
        CExitProbe app;
        EXPECT_EQ(AfxWinMain(), 42);
    }
    {
        CRunProbe app;
        EXPECT_EQ(AfxWinMain(), 7);
    }
    EXPECT_EQ(AfxGetApp(), nullptr);
    EXPECT_EQ(AfxWinMain(), -1) << "no application object";
}
