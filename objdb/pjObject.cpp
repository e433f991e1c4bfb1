#include "objdb/pjObject.h"

#include "objdb/pjGenericPropertyImpl.h"
#include "objdb/pjObjectDatabase.h"
#include "objdb/pjObjectFactory.h"
#include "objdb/pjObjectImpl.h"
#include "objdb/pjPropertyBlock.h"
#include "objdb/pjPropertyIds.h"

#include <new>

namespace {

// Change kinds of relation reports.
constexpr DWORD kRelationAdded = 4;
constexpr DWORD kRelationRemoved = 5;
constexpr DWORD kPropertyChanged = 3;

// A relation reads as the label of its first related object, which may be a
// relation itself; a cycle of such labels ends here.
constexpr int kMaxLabelDepth = 8;
thread_local int t_labelDepth = 0;

}  // namespace

pjObject::pjObject(pjObjectFactory* pOwner) : m_pOwner(pOwner), m_pBlock(std::make_unique<pjPropertyBlock>()) {}

pjObject::~pjObject() = default;

pjGenericPropertyImpl* pjObject::Find(DWORD dwPropId) const { return m_pBlock->Find(dwPropId); }

HRESULT pjObject::GetID(cmPacket& id)
{
    cmPacket key, identity;
    HRESULT hr = GetKey(key);
    if (SUCCEEDED(hr) && m_pOwner != nullptr)
        hr = m_pOwner->GetIdentity(identity);
    if (SUCCEEDED(hr))
        hr = id.WritePacket(key);
    if (SUCCEEDED(hr))
        hr = id.WritePacket(identity);
    return hr;
}

cmString pjObject::GetAsciiType() { return cmString("untyped object"); }

void pjObject::DropReferences() {}

bool pjObject::HasRelations()
{
    cmLockToken token = m_lock.LockShared();
    return m_pBlock->HasRelations();
}

HRESULT pjObject::GetPropertyIds(std::vector<DWORD>& ids)
{
    ids.clear();
    cmLockToken token = m_lock.LockShared();
    for (const pjGenericPropertyImpl* h : m_pBlock->Holders()) {
        if ((h->GetId() & PJ_PROP_HIDDEN) == 0)
            ids.push_back(h->GetId());
    }
    return S_OK;
}

HRESULT pjObject::GetRelationType(DWORD dwPropId, cmString& szType)
{
    cmLockToken token = m_lock.LockShared();
    pjGenericPropertyImpl* h = Find(dwPropId);
    return h == nullptr ? E_INVALIDARG : h->GetRelationType(token, szType);
}

HRESULT pjObject::GetSecondText(DWORD dwPropId, cmString& szText)
{
    cmLockToken token = m_lock.LockShared();
    pjGenericPropertyImpl* h = Find(dwPropId);
    return h == nullptr ? E_INVALIDARG : h->GetSecondText(token, szText);
}

HRESULT pjObject::GetFirstText(DWORD dwPropId, cmString& szText)
{
    {
        cmLockToken token = m_lock.LockShared();
        pjGenericPropertyImpl* h = Find(dwPropId);
        if (h == nullptr)
            return E_INVALIDARG;
        HRESULT hr = h->GetFirstText(token, szText);
        if (FAILED(hr) || !szText.IsEmpty())
            return hr;
    }
    // The shared hold is given up before the exclusive one is asked for: two
    // readers that both waited for an upgrade would wait for ever.
    HRESULT hr = GetSecondText(dwPropId, szText);
    if (FAILED(hr))
        return hr;
    cmLockToken token = m_lock.LockExclusive();
    if (pjGenericPropertyImpl* h = Find(dwPropId))
        h->SetFirstText(token, szText);
    return S_OK;
}

HRESULT pjObject::AddRelations(DWORD dwPropId, const pjObjectList& objects)
{
    cmLockToken token = m_lock.LockExclusive();
    return AddRelationsLocked(token, dwPropId, objects);
}

HRESULT pjObject::AddRelation(DWORD dwPropId, pjObject* pObject)
{
    cmLockToken token = m_lock.LockExclusive();
    return AddRelationsLocked(token, dwPropId, pjObjectList{pjObjectRef(pObject)});
}

HRESULT pjObject::RemoveRelation(DWORD dwPropId, pjObject* pObject)
{
    cmLockToken token = m_lock.LockExclusive();
    return RemoveRelationsLocked(token, dwPropId, pjObjectList{pjObjectRef(pObject)});
}

