#include "platform/kernel32/LastError.h"
#include "platform/kernel32/ProcessIds.h"
#include "platform/kernel32/RuntimeDir.h"
#include "platform/kernel32/Wait.h"
#include "platform/kernel32/WinError.h"
#include "platform/user32/WinUser.h"

#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Seen {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

std::mutex g_lock;
std::vector<Seen> g_seen;

std::vector<Seen> SeenMessages()
{
    std::lock_guard<std::mutex> g(g_lock);
    return g_seen;
}

std::vector<UINT> SeenIds(HWND hwnd)
{
    std::vector<UINT> ids;
    for (const Seen& s : SeenMessages()) {
        if (s.hwnd == hwnd)
            ids.push_back(s.msg);
    }
    return ids;
}

// Records every message; WM_USER+1 answers wParam + lParam; WM_NCCREATE
// stores the creation parameter as user data.
LRESULT RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    {
        std::lock_guard<std::mutex> g(g_lock);
        g_seen.push_back(Seen{hwnd, msg, wParam, lParam});
    }
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    if (msg == WM_USER + 1)
        return static_cast<LRESULT>(wParam) + lParam;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT RefusingNcCreateProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    RecordingProc(hwnd, msg, wParam, lParam);
    return msg == WM_NCCREATE ? FALSE : 0;
}

LRESULT FailingCreateProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const LRESULT r = RecordingProc(hwnd, msg, wParam, lParam);
    return msg == WM_CREATE ? -1 : r;
}

WNDPROC g_previous = nullptr;
LRESULT SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_USER + 1)
        return 1000 + CallWindowProcA(g_previous, hwnd, msg, wParam, lParam);
    return CallWindowProcA(g_previous, hwnd, msg, wParam, lParam);
}

ATOM Register(const char* name, WNDPROC proc, int extra = 0)
{
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = extra;
    wc.lpszClassName = name;
    return RegisterClassExA(&wc);
}

HWND Create(const char* cls, HWND parent = nullptr, DWORD style = 0, void* param = nullptr)
{
    return CreateWindowExA(0, cls, "title", style, 1, 2, 3, 4, parent, nullptr, nullptr, param);
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::lock_guard<std::mutex> g(g_lock);
        g_seen.clear();
    }
};

std::size_t SocketFiles()
{
    std::string dir;
    if (platform::EnsureRuntimeDir(dir) != ERROR_SUCCESS || !std::filesystem::exists(dir + "/windows"))
        return 0;
    std::size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir + "/windows"))
        n += e.is_socket() ? 1 : 0;
    return n;
}

}  // namespace

TEST_F(WindowTest, ClassRegisteredTwiceFailsWith1410)
{
    const ATOM atom = Register("TwiceClass", RecordingProc);
    ASSERT_NE(atom, 0);
    EXPECT_GE(atom, 0xC000);
    SetLastError(0);
    EXPECT_EQ(Register("twiceclass", RecordingProc), 0) << "names match without regard to case";
    EXPECT_EQ(GetLastError(), 1410u);

    WNDCLASSEXA info{};
    EXPECT_EQ(GetClassInfoExA(nullptr, "TWICECLASS", &info), atom);
    EXPECT_EQ(info.lpfnWndProc, &RecordingProc);
    EXPECT_STREQ(info.lpszClassName, "TwiceClass");
    EXPECT_EQ(GetClassInfoExA(nullptr, MAKEINTATOM(atom), &info), atom);

    EXPECT_TRUE(UnregisterClassA("TwiceClass", nullptr));
    EXPECT_FALSE(GetClassInfoExA(nullptr, "TwiceClass", &info));
    EXPECT_EQ(GetLastError(), ERROR_CLASS_DOES_NOT_EXIST);
    EXPECT_FALSE(UnregisterClassA("TwiceClass", nullptr));
    EXPECT_EQ(GetLastError(), ERROR_CLASS_DOES_NOT_EXIST);
    EXPECT_NE(Register("TwiceClass", RecordingProc), 0) << "the name is free again";

    WNDCLASSEXA bad{};
    bad.cbSize = 12;
    bad.lpszClassName = "Bad";
    EXPECT_EQ(RegisterClassExA(&bad), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(WindowTest, CreationDeliversNcCreateThenCreateWithTheParameters)
{
    ASSERT_NE(Register("CreateClass", RecordingProc), 0);
    int cookie = 0;
    HWND hwnd = Create("createclass", nullptr, 0, &cookie);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(IsWindow(hwnd));
    const auto seen = SeenMessages();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].msg, WM_NCCREATE);
    EXPECT_EQ(seen[1].msg, WM_CREATE);
    EXPECT_EQ(seen[1].hwnd, hwnd);
    EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&cookie));

    DWORD pid = 0;
    EXPECT_EQ(GetWindowThreadProcessId(hwnd, &pid), GetCurrentThreadId());
    EXPECT_EQ(pid, GetCurrentProcessId());
    EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&RecordingProc));

    EXPECT_FALSE(UnregisterClassA("CreateClass", nullptr));
    EXPECT_EQ(GetLastError(), ERROR_CLASS_HAS_WINDOWS);
    ASSERT_TRUE(DestroyWindow(hwnd));
    EXPECT_TRUE(UnregisterClassA("CreateClass", nullptr));
}

