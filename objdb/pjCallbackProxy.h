// pjCallbackProxy: a counted listener that forwards change events to a real
// listener until that one detaches. A listener that may go away while its
// events are still being delivered registers through a proxy and detaches
// it before it goes: a detached proxy forwards nothing, and a call being
// forwarded finishes before the detach returns.
#pragma once

#include "CustomCode/Common/cmRefCountEx.h"
#include "objdb/pjObjectEvents.h"
#include "platform/kernel32/CriticalSection.h"

class pjCallbackProxy : public pjObjectEvents, public cmRefCountEx {
public:
    explicit pjCallbackProxy(pjObjectEvents* pTarget);

    // From now on nothing is forwarded.
    void Detach();

    void OnAddObject(pjObject* pObject) override;
    void OnObjectsReplayed(DWORD dwValue) override;
    void OnRemoveObject(pjObject* pObject) override;
    void OnChangedProperty(pjObject* pObject, DWORD dwPropId, const VARIANT& value) override;
    void OnAddRelation(pjObject* pObject, DWORD dwPropId, const pjObjectList& objects) override;
    void OnRemoveRelation(pjObject* pObject, DWORD dwPropId, const pjObjectList& objects) override;

protected:
    ~pjCallbackProxy() override;

private:
    // Runs f(target) inside the section when a target is attached.
    template <class F>
    void Forward(F f);

    CRITICAL_SECTION m_guard{};
    pjObjectEvents* m_pTarget;
};