HRESULT pjObject::RemoveAllRelations(DWORD dwPropId)
{
    pjObjectList related;
    HRESULT hr = GetRelations(dwPropId, related);
    for (const pjObjectRef& object : related) {
        if (SUCCEEDED(hr))
            hr = RemoveRelation(dwPropId, object.Get());
    }
    return hr;
}

HRESULT pjObject::GetRelations(DWORD dwPropId, pjObjectList& objects)
{
    cmLockToken token = m_lock.LockShared();
    pjGenericPropertyImpl* h = Find(dwPropId);
    if (h == nullptr) {
        objects.clear();
        return E_INVALIDARG;
    }
    return h->GetRelations(token, objects);
}

HRESULT pjObject::GetFirstRelation(DWORD dwPropId, pjObjectRef& object)
{
    cmLockToken token = m_lock.LockShared();
    pjGenericPropertyImpl* h = Find(dwPropId);
    if (h == nullptr) {
        object.Reset();
        return E_INVALIDARG;
    }
    return h->GetRelations(token, object);
}

HRESULT pjObject::GetPotentialRelations(DWORD dwPropId, pjObjectList& objects)
{
    cmLockToken token = m_lock.LockShared();
    pjGenericPropertyImpl* h = Find(dwPropId);
    if (h == nullptr) {
        objects.clear();
        return E_INVALIDARG;
    }
    return h->GetPotentialRelations(token, objects);
}

HRESULT pjObject::AddRelationsLocked(const cmLockToken& token, DWORD dwPropId, const pjObjectList& objects)
{
    pjGenericPropertyImpl* h = Find(dwPropId);
    if (h == nullptr)
        return E_INVALIDARG;
    pjObjectList added;
    const HRESULT hr = h->AddRelation(token, objects, &added);
    // What was added is reported also when a later object did not qualify,
    // so that listeners never miss a relation the object has.
    if (!added.empty() && Notifies())
        GetObjectDatabase()->NotifyObjectChange(this, kRelationAdded, dwPropId, added);
    return hr;
}

HRESULT pjObject::RemoveRelationsLocked(const cmLockToken& token, DWORD dwPropId, const pjObjectList& objects)
{
    pjGenericPropertyImpl* h = Find(dwPropId);
    if (h == nullptr)
        return E_INVALIDARG;
    DWORD removed = 0;
    const HRESULT hr = h->RemoveRelation(token, objects, &removed);
    if (FAILED(hr))
        return hr;
    if (removed != 0 && Notifies())
        GetObjectDatabase()->NotifyObjectChange(this, kRelationRemoved, dwPropId, objects);
    return S_OK;
}

HRESULT pjObject::ReadRelationLabel(pjGenericPropertyImpl* pHolder, const cmLockToken& token, VARIANT* pValue)
{
    pjObjectList related;
    HRESULT hr = pHolder->GetRelations(token, related);
    if (FAILED(hr))
        return hr;
    if (related.empty())
        return E_FAIL;
    if (t_labelDepth >= kMaxLabelDepth)
        return E_FAIL;
    ++t_labelDepth;
    DWORD dwLabelId = 0;
    cmString szLabel;
    hr = pjObjectImpl::GetPropertyAsNumber(related.front().Get(), PJ_PROPID_LABEL, dwLabelId);
    if (SUCCEEDED(hr))
        hr = pjObjectImpl::GetPropertyAsText(related.front().Get(), dwLabelId, szLabel);
    --t_labelDepth;
    if (FAILED(hr))
        return hr;
    const std::u16string wide = platform::Utf8ToUtf16(szLabel.GetText(), szLabel.GetLengthInTchars());
    BSTR b = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (b == nullptr)
        return E_OUTOFMEMORY;
    hr = VariantClear(pValue);
    if (FAILED(hr)) {
        SysFreeString(b);
        return hr;
    }
    pValue->vt = VT_BSTR;
    pValue->bstrVal = b;
    return S_OK;
}

HRESULT pjObject::ReadValue(DWORD dwPropId, VARIANT* pValue)
{
    if (pValue == nullptr)
        return E_POINTER;
    cmLockToken token = m_lock.LockShared();
    pjGenericPropertyImpl* h = Find(dwPropId);
    if (h == nullptr)
        return E_INVALIDARG;
    if (h->IsRelation())
        return ReadRelationLabel(h, token, pValue);
    if (dwPropId == PJ_PROPID_SELF) {
        HRESULT hr = VariantClear(pValue);
        if (FAILED(hr))
            return hr;
        pValue->vt = VT_I4;
        pValue->lVal = static_cast<LONG>(PJ_PROPID_SELF);
        return S_OK;
    }
    return h->GetValue(token, pValue);
}

