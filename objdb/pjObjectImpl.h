// pjObjectImpl: the helpers through which properties of database objects
// are read and written, and the removal of an object from the database's
// type index.
#pragma once

#include "CustomCode/Common/cmString.h"
#include "objdb/pjObject.h"
#include "platform/ole/Variant.h"

class pjObjectImpl {
public:
    // Under the object lock (exclusive): E_FAIL for a read-only id,
    // otherwise the object's WriteValue with a copy of the value.
    static HRESULT SetProperty(pjObject* pObject, DWORD dwPropId, const VARIANT& value);
    // Under the object lock (shared): the object's ReadValue.
    static HRESULT GetProperty(pjObject* pObject, DWORD dwPropId, VARIANT* pValue);
    // The value converted to a 32-bit unsigned number, or to text; the
    // read's or the conversion's error as it is.
    static HRESULT GetPropertyAsNumber(pjObject* pObject, DWORD dwPropId, DWORD& dwValue);
    static HRESULT GetPropertyAsText(pjObject* pObject, DWORD dwPropId, cmString& szValue);
    // Takes the object out of the set of its type (the type name, or its
    // own type name when null): E_INVALIDARG when the type is unknown. The
    // object stays in the object index until the scrubber runs; nothing is
    // reported.
    static HRESULT RemoveFromObjectDatabase(pjObject* pObject, LPCSTR szTypeName);
};
