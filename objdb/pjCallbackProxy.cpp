#include "objdb/pjCallbackProxy.h"

pjCallbackProxy::pjCallbackProxy(pjObjectEvents* pTarget) : m_pTarget(pTarget) { InitializeCriticalSection(&m_guard); }

pjCallbackProxy::~pjCallbackProxy() { DeleteCriticalSection(&m_guard); }

template <class F>
void pjCallbackProxy::Forward(F f)
{
    EnterCriticalSection(&m_guard);
    if (m_pTarget != nullptr)
        f(m_pTarget);
    LeaveCriticalSection(&m_guard);
}

void pjCallbackProxy::Detach()
{
    EnterCriticalSection(&m_guard);
    m_pTarget = nullptr;
    LeaveCriticalSection(&m_guard);
}

void pjCallbackProxy::OnAddObject(pjObject* pObject)
{
    Forward([&](pjObjectEvents* t) { t->OnAddObject(pObject); });
}

void pjCallbackProxy::OnObjectsReplayed(DWORD dwValue)
{
    Forward([&](pjObjectEvents* t) { t->OnObjectsReplayed(dwValue); });
}

void pjCallbackProxy::OnRemoveObject(pjObject* pObject)
{
    Forward([&](pjObjectEvents* t) { t->OnRemoveObject(pObject); });
}

void pjCallbackProxy::OnChangedProperty(pjObject* pObject, DWORD dwPropId, const VARIANT& value)
{
    Forward([&](pjObjectEvents* t) { t->OnChangedProperty(pObject, dwPropId, value); });
}

void pjCallbackProxy::OnAddRelation(pjObject* pObject, DWORD dwPropId, const pjObjectList& objects)
{
    Forward([&](pjObjectEvents* t) { t->OnAddRelation(pObject, dwPropId, objects); });
}

void pjCallbackProxy::OnRemoveRelation(pjObject* pObject, DWORD dwPropId, const pjObjectList& objects)
{
    Forward([&](pjObjectEvents* t) { t->OnRemoveRelation(pObject, dwPropId, objects); });
}
