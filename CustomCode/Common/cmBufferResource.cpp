// cmBuffer::ReadResource: a resource's bytes into the buffer.
#include "CustomCode/Common/cmBuffer.h"
#include "CustomCode/Common/cmComError.h"
#include "CustomCode/Common/cmDebugSupport.h"

HRESULT cmBuffer::ReadResource(LPCSTR szType, LPCSTR szName, HMODULE hModule, WORD wLanguage)
{
    CM_TRACE_FUNCTION(0x10, "cmBuffer::ReadResource");
    HRESULT hr = E_ACCESSDENIED;
    // Every step that finds nothing is reported as E_ACCESSDENIED.
    if (HRSRC hRes = FindResourceExA(hModule, szType, szName, wLanguage)) {
        if (HGLOBAL hData = LoadResource(hModule, hRes)) {
            if (const void* p = LockResource(hData))
                hr = Set(SizeofResource(hModule, hRes), p);
        }
    }
    if (FAILED(hr))
        CM_TRACE_PRINT(CM_DEBUG_INFO, "_com_error Code: 0x%x Text: %s", static_cast<unsigned>(hr),
                       cmErrorMessageText(hr).c_str());
    CM_TRACE_RETURN(hr);
}
