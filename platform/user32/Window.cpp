#include "platform/kernel32/LastError.h"
#include "platform/kernel32/ProcessIds.h"
#include "platform/kernel32/ThreadState.h"
#include "platform/kernel32/WinError.h"
#include "platform/user32/MessageQueue.h"
#include "platform/user32/WinUser.h"
#include "platform/user32/WindowClass.h"
#include "platform/user32/WindowSocket.h"
#include "platform/user32/WindowTable.h"

#include <cstring>

namespace platform::detail {

LRESULT CallWindowProcedure(WindowObject& window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC proc = window.wndProc.load();
    if (proc == nullptr)
        return DefWindowProcA(window.hwnd, message, wParam, lParam);
    return proc(window.hwnd, message, wParam, lParam);
}

namespace {

// Takes the window out: its timers, socket and table entry go.
void Unlink(WindowObject& w)
{
    if (w.queue)
        w.queue->KillWindowTimers(w.hwnd);
    if (w.socketFd >= 0) {
        if (w.queue)
            w.queue->RemoveSocket(w.socketFd);
        CloseWindowSocket(w.socketFd, w.socketPath);
        w.socketFd = -1;
    }
    RemoveWindow(w.serial);
}

void Destroy(const std::shared_ptr<WindowObject>& w)
{
    if (w->destroying.exchange(true))
        return;
    const bool ownThread = w->threadId == GetCurrentThreadId();
    if (ownThread)
        CallWindowProcedure(*w, WM_DESTROY, 0, 0);
    // Children go after their parent's WM_DESTROY and before its WM_NCDESTROY.
    for (const auto& child : ChildWindows(w->hwnd))
        Destroy(child);
    if (ownThread)
        CallWindowProcedure(*w, WM_NCDESTROY, 0, 0);
    Unlink(*w);
}

}  // namespace

}  // namespace platform::detail

using platform::detail::WindowObject;

