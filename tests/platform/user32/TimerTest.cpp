#include "platform/kernel32/LastError.h"
#include "platform/kernel32/Wait.h"
#include "platform/kernel32/WinError.h"
#include "platform/user32/WinUser.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

std::vector<UINT_PTR> g_procCalls;
HWND g_procWindow = reinterpret_cast<HWND>(1);

void RecordingTimerProc(HWND hwnd, UINT msg, UINT_PTR id, DWORD)
{
    EXPECT_EQ(msg, WM_TIMER);
    g_procWindow = hwnd;
    g_procCalls.push_back(id);
}

// Takes messages until a WM_TIMER comes or the time is up.
bool NextTimer(MSG& m, DWORD timeoutMs)
{
    for (;;) {
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_TIMER)
                return true;
        }
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs, QS_ALLINPUT) == WAIT_TIMEOUT)
            return false;
    }
}

LRESULT TimerWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

TEST(Timer, ThreadTimerFiresWmTimerWithItsIdUntilKilled)
{
    const UINT_PTR id = SetTimer(nullptr, 0, 15, nullptr);
    ASSERT_NE(id, 0u);
    for (int i = 0; i < 3; ++i) {
        MSG m{};
        ASSERT_TRUE(NextTimer(m, 5000)) << "tick " << i;
        EXPECT_EQ(m.hwnd, nullptr);
        EXPECT_EQ(m.wParam, id);
        EXPECT_EQ(m.lParam, 0);
    }
    ASSERT_TRUE(KillTimer(nullptr, id));
    MSG m{};
    EXPECT_FALSE(NextTimer(m, 100)) << "a killed timer fired";
    EXPECT_FALSE(KillTimer(nullptr, id));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(Timer, TwoThreadTimersGetDifferentIdsAndBothFire)
{
    const UINT_PTR a = SetTimer(nullptr, 0, 10, nullptr);
    const UINT_PTR b = SetTimer(nullptr, 0, 10, nullptr);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_NE(a, b);
    bool sawA = false;
    bool sawB = false;
    for (int i = 0; i < 20 && !(sawA && sawB); ++i) {
        MSG m{};
        ASSERT_TRUE(NextTimer(m, 5000));
        sawA = sawA || m.wParam == a;
        sawB = sawB || m.wParam == b;
    }
    EXPECT_TRUE(sawA && sawB);
    // Asking for an existing id replaces that timer instead of adding one.
    EXPECT_EQ(SetTimer(nullptr, a, 10000, nullptr), a);
    KillTimer(nullptr, a);
    KillTimer(nullptr, b);
}

TEST(Timer, DueTimerWaitsInTheQueueWithoutPilingUp)
{
    const UINT_PTR id = SetTimer(nullptr, 0, 10, nullptr);
    Sleep(80);  // several periods pass while nobody looks
    MSG m{};
    ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_EQ(m.wParam, id);
    // Killed at once, so that a period that ends meanwhile adds nothing:
    // what is left in the queue is the backlog a piling timer would leave.
    ASSERT_TRUE(KillTimer(nullptr, id));
    EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) << "one WM_TIMER per due timer";
}

TEST(Timer, TimerProcedureIsCalledByDispatch)
{
    g_procCalls.clear();
    const UINT_PTR id = SetTimer(nullptr, 0, 10, RecordingTimerProc);
    MSG m{};
    ASSERT_TRUE(NextTimer(m, 5000));
    EXPECT_EQ(m.lParam, reinterpret_cast<LPARAM>(&RecordingTimerProc));
    DispatchMessageA(&m);
    EXPECT_EQ(g_procCalls, (std::vector<UINT_PTR>{id}));
    EXPECT_EQ(g_procWindow, nullptr);
    KillTimer(nullptr, id);

    // A forged WM_TIMER naming a procedure that was never a timer's is not called.
    MSG forged{};
    forged.message = WM_TIMER;
    forged.lParam = reinterpret_cast<LPARAM>(&TimerWindowProc);
    EXPECT_EQ(DispatchMessageA(&forged), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_FILTER_PROC);
}

TEST(Timer, WindowTimerComesWithTheWindowAndEndsWithIt)
{
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = TimerWindowProc;
    wc.lpszClassName = "TimerTestWindow";
    ASSERT_NE(RegisterClassExA(&wc), 0);
    HWND hwnd = CreateWindowExA(0, "TimerTestWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(SetTimer(hwnd, 42, 10, nullptr), 42u);
    MSG m{};
    ASSERT_TRUE(NextTimer(m, 5000));
    EXPECT_EQ(m.hwnd, hwnd);
    EXPECT_EQ(m.wParam, 42u);
    ASSERT_TRUE(DestroyWindow(hwnd));
    EXPECT_FALSE(NextTimer(m, 60)) << "the timer outlived its window";
    EXPECT_FALSE(KillTimer(hwnd, 42));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}
