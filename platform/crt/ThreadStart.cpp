#include "platform/crt/ThreadStart.h"

#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/ProcessIds.h"
#include "platform/kernel32/ThreadHandle.h"
#include "platform/kernel32/WinError.h"

#include <future>
#include <system_error>
#include <thread>

std::uintptr_t _beginthreadex(void*, unsigned, _beginthreadex_proc_type start_address, void* arglist, unsigned,
                              unsigned* thrdaddr)
{
    if (start_address == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // The handle must name the new thread before this call returns, so the
    // thread reports its id first; the handle is made from that id while the
    // thread waits, so it cannot end before its handle exists.
    std::promise<DWORD> started;
    std::future<DWORD> id = started.get_future();
    std::promise<void> handleMade;
    std::future<void> go = handleMade.get_future();
    try {
        std::thread([started = std::move(started), go = std::move(go), start_address, arglist]() mutable {
            started.set_value(GetCurrentThreadId());
            go.wait();
            start_address(arglist);
        }).detach();
    } catch (const std::system_error&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    const DWORD tid = id.get();
    HANDLE h = platform::RegisterHandle(new platform::ThreadHandleObject(tid));
    handleMade.set_value();
    if (thrdaddr != nullptr)
        *thrdaddr = tid;
    return reinterpret_cast<std::uintptr_t>(h);
}
