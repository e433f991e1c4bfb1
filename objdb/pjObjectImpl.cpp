#include "objdb/pjObjectImpl.h"

#include "objdb/pjObjectDatabase.h"
#include "objdb/pjPropertyIds.h"

namespace {

// Reads the property converted to vt into value (cleared on failure).
HRESULT ReadConverted(pjObject* pObject, DWORD dwPropId, VARTYPE vt, VARIANT& value)
{
    HRESULT hr = pjObjectImpl::GetProperty(pObject, dwPropId, &value);
    if (SUCCEEDED(hr))
        hr = VariantChangeType(&value, &value, 0, vt);
    if (FAILED(hr))
        VariantClear(&value);
    return hr;
}

}  // namespace

HRESULT pjObjectImpl::SetProperty(pjObject* pObject, DWORD dwPropId, const VARIANT& value)
{
    if (pObject == nullptr)
        return E_POINTER;
    cmLockToken token = pObject->GetLock().LockExclusive();
    if ((dwPropId & PJ_PROP_READONLY) != 0)
        return E_FAIL;
    VARIANT copy;
    VariantInit(&copy);
    HRESULT hr = VariantCopy(&copy, &value);
    if (SUCCEEDED(hr))
        hr = pObject->WriteValue(dwPropId, copy);
    VariantClear(&copy);
    return hr;
}

HRESULT pjObjectImpl::GetProperty(pjObject* pObject, DWORD dwPropId, VARIANT* pValue)
{
    if (pObject == nullptr || pValue == nullptr)
        return E_POINTER;
    cmLockToken token = pObject->GetLock().LockShared();
    return pObject->ReadValue(dwPropId, pValue);
}

HRESULT pjObjectImpl::GetPropertyAsNumber(pjObject* pObject, DWORD dwPropId, DWORD& dwValue)
{
    VARIANT value;
    VariantInit(&value);
    const HRESULT hr = ReadConverted(pObject, dwPropId, VT_UI4, value);
    if (SUCCEEDED(hr))
        dwValue = value.ulVal;
    return hr;
}

HRESULT pjObjectImpl::GetPropertyAsText(pjObject* pObject, DWORD dwPropId, cmString& szValue)
{
    VARIANT value;
    VariantInit(&value);
    const HRESULT hr = ReadConverted(pObject, dwPropId, VT_BSTR, value);
    if (SUCCEEDED(hr)) {
        szValue = (value.bstrVal != nullptr) ? cmString(value.bstrVal, SysStringLen(value.bstrVal)) : cmString();
        VariantClear(&value);
    }
    return hr;
}

HRESULT pjObjectImpl::RemoveFromObjectDatabase(pjObject* pObject, LPCSTR szTypeName)
{
    pjObjectDatabase* pDb = GetObjectDatabase();
    if (pDb == nullptr)
        return E_FAIL;
    if (pObject == nullptr)
        return E_POINTER;
    return pDb->RemoveObjectFromType(pObject, szTypeName != nullptr ? cmString(szTypeName) : pObject->GetAsciiType());
}
