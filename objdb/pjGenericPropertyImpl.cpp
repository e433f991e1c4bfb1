#include "objdb/pjGenericPropertyImpl.h"

#include "CustomCode/Common/cmChecks.h"
#include "CustomCode/Common/cmDebugSubsystems.h"
#include "objdb/pjBlockPool.h"
#include "objdb/pjObjectDatabase.h"
#include "objdb/pjPropertyIds.h"

#include <algorithm>
#include <new>

namespace {

// The process's pool of holders. It is never destroyed: holders of objects
// that live until the end of the process go back to it during exit.
pjBlockPool& HolderPool()
{
    static pjBlockPool* const s_pPool = new pjBlockPool(sizeof(pjGenericPropertyImpl), 256);
    return *s_pPool;
}

bool Reading(const cmLockToken& token) { return token.IsHeld(); }
bool Writing(const cmLockToken& token) { return token.IsExclusive(); }

}  // namespace

struct pjGenericPropertyImpl::RelationData {
    cmString m_szRelationType;
    std::vector<pjRelationEntry> m_entries;

    // Whether the object may be related: by pedigree or by its type name.
    HRESULT Qualify(pjObject* pObjectToAdd, bool bByPedigree) const
    {
        if (bByPedigree)
            CM_CHECK_ARG((pObjectToAdd->m_setPedigree.find(m_szRelationType) != pObjectToAdd->m_setPedigree.end()));
        else
            CM_CHECK_ARG(pObjectToAdd->GetAsciiType() == m_szRelationType);
        return S_OK;
    }

    bool Contains(const pjObject* p) const
    {
        return std::any_of(m_entries.begin(), m_entries.end(), [p](const pjRelationEntry& e) { return e.object.Get() == p; });
    }
};

pjGenericPropertyImpl::pjGenericPropertyImpl(DWORD dwPropId, const cmString& szFirst, const cmString& szSecond,
                                             const VARIANT& value)
    : m_dwPropId(dwPropId), m_szFirst(szFirst), m_szSecond(szSecond)
{
    VariantInit(&m_value);
    VariantCopy(&m_value, &value);
}

pjGenericPropertyImpl::pjGenericPropertyImpl(DWORD dwPropId, const cmString& szFirst, const cmString& szSecond,
                                             const cmString& szRelationType)
    : m_dwPropId(dwPropId), m_szFirst(szFirst), m_szSecond(szSecond), m_pRelation(std::make_unique<RelationData>())
{
    VariantInit(&m_value);
    m_pRelation->m_szRelationType = szRelationType;
}

pjGenericPropertyImpl::~pjGenericPropertyImpl() { VariantClear(&m_value); }

void* pjGenericPropertyImpl::operator new(std::size_t cb)
{
    void* p = (cb <= HolderPool().BlockSize()) ? HolderPool().Allocate() : nullptr;
    if (p == nullptr)
        throw std::bad_alloc();
    return p;
}

void pjGenericPropertyImpl::operator delete(void* p) { HolderPool().Free(p); }

std::size_t pjGenericPropertyImpl::LiveHolders() { return HolderPool().InUse(); }

bool pjGenericPropertyImpl::IsRelation() const { return m_pRelation != nullptr && pjIsRelationId(m_dwPropId); }

HRESULT pjGenericPropertyImpl::GetFirstText(const cmLockToken& token, cmString& szText) const
{
    if (!Reading(token))
        return E_INVALIDARG;
    szText = m_szFirst;
    return S_OK;
}

HRESULT pjGenericPropertyImpl::SetFirstText(const cmLockToken& token, const cmString& szText)
{
    if (!Writing(token))
        return E_INVALIDARG;
    m_szFirst = szText;
    return S_OK;
}

HRESULT pjGenericPropertyImpl::GetSecondText(const cmLockToken& token, cmString& szText) const
{
    if (!Reading(token))
        return E_INVALIDARG;
    szText = m_szSecond;
    return S_OK;
}

HRESULT pjGenericPropertyImpl::GetValue(const cmLockToken& token, VARIANT* pValue) const
{
    if (!Reading(token) || pValue == nullptr)
        return E_INVALIDARG;
    return VariantCopy(pValue, &m_value);
}

HRESULT pjGenericPropertyImpl::GetValueType(const cmLockToken& token, VARTYPE& vt) const
{
    if (!Reading(token))
        return E_INVALIDARG;
    vt = m_value.vt;
    return S_OK;
}

HRESULT pjGenericPropertyImpl::StoreValue(const cmLockToken& token, VARIANT& value)
{
    if (!Writing(token))
        return E_INVALIDARG;
    VariantClear(&m_value);
    m_value = value;
    VariantInit(&value);
    return S_OK;
}

