// Kernel objects behind HANDLE values, and CloseHandle.
//
// Every HANDLE the platform layer gives out points to a KernelObject that is
// entered in the process's handle table; CloseHandle and every call that takes
// a handle check it there first, so a stale or made-up handle gives
// ERROR_INVALID_HANDLE instead of undefined behaviour.
#pragma once

#include "platform/kernel32/WinTypes.h"

namespace platform {

class KernelObject {
public:
    KernelObject() = default;
    KernelObject(const KernelObject&) = delete;
    KernelObject& operator=(const KernelObject&) = delete;
    virtual ~KernelObject() = default;
};

// Enters the object in the handle table and gives its handle; the table owns it.
HANDLE RegisterHandle(KernelObject* object);

// The object behind a live handle, or nullptr (last error ERROR_INVALID_HANDLE).
// T is the kind of object the caller expects; a handle of another kind counts
// as invalid. The object stays valid until the handle is closed.
KernelObject* LookupHandle(HANDLE h);

template <class T>
T* LookupHandleAs(HANDLE h)
{
    return dynamic_cast<T*>(LookupHandle(h));
}

}  // namespace platform

BOOL CloseHandle(HANDLE hObject);
