#include "CustomCode/Common/cmTempfile.h"

#include "CustomCode/Common/cmDebugSubsystems.h"
#include "platform/kernel32/FileApi.h"
#include "platform/kernel32/FileFind.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/PathApi.h"
#include "platform/kernel32/ProcessIds.h"

#include <atomic>

namespace {

// One counter for the whole process, so two names made in the same
// millisecond still differ.
std::atomic<LONG> g_nameCounter{0};

cmString SystemMessage(DWORD dwError)
{
    cmString text;
    text.FormatSystemMessage(dwError);
    return text;
}

}  // namespace

cmTempfile::~cmTempfile()
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_CMLIB, "cmTempfile::~cmTempfile");
    rmvTempfileName();
}

HRESULT cmTempfile::getTempfileName(cmString& szName, LPCSTR szPrefix, LPCSTR szSuffix)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_CMLIB, "cmTempfile::getTempfileName");
    SYSTEMTIME st{};
    GetSystemTime(&st);
    HRESULT hr = rmvTempfileName();
    if (hr != S_OK)
        CM_TRACE_RETURN(hr);

    char szPath[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof szPath, szPath);
    if (n == 0 || n > MAX_PATH) {
        const DWORD dwError = n == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER;
        CM_TRACE_WARNING("GetTempPath generated error %s", SystemMessage(dwError).GetText());
        hr = HRESULT_FROM_WIN32(dwError);
        CM_TRACE_RETURN(hr);
    }
    cmString szUnique;
    szUnique.Format("%1!d!-%2!d!-%3!d!-%4!d!-%5!d!-%6!d!-%7!d!-%8!d!-%9!d!", static_cast<int>(GetCurrentProcessId()),
                    static_cast<int>(++g_nameCounter), static_cast<int>(st.wYear), static_cast<int>(st.wMonth),
                    static_cast<int>(st.wDay), static_cast<int>(st.wHour), static_cast<int>(st.wMinute),
                    static_cast<int>(st.wSecond), static_cast<int>(st.wMilliseconds));
    m_szName = cmString(szPath) + (szPrefix != nullptr ? szPrefix : "") + szUnique + (szSuffix != nullptr ? szSuffix : "");
    szName = m_szName;
    CM_TRACE_RETURN(hr);
}

HANDLE cmTempfile::CreateExclusive()
{
    if (m_szName.IsEmpty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(m_szName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HRESULT cmTempfile::rmvTempfileName()
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_CMLIB, "cmTempfile::rmvTempfileName");
    HRESULT hr = S_OK;
    if (!m_szName.IsEmpty()) {
        // Nothing at the name is a failure, as DeleteFileA reports it.
        const DWORD attributes = GetFileAttributesA(m_szName);
        const BOOL ok = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                            ? RemoveDirectoryA(m_szName)
                            : DeleteFileA(m_szName);
        if (!ok) {
            const DWORD dwError = GetLastError();
            CM_TRACE_WARNING("DeleteFile/RemoveDirectory generated error %s", SystemMessage(dwError).GetText());
            hr = HRESULT_FROM_WIN32(dwError);
        }
        m_szName.Empty();
    }
    CM_TRACE_RETURN(hr);
}
