#include "platform/user32/WindowTable.h"

#include "platform/kernel32/ProcessIds.h"
#include "platform/user32/MessageQueue.h"
#include "platform/user32/WindowSocket.h"

#include <unordered_map>

namespace platform::detail {

namespace {

struct Table {
    std::mutex lock;
    std::unordered_map<DWORD, std::shared_ptr<WindowObject>> bySerial;
    DWORD nextSerial = 1;
};

Table& Windows()
{
    static Table* table = new Table;  // lives until exit, also for thread-exit hooks
    return *table;
}

}  // namespace

HWND MakeHwnd(DWORD pid, DWORD serial)
{
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>((static_cast<std::uint64_t>(pid) << 32) | serial));
}

bool SplitHwnd(HWND hwnd, DWORD& pid, DWORD& serial)
{
    const auto v = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(hwnd));
    const auto p = static_cast<DWORD>(v >> 32);
    const auto s = static_cast<DWORD>(v & 0xFFFFFFFFu);
    // Process ids stay far below 2^31, so the special handles (small values
    // and negative ones) never split into a valid pair.
    if (p == 0 || p > 0x7FFFFFFFu || s == 0)
        return false;
    pid = p;
    serial = s;
    return true;
}

DWORD NewWindowSerial()
{
    Table& t = Windows();
    std::lock_guard<std::mutex> g(t.lock);
    for (;;) {
        const DWORD s = t.nextSerial++;
        if (t.nextSerial == 0)
            t.nextSerial = 1;
        if (s != 0 && t.bySerial.count(s) == 0)
            return s;
    }
}

void AddWindow(const std::shared_ptr<WindowObject>& window)
{
    Table& t = Windows();
    std::lock_guard<std::mutex> g(t.lock);
    t.bySerial[window->serial] = window;
}

void RemoveWindow(DWORD serial)
{
    std::shared_ptr<WindowObject> doomed;  // released outside the lock
    Table& t = Windows();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.bySerial.find(serial);
    if (it != t.bySerial.end()) {
        doomed = std::move(it->second);
        t.bySerial.erase(it);
    }
}

std::shared_ptr<WindowObject> FindLocalWindow(HWND hwnd)
{
    DWORD pid = 0;
    DWORD serial = 0;
    if (!SplitHwnd(hwnd, pid, serial) || pid != GetCurrentProcessId())
        return nullptr;
    Table& t = Windows();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.bySerial.find(serial);
    return it == t.bySerial.end() ? nullptr : it->second;
}

std::vector<std::shared_ptr<WindowObject>> TopLevelWindows()
{
    std::vector<std::shared_ptr<WindowObject>> out;
    Table& t = Windows();
    std::lock_guard<std::mutex> g(t.lock);
    for (const auto& [serial, w] : t.bySerial) {
        if (w->topLevel)
            out.push_back(w);
    }
    return out;
}

std::vector<std::shared_ptr<WindowObject>> ChildWindows(HWND parent)
{
    std::vector<std::shared_ptr<WindowObject>> out;
    Table& t = Windows();
    std::lock_guard<std::mutex> g(t.lock);
    for (const auto& [serial, w] : t.bySerial) {
        if (w->parent == parent)
            out.push_back(w);
    }
    return out;
}

std::vector<std::shared_ptr<WindowObject>> WindowsOfThread(DWORD threadId)
{
    std::vector<std::shared_ptr<WindowObject>> out;
    Table& t = Windows();
    std::lock_guard<std::mutex> g(t.lock);
    for (const auto& [serial, w] : t.bySerial) {
        if (w->threadId == threadId)
            out.push_back(w);
    }
    return out;
}

std::size_t CountWindowsOfClass(const WindowClass* windowClass)
{
    std::size_t n = 0;
    Table& t = Windows();
    std::lock_guard<std::mutex> g(t.lock);
    for (const auto& [serial, w] : t.bySerial) {
        if (w->windowClass.get() == windowClass)
            ++n;
    }
    return n;
}

bool IsSameOrDescendant(HWND window, HWND ancestor)
{
    if (window == ancestor)
        return true;
    Table& t = Windows();
    std::lock_guard<std::mutex> g(t.lock);
    // Walk up through child links only (an owner is no ancestor); the depth
    // bound keeps a corrupt chain from looping.
    HWND cur = window;
    for (int depth = 0; depth < 256; ++depth) {
        DWORD pid = 0;
        DWORD serial = 0;
        if (!SplitHwnd(cur, pid, serial) || pid != GetCurrentProcessId())
            return false;
        auto it = t.bySerial.find(serial);
        if (it == t.bySerial.end() || (it->second->style.load() & WS_CHILD) == 0)
            return false;
        cur = it->second->parent;
        if (cur == ancestor)
            return true;
    }
    return false;
}

void ReleaseThreadWindows(DWORD threadId)
{
    for (const auto& w : WindowsOfThread(threadId)) {
        w->destroying = true;
        RemoveWindow(w->serial);
        if (w->socketFd >= 0) {
            if (w->queue)
                w->queue->RemoveSocket(w->socketFd);
            CloseWindowSocket(w->socketFd, w->socketPath);
            w->socketFd = -1;
        }
    }
}

}  // namespace platform::detail