HRESULT pjGenericPropertyImpl::GetRelationType(const cmLockToken& token, cmString& szType) const
{
    if (!Reading(token))
        return E_INVALIDARG;
    if (!IsRelation() || (m_dwPropId & PJ_PROP_RELATION_PEDIGREE) != 0)
        return E_UNEXPECTED;
    szType = m_pRelation->m_szRelationType;
    return S_OK;
}

HRESULT pjGenericPropertyImpl::AddRelation(const cmLockToken& token, const pjObjectList& objects, pjObjectList* pAdded)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_PJOBJ, "pjGenericPropertyImpl::AddRelation");
    if (!Writing(token))
        return E_INVALIDARG;
    if (!IsRelation())
        return E_UNEXPECTED;
    const bool bByPedigree = (m_dwPropId & PJ_PROP_RELATION_PEDIGREE) != 0;
    const bool bSingle = (m_dwPropId & PJ_PROP_RELATION_SINGLE) != 0;
    for (const pjObjectRef& object : objects) {
        if (!object)
            continue;
        const HRESULT hr = m_pRelation->Qualify(object.Get(), bByPedigree);
        if (FAILED(hr))
            return hr;
        if (bSingle)
            m_pRelation->m_entries.clear();
        m_pRelation->m_entries.push_back({object, static_cast<DWORD>(GetObjectDatabase()->NextSequence())});
        if (pAdded != nullptr)
            pAdded->push_back(object);
    }
    CM_TRACE_RETURN_AS("S_OK", S_OK);
}

HRESULT pjGenericPropertyImpl::RemoveRelation(const cmLockToken& token, const pjObjectList& objects, DWORD* pRemoved)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_PJOBJ, "pjGenericPropertyImpl::RemoveRelation");
    if (!Writing(token))
        return E_INVALIDARG;
    if (!IsRelation())
        return E_UNEXPECTED;
    std::size_t removed = 0;
    auto& entries = m_pRelation->m_entries;
    for (const pjObjectRef& object : objects) {
        const auto end = std::remove_if(entries.begin(), entries.end(),
                                        [&](const pjRelationEntry& e) { return e.object.Get() == object.Get(); });
        removed += static_cast<std::size_t>(entries.end() - end);
        entries.erase(end, entries.end());
    }
    if (pRemoved != nullptr)
        *pRemoved = static_cast<DWORD>(removed);
    const HRESULT hr = (removed == objects.size()) ? S_OK : S_FALSE;
    CM_TRACE_RETURN(hr);
}

HRESULT pjGenericPropertyImpl::GetRelations(const cmLockToken& token, pjObjectRef& object) const
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_PJOBJ, "pjGenericPropertyImpl::GetRelations");
    object.Reset();
    if (!Reading(token))
        return E_INVALIDARG;
    if (!IsRelation() || (m_dwPropId & PJ_PROP_RELATION_SINGLE) == 0)
        return E_UNEXPECTED;
    if (m_pRelation->m_entries.empty())
        return E_FAIL;
    object = m_pRelation->m_entries.front().object;
    CM_TRACE_RETURN_AS("S_OK", S_OK);
}

HRESULT pjGenericPropertyImpl::GetRelations(const cmLockToken& token, pjObjectList& objects) const
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_PJOBJ, "pjGenericPropertyImpl::GetRelations");
    objects.clear();
    if (!Reading(token))
        return E_INVALIDARG;
    if (!IsRelation())
        return E_UNEXPECTED;
    objects.reserve(m_pRelation->m_entries.size());
    for (const pjRelationEntry& e : m_pRelation->m_entries)
        objects.push_back(e.object);
    CM_TRACE_RETURN_AS("S_OK", S_OK);
}

HRESULT pjGenericPropertyImpl::GetRelationEntries(const cmLockToken& token, std::vector<pjRelationEntry>& entries) const
{
    entries.clear();
    if (!Reading(token))
        return E_INVALIDARG;
    if (!IsRelation())
        return E_UNEXPECTED;
    entries = m_pRelation->m_entries;
    return S_OK;
}

HRESULT pjGenericPropertyImpl::GetPotentialRelations(const cmLockToken& token, pjObjectList& objects) const
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_PJOBJ, "pjGenericPropertyImpl::GetPotentialRelations");
    objects.clear();
    if (!Reading(token))
        return E_INVALIDARG;
    if (!IsRelation())
        return E_UNEXPECTED;
    pjObjectList candidates;
    GetObjectDatabase()->GetObjectsOfType(m_pRelation->m_szRelationType, candidates);
    for (pjObjectRef& candidate : candidates) {
        if (!m_pRelation->Contains(candidate.Get()))
            objects.push_back(std::move(candidate));
    }
    CM_TRACE_RETURN_AS("S_OK", S_OK);
}
