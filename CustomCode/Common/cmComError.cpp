#include "CustomCode/Common/cmComError.h"

#include "CustomCode/Common/cmChecks.h"
#include "platform/kernel32/FormatMessage.h"
#include "platform/kernel32/LastError.h"

#include <cstdio>

std::string cmErrorMessageText(HRESULT hr)
{
    const DWORD code = static_cast<DWORD>(hr);
    char text[1024];
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                   sizeof text, nullptr);
    if (n > 0) {
        std::string s(text, n);
        if (s.size() >= 2 && s.compare(s.size() - 2, 2, "\r\n") == 0)
            s.resize(s.size() - 2);
        return s;
    }
    char fallback[64];
    if (code >= 0x80040200u && code <= 0x8004FFFFu)
        std::snprintf(fallback, sizeof fallback, "IDispatch error #%d", static_cast<int>(static_cast<WORD>(code - 0x80040200u)));
    else
        std::snprintf(fallback, sizeof fallback, "Unknown error 0x%0lX", static_cast<unsigned long>(code));
    return fallback;
}

LPCSTR _com_error::ErrorMessage() const
{
    if (m_message.empty())
        m_message = cmErrorMessageText(m_hr);
    return m_message.c_str();
}

void cmRaiseError(HRESULT hr)
{
    if (FAILED(hr))
        throw _com_error(hr);
}

HRESULT cmLogFailedResult(LPCSTR szFile, int nLine, LPCSTR szCondition, HRESULT hr)
{
    cmLogPrint("%s(%d): '%s' returned 0x%x ('%s')\n", szFile, nLine, szCondition, static_cast<unsigned>(hr),
               cmErrorMessageText(hr).c_str());
    return hr;
}

HRESULT cmLogFailedCall(LPCSTR szFile, int nLine, LPCSTR szCondition)
{
    const DWORD e = GetLastError();
    // Values above 0 are Win32 errors; 0 and negative ones are result codes already.
    const HRESULT hr = (static_cast<LONG>(e) > 0) ? HRESULT_FROM_WIN32(e) : static_cast<HRESULT>(e);
    return cmLogFailedResult(szFile, nLine, szCondition, hr);
}
