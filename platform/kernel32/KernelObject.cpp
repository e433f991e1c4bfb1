#include "platform/kernel32/KernelObject.h"

#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WinError.h"

#include <memory>
#include <mutex>
#include <unordered_map>

namespace platform {

namespace {

// The process's handle table: the one place that owns kernel objects.
struct HandleTable {
    std::mutex lock;
    std::unordered_map<HANDLE, std::unique_ptr<KernelObject>> objects;
};

HandleTable& Table()
{
    static HandleTable* table = new HandleTable;  // lives until exit, also for static destructors
    return *table;
}

}  // namespace

HANDLE RegisterHandle(KernelObject* object)
{
    std::unique_ptr<KernelObject> owned(object);
    if (!owned)
        return nullptr;
    HANDLE h = owned.get();
    HandleTable& t = Table();
    std::lock_guard<std::mutex> g(t.lock);
    t.objects.emplace(h, std::move(owned));
    return h;
}

KernelObject* LookupHandle(HANDLE h)
{
    HandleTable& t = Table();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.objects.find(h);
    if (it == t.objects.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return it->second.get();
}

}  // namespace platform

BOOL CloseHandle(HANDLE hObject)
{
    std::unique_ptr<platform::KernelObject> doomed;
    {
        platform::HandleTable& t = platform::Table();
        std::lock_guard<std::mutex> g(t.lock);
        auto it = t.objects.find(hObject);
        if (it == t.objects.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        doomed = std::move(it->second);
        t.objects.erase(it);
    }
    // Destroyed outside the table lock: a destructor may release system resources.
    return TRUE;
}