TEST_F(WindowTest, RefusedCreationGivesNoWindow)
{
    ASSERT_NE(Register("RefuseNc", RefusingNcCreateProc), 0);
    ASSERT_NE(Register("FailCreate", FailingCreateProc), 0);
    const std::size_t before = SocketFiles();
    EXPECT_EQ(Create("RefuseNc"), nullptr);
    EXPECT_EQ(Create("FailCreate"), nullptr);
    std::vector<UINT> ids;
    for (const Seen& s : SeenMessages())
        ids.push_back(s.msg);
    EXPECT_EQ(ids, (std::vector<UINT>{WM_NCCREATE, WM_NCDESTROY, WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
    EXPECT_EQ(SocketFiles(), before) << "a refused window left its socket behind";
    EXPECT_EQ(Create("NoSuchClass"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
}

TEST_F(WindowTest, DestroyWindowOrdersTheMessagesAndTakesChildren)
{
    ASSERT_NE(Register("TreeClass", RecordingProc), 0);
    HWND parent = Create("TreeClass");
    HWND child = Create("TreeClass", parent, WS_CHILD);
    ASSERT_NE(parent, nullptr);
    ASSERT_NE(child, nullptr);
    {
        std::lock_guard<std::mutex> g(g_lock);
        g_seen.clear();
    }
    ASSERT_TRUE(DestroyWindow(parent));
    std::vector<std::pair<HWND, UINT>> order;
    for (const Seen& s : SeenMessages())
        order.emplace_back(s.hwnd, s.msg);
    EXPECT_EQ(order, (std::vector<std::pair<HWND, UINT>>{
                         {parent, WM_DESTROY}, {child, WM_DESTROY}, {child, WM_NCDESTROY}, {parent, WM_NCDESTROY}}));
    EXPECT_FALSE(IsWindow(parent));
    EXPECT_FALSE(IsWindow(child));
    EXPECT_FALSE(DestroyWindow(parent));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);

    SetLastError(0);
    EXPECT_EQ(Create("TreeClass", nullptr, WS_CHILD), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_TLW_WITH_WSCHILD);
}

TEST_F(WindowTest, OnlyTopLevelWindowsHaveSockets)
{
    ASSERT_NE(Register("SocketClass", RecordingProc), 0);
    const std::size_t before = SocketFiles();
    HWND top = Create("SocketClass");
    HWND messageOnly = Create("SocketClass", HWND_MESSAGE);
    HWND child = Create("SocketClass", top, WS_CHILD);
    ASSERT_TRUE(top && messageOnly && child);
    EXPECT_EQ(SocketFiles(), before + 1);
    DestroyWindow(messageOnly);
    DestroyWindow(top);
    EXPECT_EQ(SocketFiles(), before);
}

TEST_F(WindowTest, WindowValuesAndSubclassing)
{
    ASSERT_NE(Register("ValueClass", RecordingProc, 2 * static_cast<int>(sizeof(LONG_PTR))), 0);
    HWND hwnd = Create("ValueClass", HWND_MESSAGE);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(SetWindowLongPtrA(hwnd, sizeof(LONG_PTR), 77), 0);
    EXPECT_EQ(GetWindowLongPtrA(hwnd, sizeof(LONG_PTR)), 77);
    EXPECT_EQ(GetWindowLongPtrA(hwnd, 0), 0);
    SetLastError(0);
    EXPECT_EQ(GetWindowLongPtrA(hwnd, 2 * static_cast<int>(sizeof(LONG_PTR))), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);
    EXPECT_EQ(GetWindowLongPtrA(hwnd, -1000), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);

    EXPECT_EQ(SendMessageA(hwnd, WM_USER + 1, 2, 3), 5);
    g_previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
    EXPECT_EQ(g_previous, &RecordingProc);
    EXPECT_EQ(SendMessageA(hwnd, WM_USER + 1, 2, 3), 1005);
    DestroyWindow(hwnd);

    HWND gone = hwnd;
    EXPECT_EQ(GetWindowLongPtrA(gone, GWLP_USERDATA), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_EQ(SendMessageA(gone, WM_USER + 1, 1, 1), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(WindowTest, PostedWindowMessagesAreDispatchedToTheProcedure)
{
    ASSERT_NE(Register("PostClass", RecordingProc), 0);
    HWND a = Create("PostClass", HWND_MESSAGE);
    HWND b = Create("PostClass", HWND_MESSAGE);
    ASSERT_TRUE(PostMessageA(a, WM_USER + 7, 1, 2));
    ASSERT_TRUE(PostMessageA(b, WM_USER + 8, 3, 4));
    MSG m{};
    // A window filter takes only that window's messages.
    ASSERT_TRUE(PeekMessageA(&m, b, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.hwnd, b);
    EXPECT_EQ(m.message, WM_USER + 8u);
    EXPECT_FALSE(PeekMessageA(&m, b, 0, 0, PM_REMOVE));
    ASSERT_EQ(GetMessageA(&m, nullptr, 0, 0), 1);
    EXPECT_EQ(m.hwnd, a);
    DispatchMessageA(&m);
    const auto seenA = SeenIds(a);
    ASSERT_FALSE(seenA.empty());
    EXPECT_EQ(seenA.back(), WM_USER + 7u);
    DestroyWindow(a);
    DestroyWindow(b);

    EXPECT_EQ(GetMessageA(&m, a, 0, 0), -1) << "filter on a window that is gone";
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(WindowTest, SendToAWindowOfAnotherThreadWaitsForItsAnswer)
{
    ASSERT_NE(Register("ThreadedClass", RecordingProc), 0);
    std::atomic<HWND> remote{nullptr};
    std::atomic<DWORD> remoteThread{0};
    std::thread owner([&] {
        HWND hwnd = Create("ThreadedClass", HWND_MESSAGE);
        remoteThread = GetCurrentThreadId();
        remote = hwnd;
        MSG m{};
        while (GetMessageA(&m, nullptr, 0, 0) > 0)
            DispatchMessageA(&m);
        DestroyWindow(hwnd);
    });
    while (remote.load() == nullptr)
        std::this_thread::yield();
    EXPECT_EQ(SendMessageA(remote, WM_USER + 1, 40, 2), 42);
    DWORD_PTR result = 0;
    EXPECT_TRUE(SendMessageTimeoutA(remote, WM_USER + 1, 5, 6, SMTO_NORMAL, 5000, &result));
    EXPECT_EQ(result, 11u);
    EXPECT_FALSE(DestroyWindow(remote)) << "only the owner thread destroys a window";
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(GetWindowThreadProcessId(remote, nullptr), remoteThread.load());
    PostThreadMessageA(remoteThread, WM_QUIT, 0, 0);
    owner.join();
    EXPECT_FALSE(IsWindow(remote));
}

TEST_F(WindowTest, SendTimesOutWhenTheOwnerDoesNotServeItsQueue)
{
    ASSERT_NE(Register("BusyClass", RecordingProc), 0);
    std::atomic<HWND> remote{nullptr};
    std::atomic<bool> release{false};
    std::thread owner([&] {
        HWND hwnd = Create("BusyClass", HWND_MESSAGE);
        remote = hwnd;
        while (!release)
            Sleep(5);
        MSG m{};
        PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);  // serves the late send (its answer is not awaited any more)
        DestroyWindow(hwnd);
    });
    while (remote.load() == nullptr)
        std::this_thread::yield();
    DWORD_PTR result = 99;
    SetLastError(0);
    EXPECT_EQ(SendMessageTimeoutA(remote, WM_USER + 1, 1, 1, SMTO_NORMAL, 50, &result), 0);
    EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
    release = true;
    owner.join();
}

TEST_F(WindowTest, TwoThreadsSendingToEachOtherDoNotDeadlock)
{
    // The window of each thread, on receiving WM_USER+2, sends WM_USER+1 to
    // the other thread's window; each answer needs the other thread to serve
    // sends while it waits for its own.
    static std::atomic<HWND> windows[2];
    struct Proc {
        static LRESULT Call(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
        {
            if (msg == WM_USER + 2) {
                HWND other = windows[0] == hwnd ? windows[1].load() : windows[0].load();
                return SendMessageA(other, WM_USER + 1, wParam, lParam);
            }
            return RecordingProc(hwnd, msg, wParam, lParam);
        }
    };
    ASSERT_NE(Register("PingClass", &Proc::Call), 0);
    std::atomic<int> ready{0};
    std::atomic<bool> start{false};
    LRESULT results[2] = {0, 0};
    auto body = [&](int i) {
        windows[i] = Create("PingClass", HWND_MESSAGE);
        ++ready;
        while (!start)
            std::this_thread::yield();
        results[i] = SendMessageA(windows[i], WM_USER + 2, static_cast<WPARAM>(i), 10);
        ++ready;
        // Keep serving until both are done, so the other's send is answered.
        while (ready.load() < 4) {
            MSG m{};
            PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);
            Sleep(1);
        }
        DestroyWindow(windows[i]);
    };
    std::thread t0(body, 0);
    std::thread t1(body, 1);
    while (ready.load() < 2)
        std::this_thread::yield();
    start = true;
    t0.join();
    t1.join();
    EXPECT_EQ(results[0], 10);
    EXPECT_EQ(results[1], 11);
}

TEST_F(WindowTest, WindowsOfAnEndedThreadGoWithIt)
{
    ASSERT_NE(Register("EndedClass", RecordingProc), 0);
    const std::size_t before = SocketFiles();
    HWND hwnd = nullptr;
    std::thread owner([&] { hwnd = Create("EndedClass"); });
    owner.join();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(SocketFiles(), before);
    EXPECT_FALSE(PostMessageA(hwnd, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(WindowTest, BroadcastInTheProcessReachesTopLevelWindowsOnly)
{
    ASSERT_NE(Register("BroadcastClass", RecordingProc), 0);
    HWND top = Create("BroadcastClass");
    HWND messageOnly = Create("BroadcastClass", HWND_MESSAGE);
    ASSERT_TRUE(top && messageOnly);
    const UINT msg = RegisterWindowMessageA("WindowTest.Broadcast");
    ASSERT_NE(msg, 0u);
    EXPECT_EQ(platform::BroadcastWindowMessage(msg, 5, 6, platform::BroadcastMode::Send, 1000), 1u);
    ASSERT_TRUE(PostMessageA(HWND_BROADCAST, msg, 7, 8));
    MSG m{};
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&m);
    std::vector<std::pair<WPARAM, LPARAM>> atTop;
    for (const Seen& s : SeenMessages()) {
        if (s.msg == msg) {
            EXPECT_EQ(s.hwnd, top) << "a message-only window got a broadcast";
            atTop.emplace_back(s.wParam, s.lParam);
        }
    }
    EXPECT_EQ(atTop, (std::vector<std::pair<WPARAM, LPARAM>>{{5, 6}, {7, 8}}));
    DestroyWindow(top);
    DestroyWindow(messageOnly);
}
