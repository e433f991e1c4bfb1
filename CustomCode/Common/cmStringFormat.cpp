// cmString: message formatting through FormatMessageA.
#include "CustomCode/Common/cmString.h"

#include "platform/kernel32/FormatMessage.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/Locale.h"

#include <vector>

namespace {

constexpr DWORD kFirstBuffer = 1024;
constexpr DWORD kLargestBuffer = 64u * 1024 * 1024;

// Runs FormatMessageA with buffers growing until the text fits. The va_list
// is copied for every attempt, so each one reads the arguments from the start.
HRESULT Run(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId, va_list* pArgs, cmString& out)
{
    char first[kFirstBuffer];
    std::vector<char> heap;
    char* buf = first;
    DWORD size = kFirstBuffer;
    for (;;) {
        DWORD n;
        if (pArgs != nullptr) {
            va_list copy;
            va_copy(copy, *pArgs);
            n = FormatMessageA(dwFlags, lpSource, dwMessageId, dwLanguageId, buf, size, &copy);
            va_end(copy);
        } else {
            n = FormatMessageA(dwFlags, lpSource, dwMessageId, dwLanguageId, buf, size, nullptr);
        }
        const DWORD err = n == 0 ? GetLastError() : ERROR_SUCCESS;
        if (err == ERROR_SUCCESS) {
            out = cmString(buf, n);
            return S_OK;
        }
        if (err != ERROR_INSUFFICIENT_BUFFER || size >= kLargestBuffer) {
            out.Empty();
            return HRESULT_FROM_WIN32(err);
        }
        size *= 4;
        heap.resize(size);
        buf = heap.data();
    }
}

}  // namespace

HRESULT cmString::FormatV(LPCSTR szFormat, va_list args)
{
    if (szFormat == nullptr) {
        Empty();
        return E_POINTER;
    }
    // A va_list parameter is not itself a va_list object on every ABI, so a
    // local copy is what gets passed by address.
    va_list copy;
    va_copy(copy, args);
    const HRESULT hr = Run(FORMAT_MESSAGE_FROM_STRING, szFormat, 0, 0, &copy, *this);
    va_end(copy);
    return hr;
}

HRESULT cmString::Format(LPCSTR szFormat, ...)
{
    va_list args;
    va_start(args, szFormat);
    const HRESULT hr = FormatV(szFormat, args);
    va_end(args);
    return hr;
}

HRESULT cmString::FormatResource(UINT idFormat, ...)
{
    cmString format;
    if (!format.Load(idFormat, nullptr, GetModuleHandleA(nullptr), 0)) {
        const DWORD err = GetLastError();
        Empty();
        return err != ERROR_SUCCESS ? HRESULT_FROM_WIN32(err) : E_FAIL;
    }
    va_list args;
    va_start(args, idFormat);
    const HRESULT hr = FormatV(format.GetText(), args);
    va_end(args);
    return hr;
}

HRESULT cmString::FormatSystemMessage(DWORD dwMessageId)
{
    const HRESULT hr = Run(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                           nullptr, dwMessageId, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), nullptr, *this);
    if (FAILED(hr)) {
        Empty();
        return S_FALSE;  // no message for that code: the empty text
    }
    return hr;
}

HRESULT cmString::FormatNumber(LONG n) { return Format("%1!d!", n); }
