// cmBuffer::ReadResource: a resource's bytes into the buffer.
#include "CustomCode/Common/cmBuffer.h"
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
    CM_TRACE_RETURN(hr);
}