HRESULT pjObject::WriteValue(DWORD dwPropId, const VARIANT& value)
{
    cmLockToken token = m_lock.LockExclusive();
    pjGenericPropertyImpl* h = Find(dwPropId);
    if (h == nullptr)
        return E_INVALIDARG;
    if (h->IsRelation())
        return E_UNEXPECTED;
    VARTYPE vt = VT_EMPTY;
    HRESULT hr = h->GetValueType(token, vt);
    if (FAILED(hr))
        return hr;
    VARIANT converted;
    VariantInit(&converted);
    hr = VariantChangeType(&converted, &value, VARIANT_LOCALBOOL, vt);
    if (FAILED(hr))
        return hr;
    hr = h->StoreValue(token, converted);
    VariantClear(&converted);
    if (FAILED(hr))
        return hr;
    // Reported while the lock is held: a second writer's report cannot
    // overtake this one.
    if (Notifies())
        GetObjectDatabase()->NotifyObjectChange(this, kPropertyChanged, dwPropId, value);
    return S_OK;
}

HRESULT pjObject::AddRelationProperty(DWORD dwPropId, const cmString& szFirst, const cmString& szSecond,
                                      const cmString& szRelationType)
{
    cmLockToken token = m_lock.LockExclusive();
    if (Find(dwPropId) != nullptr)
        return E_INVALIDARG;
    try {
        m_pBlock->Insert(new pjGenericPropertyImpl(dwPropId, szFirst, szSecond, szRelationType));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (dwPropId != 0)
        m_pBlock->SetHasRelations();
    return S_OK;
}

HRESULT pjObject::AddValueProperty(DWORD dwPropId, const VARIANT& value, const cmString& szFirst,
                                   const cmString& szSecond)
{
    cmLockToken token = m_lock.LockExclusive();
    if (Find(dwPropId) != nullptr)
        return E_INVALIDARG;
    try {
        m_pBlock->Insert(new pjGenericPropertyImpl(dwPropId, szFirst, szSecond, value));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT pjObject::SaveToPacket(cmPacket& packet)
{
    cmLockToken token = m_lock.LockShared();
    const auto& holders = m_pBlock->Holders();
    HRESULT hr = packet.WriteNumber(1);
    if (SUCCEEDED(hr))
        hr = packet.WriteNumber(static_cast<DWORD>(holders.size()));
    for (const pjGenericPropertyImpl* h : holders) {
        if (FAILED(hr))
            break;
        cmPacket record;
        cmString szFirst, szSecond;
        VARIANT value;
        VariantInit(&value);
        hr = record.WriteNumber(h->GetId());
        if (SUCCEEDED(hr))
            hr = h->GetFirstText(token, szFirst);
        if (SUCCEEDED(hr))
            hr = record.WriteString(szFirst);
        if (SUCCEEDED(hr))
            hr = h->GetSecondText(token, szSecond);
        if (SUCCEEDED(hr))
            hr = record.WriteString(szSecond);
        if (SUCCEEDED(hr))
            hr = h->GetValue(token, &value);
        if (SUCCEEDED(hr))
            hr = record.WriteVariant(value);
        VariantClear(&value);
        if (SUCCEEDED(hr))
            hr = packet.WritePacket(record);
    }
    return hr;
}

HRESULT pjObject::LoadFromPacket(cmPacket& packet)
{
    DWORD version = 0, count = 0;
    HRESULT hr = packet.ReadNumber(version);
    if (SUCCEEDED(hr))
        hr = packet.ReadNumber(count);
    // The count comes from outside: every record must be in the packet.
    for (DWORD i = 0; SUCCEEDED(hr) && i < count; ++i) {
        cmPacket record;
        DWORD id = 0;
        cmString szFirst, szSecond;
        VARIANT value;
        VariantInit(&value);
        hr = packet.ReadPacket(record);
        if (SUCCEEDED(hr))
            hr = record.ReadNumber(id);
        if (SUCCEEDED(hr))
            hr = record.ReadString(szFirst);
        if (SUCCEEDED(hr))
            hr = record.ReadString(szSecond);
        if (SUCCEEDED(hr))
            hr = record.ReadVariant(&value);
        if (SUCCEEDED(hr)) {
            const HRESULT hrAdd = AddValueProperty(id, value, szFirst, szSecond);
            if (hrAdd == E_OUTOFMEMORY)
                hr = hrAdd;
        }
        VariantClear(&value);
    }
    return hr;
}
