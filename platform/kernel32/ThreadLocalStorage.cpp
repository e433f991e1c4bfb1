#include "platform/kernel32/ThreadLocalStorage.h"

#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WinError.h"

#include <pthread.h>

DWORD TlsAlloc()
{
    pthread_key_t key;
    if (::pthread_key_create(&key, nullptr) != 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return TLS_OUT_OF_INDEXES;
    }
    return static_cast<DWORD>(key);
}

BOOL TlsFree(DWORD dwTlsIndex)
{
    if (dwTlsIndex == TLS_OUT_OF_INDEXES || ::pthread_key_delete(static_cast<pthread_key_t>(dwTlsIndex)) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

LPVOID TlsGetValue(DWORD dwTlsIndex) { return ::pthread_getspecific(static_cast<pthread_key_t>(dwTlsIndex)); }

BOOL TlsSetValue(DWORD dwTlsIndex, LPVOID lpTlsValue)
{
    if (::pthread_setspecific(static_cast<pthread_key_t>(dwTlsIndex), lpTlsValue) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}