HWND CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X, int Y,
                     int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance, LPVOID lpParam)
{
    auto state = platform::detail::ThreadState::Current();
    auto queue = platform::detail::EnsureThreadQueue(*state);
    if (!queue) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto windowClass = platform::detail::FindWindowClass(hInstance, lpClassName);
    if (!windowClass) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    const bool messageOnly = hWndParent == HWND_MESSAGE;
    if ((dwStyle & WS_CHILD) != 0 && hWndParent == nullptr) {
        SetLastError(ERROR_TLW_WITH_WSCHILD);
        return nullptr;
    }
    if (hWndParent != nullptr && !messageOnly && !platform::detail::FindLocalWindow(hWndParent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }

    auto w = std::make_shared<WindowObject>();
    w->serial = platform::detail::NewWindowSerial();
    w->hwnd = platform::detail::MakeHwnd(GetCurrentProcessId(), w->serial);
    w->threadId = GetCurrentThreadId();
    w->queue = queue;
    w->windowClass = windowClass;
    w->instance = hInstance;
    w->parent = hWndParent;
    w->title = lpWindowName != nullptr ? lpWindowName : "";
    w->topLevel = (dwStyle & WS_CHILD) == 0 && !messageOnly;
    w->wndProc = windowClass->info.lpfnWndProc;
    w->style = dwStyle;
    w->exStyle = dwExStyle;
    w->id = (dwStyle & WS_CHILD) != 0 ? reinterpret_cast<LONG_PTR>(hMenu) : 0;
    w->extra.assign(static_cast<std::size_t>(windowClass->info.cbWndExtra), 0);

    if (w->topLevel) {
        const DWORD err = platform::detail::OpenWindowSocket(w->threadId, w->serial, w->socketFd, w->socketPath);
        if (err != ERROR_SUCCESS) {
            SetLastError(err);
            return nullptr;
        }
    }
    platform::detail::AddWindow(w);
    if (w->socketFd >= 0)
        queue->AddSocket(w->socketFd, w->serial);

    CREATESTRUCTA cs{};
    cs.lpCreateParams = lpParam;
    cs.hInstance = hInstance;
    cs.hMenu = hMenu;
    cs.hwndParent = hWndParent;
    cs.cy = nHeight;
    cs.cx = nWidth;
    cs.y = Y;
    cs.x = X;
    cs.style = static_cast<LONG>(dwStyle);
    cs.lpszName = lpWindowName;
    cs.lpszClass = lpClassName;
    cs.dwExStyle = dwExStyle;

    if (platform::detail::CallWindowProcedure(*w, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) == 0) {
        w->destroying = true;
        platform::detail::CallWindowProcedure(*w, WM_NCDESTROY, 0, 0);
        platform::detail::Unlink(*w);
        return nullptr;
    }
    if (platform::detail::CallWindowProcedure(*w, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        platform::detail::Destroy(w);
        return nullptr;
    }
    return w->hwnd;
}

BOOL DestroyWindow(HWND hWnd)
{
    auto w = platform::detail::FindLocalWindow(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (w->threadId != GetCurrentThreadId()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    platform::detail::Destroy(w);
    return TRUE;
}

LRESULT DefWindowProcA(HWND hWnd, UINT Msg, WPARAM, LPARAM)
{
    switch (Msg) {
    case WM_NCCREATE:
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    default:
        return 0;
    }
}

LRESULT CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    if (lpPrevWndFunc == nullptr)
        return 0;
    return lpPrevWndFunc(hWnd, Msg, wParam, lParam);
}

namespace {

std::shared_ptr<WindowObject> WindowForValues(HWND hWnd)
{
    auto w = platform::detail::FindLocalWindow(hWnd);
    if (!w) {
        DWORD pid = 0;
        DWORD serial = 0;
        const bool remote = platform::detail::SplitHwnd(hWnd, pid, serial) && pid != GetCurrentProcessId();
        SetLastError(remote ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
    }
    return w;
}

bool ExtraRange(const WindowObject& w, int index)
{
    return index >= 0 && static_cast<std::size_t>(index) + sizeof(LONG_PTR) <= w.extra.size();
}

}  // namespace

LONG_PTR GetWindowLongPtrA(HWND hWnd, int nIndex)
{
    auto w = WindowForValues(hWnd);
    if (!w)
        return 0;
    switch (nIndex) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->wndProc.load());
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT: return w->parent == HWND_MESSAGE ? 0 : reinterpret_cast<LONG_PTR>(w->parent);
    case GWLP_ID: return w->id.load();
    case GWL_STYLE: return static_cast<LONG_PTR>(w->style.load());
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(w->exStyle.load());
    case GWLP_USERDATA: return w->userData.load();
    default: break;
    }
    std::lock_guard<std::mutex> g(w->extraLock);
    if (!ExtraRange(*w, nIndex)) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    LONG_PTR v = 0;
    std::memcpy(&v, w->extra.data() + nIndex, sizeof v);
    return v;
}

LONG_PTR SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong)
{
    auto w = WindowForValues(hWnd);
    if (!w)
        return 0;
    switch (nIndex) {
    case GWLP_WNDPROC:
        if (dwNewLong == 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        return reinterpret_cast<LONG_PTR>(w->wndProc.exchange(reinterpret_cast<WNDPROC>(dwNewLong)));
    case GWLP_ID: return w->id.exchange(dwNewLong);
    case GWL_STYLE: return static_cast<LONG_PTR>(w->style.exchange(static_cast<DWORD>(dwNewLong)));
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(w->exStyle.exchange(static_cast<DWORD>(dwNewLong)));
    case GWLP_USERDATA: return w->userData.exchange(dwNewLong);
    case GWLP_HINSTANCE:
    case GWLP_HWNDPARENT:
        SetLastError(ERROR_ACCESS_DENIED);  // fixed for the window's life here
        return 0;
    default: break;
    }
    std::lock_guard<std::mutex> g(w->extraLock);
    if (!ExtraRange(*w, nIndex)) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    LONG_PTR old = 0;
    std::memcpy(&old, w->extra.data() + nIndex, sizeof old);
    std::memcpy(w->extra.data() + nIndex, &dwNewLong, sizeof dwNewLong);
    return old;
}

BOOL IsWindow(HWND hWnd)
{
    DWORD pid = 0;
    DWORD serial = 0;
    if (!platform::detail::SplitHwnd(hWnd, pid, serial))
        return FALSE;
    if (pid == GetCurrentProcessId())
        return platform::detail::FindLocalWindow(hWnd) ? TRUE : FALSE;
    platform::detail::SocketEntry entry;
    return platform::detail::FindWindowSocket(pid, serial, entry) && platform::detail::IsProcessAlive(pid) ? TRUE : FALSE;
}

DWORD GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId)
{
    DWORD pid = 0;
    DWORD serial = 0;
    DWORD tid = 0;
    if (platform::detail::SplitHwnd(hWnd, pid, serial)) {
        if (pid == GetCurrentProcessId()) {
            if (auto w = platform::detail::FindLocalWindow(hWnd))
                tid = w->threadId;
        } else {
            platform::detail::SocketEntry entry;
            if (platform::detail::FindWindowSocket(pid, serial, entry) && platform::detail::IsProcessAlive(pid))
                tid = entry.threadId;
        }
    }
    if (tid == 0) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        pid = 0;
    }
    if (lpdwProcessId != nullptr)
        *lpdwProcessId = pid;
    return tid;
}
