// The windows of this process, for the platform layer's own use.
//
// A window handle is ((process id << 32) | window number): the same value
// names the window in every process of the session. Windows of this process
// are kept here with their procedure, values, owner thread and, for
// top-level windows, their socket. The table's lock is never held while a
// window procedure runs or while another part's lock is taken.
#pragma once

#include "platform/user32/WinUser.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform::detail {

struct WindowClass;
class MessageQueue;

struct WindowObject {
    DWORD serial = 0;
    HWND hwnd = nullptr;
    DWORD threadId = 0;
    std::shared_ptr<MessageQueue> queue;  // the owner thread's
    std::shared_ptr<const WindowClass> windowClass;
    HINSTANCE instance = nullptr;
    HWND parent = nullptr;  // parent of a child, owner of a top-level window, or HWND_MESSAGE
    std::string title;
    bool topLevel = false;  // has a socket and gets broadcasts
    int socketFd = -1;
    std::string socketPath;

    std::atomic<WNDPROC> wndProc{nullptr};
    std::atomic<LONG_PTR> userData{0};
    std::atomic<LONG_PTR> id{0};
    std::atomic<DWORD> style{0};
    std::atomic<DWORD> exStyle{0};
    std::atomic<bool> destroying{false};

    std::mutex extraLock;
    std::vector<unsigned char> extra;  // the class's cbWndExtra bytes
};

HWND MakeHwnd(DWORD pid, DWORD serial);
// The process id and window number of a handle; false for values that cannot
// be window handles (null, HWND_BROADCAST, HWND_MESSAGE, ...).
bool SplitHwnd(HWND hwnd, DWORD& pid, DWORD& serial);

DWORD NewWindowSerial();
void AddWindow(const std::shared_ptr<WindowObject>& window);
void RemoveWindow(DWORD serial);

// The live window of this process behind a handle, or null.
std::shared_ptr<WindowObject> FindLocalWindow(HWND hwnd);
std::vector<std::shared_ptr<WindowObject>> TopLevelWindows();
std::vector<std::shared_ptr<WindowObject>> ChildWindows(HWND parent);
std::vector<std::shared_ptr<WindowObject>> WindowsOfThread(DWORD threadId);
std::size_t CountWindowsOfClass(const WindowClass* windowClass);

// Whether window is ancestor or one of its descendants (children of children).
bool IsSameOrDescendant(HWND window, HWND ancestor);

// Runs the window's procedure (DefWindowProcA when it has none) on the
// calling thread.
LRESULT CallWindowProcedure(WindowObject& window, UINT message, WPARAM wParam, LPARAM lParam);

// A thread has ended: its windows go without messages, their sockets closed.
void ReleaseThreadWindows(DWORD threadId);

}  // namespace platform::detail
