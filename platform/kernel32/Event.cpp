#include "platform/kernel32/Event.h"

#include "platform/kernel32/EventCore.h"
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WaitableObject.h"
#include "platform/kernel32/WinError.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace {

class EventObject : public platform::WaitableObject {
public:
    explicit EventObject(std::shared_ptr<platform::EventCore> core) : m_core(std::move(core)) {}
    std::shared_ptr<platform::EventCore> Core() const override { return m_core; }
    platform::WaitableObject* Duplicate() const override { return new EventObject(m_core); }

private:
    std::shared_ptr<platform::EventCore> m_core;
};

// Named events of this process. Entries do not keep an event alive: the
// name goes when its last handle is closed.
struct NamedEvents {
    std::mutex lock;
    std::map<std::string, std::weak_ptr<platform::EventCore>> byName;
};

NamedEvents& Names()
{
    static NamedEvents* names = new NamedEvents;  // lives until exit, also for static destructors
    return *names;
}

std::string Unprefixed(const char* name)
{
    std::string s(name);
    for (const std::string prefix : {"Global\\", "Local\\"}) {
        if (s.compare(0, prefix.size(), prefix) == 0)
            return s.substr(prefix.size());
    }
    return s;
}

platform::EventCore* CoreOf(HANDLE h)
{
    auto* event = platform::LookupHandleAs<EventObject>(h);
    if (event == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return event->Core().get();
}

}  // namespace

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCSTR lpName)
{
    const platform::ResetPolicy policy = bManualReset ? platform::ResetPolicy::Manual : platform::ResetPolicy::Automatic;
    if (lpName == nullptr || *lpName == '\0') {
        auto core = platform::EventCore::Create(policy, bInitialState != FALSE);
        if (!core)
            return nullptr;
        HANDLE h = platform::RegisterHandle(new EventObject(std::move(core)));
        SetLastError(ERROR_SUCCESS);
        return h;
    }
    NamedEvents& names = Names();
    std::lock_guard<std::mutex> g(names.lock);
    std::weak_ptr<platform::EventCore>& slot = names.byName[Unprefixed(lpName)];
    if (auto existing = slot.lock()) {
        HANDLE h = platform::RegisterHandle(new EventObject(std::move(existing)));
        SetLastError(ERROR_ALREADY_EXISTS);
        return h;
    }
    auto core = platform::EventCore::Create(policy, bInitialState != FALSE);
    if (!core)
        return nullptr;
    slot = core;
    HANDLE h = platform::RegisterHandle(new EventObject(std::move(core)));
    SetLastError(ERROR_SUCCESS);
    return h;
}

HANDLE OpenEventA(DWORD, BOOL, LPCSTR lpName)
{
    if (lpName == nullptr || *lpName == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    NamedEvents& names = Names();
    std::lock_guard<std::mutex> g(names.lock);
    auto it = names.byName.find(Unprefixed(lpName));
    std::shared_ptr<platform::EventCore> core;
    if (it != names.byName.end())
        core = it->second.lock();
    if (!core) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return platform::RegisterHandle(new EventObject(std::move(core)));
}

BOOL SetEvent(HANDLE hEvent)
{
    platform::EventCore* core = CoreOf(hEvent);
    if (core == nullptr)
        return FALSE;
    core->Set();
    return TRUE;
}

BOOL ResetEvent(HANDLE hEvent)
{
    platform::EventCore* core = CoreOf(hEvent);
    if (core == nullptr)
        return FALSE;
    core->Reset();
    return TRUE;
}
