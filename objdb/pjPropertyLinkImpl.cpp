#include "objdb/pjPropertyLinkImpl.h"

#include "CustomCode/Common/cmComError.h"
#include "CustomCode/Common/cmDebugSubsystems.h"
#include "objdb/pjObjectDatabase.h"
#include "objdb/pjObjectImpl.h"
#include "objdb/pjPropertyIds.h"

#include <new>

HRESULT pjPropertyLink::CreateLink(cmRefPtr<pjPropertyLink>& rLink, pjObject* pSource, DWORD dwSourcePropId,
                                   pjObject* pTarget, DWORD dwTargetPropId)
{
    rLink.Reset();
    if (pSource == nullptr || pTarget == nullptr || pSource == pTarget)
        return E_INVALIDARG;
    try {
        rLink = cmRefPtr<pjPropertyLink>(new pjPropertyLinkImpl(pSource, dwSourcePropId, pTarget, dwTargetPropId));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const _com_error& e) {
        return e.Error();
    } catch (...) {
        return E_UNEXPECTED;
    }
    return S_OK;
}

pjPropertyLinkImpl::pjPropertyLinkImpl(pjObject* pSource, DWORD dwSourcePropId, pjObject* pTarget,
                                       DWORD dwTargetPropId)
    : m_pTarget(pTarget), m_dwSourcePropId(dwSourcePropId), m_pSource(pSource), m_dwTargetPropId(dwTargetPropId)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_PJOBJ, "pjPropertyLinkImpl::pjPropertyLinkImpl");
    const bool bRelations = pjIsRelationId(dwSourcePropId) && pjIsRelationId(dwTargetPropId);
    cmRaiseError(bRelations ? ClearTargetRelations() : CopyProperty());
    m_pProxy = cmRefPtr<pjCallbackProxy>(new pjCallbackProxy(static_cast<pjObjectEvents*>(this)));
    pjObjectDatabase* pDb = GetObjectDatabase();
    pDb->xRegisterForObjectChangeEvents(m_pProxy.Get(), m_pSource.Get());
    pDb->xRegisterForObjectChangeEvents(m_pProxy.Get(), m_pTarget.Get());
}

pjPropertyLinkImpl::~pjPropertyLinkImpl()
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_PJOBJ, "pjPropertyLinkImpl::~pjPropertyLinkImpl");
    if (m_pProxy) {
        pjObjectDatabase* pDb = GetObjectDatabase();
        pDb->UnregisterForObjectChangeEvents(m_pProxy.Get(), m_pSource.Get());
        pDb->UnregisterForObjectChangeEvents(m_pProxy.Get(), m_pTarget.Get());
        m_pProxy->Detach();
    }
    m_pSource.Reset();
    m_pTarget.Reset();
}

HRESULT pjPropertyLinkImpl::CopyProperty()
{
    VARIANT value;
    VariantInit(&value);
    HRESULT hr = pjObjectImpl::GetProperty(m_pSource.Get(), m_dwSourcePropId, &value);
    if (SUCCEEDED(hr))
        hr = pjObjectImpl::SetProperty(m_pTarget.Get(), m_dwTargetPropId, value);
    VariantClear(&value);
    return SUCCEEDED(hr) ? S_OK : E_FAIL;
}

HRESULT pjPropertyLinkImpl::ClearTargetRelations()
{
    pjObjectList related;
    if (FAILED(m_pTarget->GetRelations(m_dwTargetPropId, related)))
        return E_FAIL;
    for (const pjObjectRef& object : related)
        m_pTarget->RemoveRelation(m_dwTargetPropId, object.Get());
    return S_OK;
}

HRESULT pjPropertyLinkImpl::CopyRelations()
{
    pjObjectList related;
    HRESULT hr = m_pSource->GetRelations(m_dwSourcePropId, related);
    for (const pjObjectRef& object : related) {
        if (SUCCEEDED(hr))
            hr = m_pTarget->AddRelation(m_dwTargetPropId, object.Get());
    }
    return hr;
}

void pjPropertyLinkImpl::OnChangedProperty(pjObject* pObject, DWORD dwPropId, const VARIANT&)
{
    if (FromSource(pObject, dwPropId))
        CopyProperty();
}

void pjPropertyLinkImpl::OnAddRelation(pjObject* pObject, DWORD dwPropId, const pjObjectList& objects)
{
    if (FromSource(pObject, dwPropId))
        m_pTarget->AddRelations(m_dwTargetPropId, objects);
}

void pjPropertyLinkImpl::OnRemoveRelation(pjObject* pObject, DWORD dwPropId, const pjObjectList& objects)
{
    // Every object that left the source leaves the target.
    if (!FromSource(pObject, dwPropId))
        return;
    for (const pjObjectRef& object : objects)
        m_pTarget->RemoveRelation(m_dwTargetPropId, object.Get());
}
