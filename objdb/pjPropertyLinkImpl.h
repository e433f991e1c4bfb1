// pjPropertyLinkImpl: the link itself (see pjPropertyLink). It listens to
// the source and the target through one pjCallbackProxy, so events still
// queued when it goes reach nobody.
#pragma once

#include "objdb/pjCallbackProxy.h"
#include "objdb/pjObjectEvents.h"
#include "objdb/pjPropertyLink.h"

class pjPropertyLinkImpl : public pjPropertyLink, private pjObjectEvents {
public:
    // Takes both objects, brings the target in step and registers; a failure
    // of the first step is raised as _com_error.
    pjPropertyLinkImpl(pjObject* pSource, DWORD dwSourcePropId, pjObject* pTarget, DWORD dwTargetPropId);

    HRESULT CopyRelations() override;

protected:
    ~pjPropertyLinkImpl() override;

private:
    void OnChangedProperty(pjObject* pObject, DWORD dwPropId, const VARIANT& value) override;
    void OnAddRelation(pjObject* pObject, DWORD dwPropId, const pjObjectList& objects) override;
    void OnRemoveRelation(pjObject* pObject, DWORD dwPropId, const pjObjectList& objects) override;

    bool FromSource(pjObject* pObject, DWORD dwPropId) const
    {
        return pObject == m_pSource.Get() && dwPropId == m_dwSourcePropId;
    }
    HRESULT CopyProperty();
    HRESULT ClearTargetRelations();

    pjObjectRef m_pTarget;
    DWORD m_dwSourcePropId;
    pjObjectRef m_pSource;
    DWORD m_dwTargetPropId;
    cmRefPtr<pjCallbackProxy> m_pProxy;
};
