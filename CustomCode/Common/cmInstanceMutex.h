// cmInstanceMutex: the single-instance guard. It lives on the stack of the
// start-up routine: IsAlreadyRunning creates the named mutex with initial
// ownership, and the destructor releases it if this process owns it.
#pragma once

#include "CustomCode/Common/cmString.h"
#include "platform/kernel32/WinTypes.h"

class cmInstanceMutex {
public:
    explicit cmInstanceMutex(LPCSTR szName);
    cmInstanceMutex(const cmInstanceMutex&) = delete;
    cmInstanceMutex& operator=(const cmInstanceMutex&) = delete;
    ~cmInstanceMutex();

    // 1 when another copy owns the mutex; 0 otherwise, also when the mutex
    // could not be created at all (the caller then runs as the only copy).
    int IsAlreadyRunning();

private:
    HANDLE m_hMutex = nullptr;
    cmString m_szName;
};
