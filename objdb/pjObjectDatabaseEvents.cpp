// pjObjectDatabaseImpl: change events and listener registration.
#include "objdb/pjObjectDatabaseImpl.h"

#include "CustomCode/Common/cmDebugSubsystems.h"
#include "objdb/pjChangeRecord.h"
#include "objdb/pjCrashFilter.h"
#include "objdb/pjGenericPropertyImpl.h"
#include "objdb/pjObjectEvents.h"
#include "objdb/pjPropertyBlock.h"
#include "platform/kernel32/Apc.h"

#include <algorithm>
#include <memory>

namespace {

std::size_t RemoveAll(std::vector<pjObjectEvents*>& list, pjObjectEvents* pListener)
{
    const auto end = std::remove(list.begin(), list.end(), pListener);
    const auto n = static_cast<std::size_t>(list.end() - end);
    list.erase(end, list.end());
    return n;
}

VARIANT EmptyValue()
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = 0;
    return v;
}

}  // namespace

// ------------------------------------------------------------------ changes

void pjObjectDatabaseImpl::NotifyObjectChange(pjObject* pObject, DWORD dwKind, DWORD dwPropId,
                                              const pjObjectList& objects)
{
    Notify(pObject, dwKind, dwPropId, nullptr, &objects);
}

void pjObjectDatabaseImpl::NotifyObjectChange(pjObject* pObject, DWORD dwKind, DWORD dwPropId, const VARIANT& value)
{
    Notify(pObject, dwKind, dwPropId, &value, nullptr);
}

void pjObjectDatabaseImpl::NotifyObjectChange(pjObject* pObject, DWORD dwKind)
{
    Notify(pObject, dwKind, 0, nullptr, nullptr);
}

std::uint64_t pjObjectDatabaseImpl::SnapshotListeners(pjObject* pObject, pjListenerSnapshot& listeners)
{
    // The type name is asked for (outside the lock: it is the object's own
    // code) only when some listener waits for a type.
    cmString szType;
    const bool bTyped = m_nTypeListeners.load(std::memory_order_acquire) != 0;
    if (bTyped)
        szType = pObject->GetAsciiType();
    cmLockToken token = m_listenerLock.LockShared();
    if (m_pAllListeners)
        listeners.Append(*m_pAllListeners);
    if (bTyped) {
        const auto it = m_typeListeners.find(szType);
        if (it != m_typeListeners.end())
            listeners.Append(it->second);
    }
    if (const std::vector<pjObjectEvents*>* pOwn = pObject->m_pBlock->Listeners())
        listeners.Append(*pOwn);
    return m_qwUnregistrations.load(std::memory_order_acquire);
}

void pjObjectDatabaseImpl::Notify(pjObject* pObject, DWORD dwKind, DWORD dwPropId, const VARIANT* pValue,
                                  const pjObjectList* pObjects)
{
    if (pObject == nullptr)
        return;
    if (IsMainThread()) {
        pjListenerSnapshot listeners;
        const std::uint64_t epoch = SnapshotListeners(pObject, listeners);
        NextSequence();
        if (listeners.empty())
            return;
        static const VARIANT s_empty = EmptyValue();
        static const pjObjectList s_none;
        MainThreadProcessChange(pObject, dwKind, dwPropId, pValue != nullptr ? *pValue : s_empty,
                                pObjects != nullptr ? *pObjects : s_none, listeners, epoch);
        return;
    }
    auto pRecord = std::make_unique<pjChangeRecord>(this, 0);
    pRecord->qwEpoch = SnapshotListeners(pObject, pRecord->listeners);
    pRecord->lStamp = NextSequence();
    if (pRecord->listeners.empty())
        return;  // nobody to tell
    pRecord->object = pjObjectRef(pObject);
    pRecord->dwKind = dwKind;
    pRecord->dwPropId = dwPropId;
    if (pObjects != nullptr)
        pRecord->objects = *pObjects;
    if (pValue != nullptr)
        VariantCopy(&pRecord->value, pValue);
    else
        pRecord->value = EmptyValue();
    QueueToMainThread(pRecord.release());
}

void pjObjectDatabaseImpl::MainThreadProcessChange(pjObject* pObject, DWORD dwKind, DWORD dwPropId,
                                                   const VARIANT& value, const pjObjectList& objects,
                                                   const pjListenerSnapshot& listeners, std::uint64_t epoch)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_PJOBJ, "pjObjectDatabaseImpl::iMainThreadProcessChange");
    if (pObject == nullptr)
        return;
    // A listener that faults leaves a minidump, is reported through the
    // extension library and ends the process (status 13).
    pjCrashFilter crashFilter;
    for (std::size_t i = 0; i < listeners.size(); ++i) {
        if (StillRegistered(listeners[i], epoch))
            iNotifyAListener(listeners[i], pObject, dwKind, dwPropId, value, objects);
    }
}

void pjObjectDatabaseImpl::iNotifyAListener(pjObjectEvents* pListener, pjObject* pObject, DWORD dwKind,
                                            DWORD dwPropId, const VARIANT& value, const pjObjectList& objects)
{
    if ((dwKind & PJ_CHANGE_DATABASE_MASK) != 0) {
        pListener->OnObjectsReplayed(0);
        return;
    }
    switch (dwKind) {
    case PJ_CHANGE_ADD_OBJECT: pListener->OnAddObject(pObject); break;
    case PJ_CHANGE_REMOVE_OBJECT: pListener->OnRemoveObject(pObject); break;
    case PJ_CHANGE_PROPERTY: pListener->OnChangedProperty(pObject, dwPropId, value); break;
    case PJ_CHANGE_ADD_RELATION: pListener->OnAddRelation(pObject, dwPropId, objects); break;
    case PJ_CHANGE_REMOVE_RELATION: pListener->OnRemoveRelation(pObject, dwPropId, objects); break;
    default: break;
    }
}

bool pjObjectDatabaseImpl::StillRegistered(pjObjectEvents* pListener, std::uint64_t epoch)
{
    if (m_qwUnregistrations.load(std::memory_order_acquire) == epoch)
        return true;
    cmLockToken token = m_listenerLock.LockShared();
    return m_registrations.find(pListener) != m_registrations.end();
}

bool pjObjectDatabaseImpl::QueueToMainThread(pjApcRecord* pRecord)
{
    if (QueueUserAPC(&pjObjectDatabaseImpl::ApcRoutine, m_hMainThread, reinterpret_cast<ULONG_PTR>(pRecord)) != 0)
        return true;
    delete pRecord;  // the main thread is gone: nobody would run it
    return false;
}

void pjObjectDatabaseImpl::ApcRoutine(std::uintptr_t dwData)
{
    std::unique_ptr<pjApcRecord> pRecord(reinterpret_cast<pjApcRecord*>(dwData));
    pRecord->pDatabase->ProcessAPC(*pRecord);
}

void pjObjectDatabaseImpl::ProcessAPC(pjApcRecord& record)
{
    if (record.eKind == pjApcRecord::kChange) {
        auto& change = static_cast<pjChangeRecord&>(record);
        MainThreadProcessChange(change.object.Get(), change.dwKind, change.dwPropId, change.value, change.objects,
                                change.listeners, change.qwEpoch);
    } else if (record.eKind == pjApcRecord::kRegistration) {
        auto& registration = static_cast<pjRegistrationRecord&>(record);
        ReplayOnMainThread(registration.pListener, registration.objects, registration.qwEpoch);
    }
}

// ------------------------------------------------------------- registration

pjObjectList pjObjectDatabaseImpl::CollectObjects(const cmString* pTypeName, pjObject* pObject, LONG& lBelow)
{
    // Read under the object lock: another thread may be adding objects.
    std::vector<std::pair<DWORD, pjObject*>> found;
    {
        cmLockToken token = m_objectLock.LockShared();
        lBelow = NextSequence();
        const auto below = [lBelow](DWORD stamp) { return static_cast<LONG>(stamp) < lBelow; };
        if (pTypeName != nullptr) {
            const auto it = m_typeIndex.find(*pTypeName);
            if (it != m_typeIndex.end()) {
                for (const auto& [p, stamp] : it->second) {
                    if (below(stamp))
                        found.emplace_back(stamp, p);
                }
            }
        } else if (pObject != nullptr) {
            const auto it = m_objectIndex.find(pObject);
            if (it != m_objectIndex.end() && below(it->second))
                found.emplace_back(it->second, pObject);
        } else {
            for (const auto& [stamp, p] : m_byTimestamp) {
                if (below(stamp))
                    found.emplace_back(stamp, p);
            }
        }
        std::sort(found.begin(), found.end());
        pjObjectList objects;
        objects.reserve(found.size());
        for (const auto& [stamp, p] : found)
            objects.emplace_back(p);
        return objects;
    }
}

void pjObjectDatabaseImpl::ReplayOnMainThread(pjObjectEvents* pListener, const pjObjectList& objects,
                                              std::uint64_t epoch)
{
    for (const pjObjectRef& object : objects) {
        if (!StillRegistered(pListener, epoch))
            return;
        pListener->OnAddObject(object.Get());
    }
    if (StillRegistered(pListener, epoch))
        pListener->OnObjectsReplayed(0);
}

void pjObjectDatabaseImpl::Replay(pjObjectEvents* pListener, pjObjectList objects)
{
    if (objects.empty())
        return;
    const std::uint64_t epoch = m_qwUnregistrations.load(std::memory_order_acquire);
    if (IsMainThread()) {
        ReplayOnMainThread(pListener, objects, epoch);
        return;
    }
    auto* pRecord = new pjRegistrationRecord(this, epoch);
    pRecord->pListener = pListener;
    pRecord->objects = std::move(objects);
    QueueToMainThread(pRecord);
}

HRESULT pjObjectDatabaseImpl::RegisterForObjectChangeEvents(pjObjectEvents* pListener, LPCSTR szTypeName)
{
    if (pListener == nullptr)
        return E_POINTER;
    const cmString szType(szTypeName);
    {
        cmLockToken token = m_listenerLock.LockExclusive();
        std::vector<pjObjectEvents*>& list = m_typeListeners[szType];
        if (list.empty())
            m_nTypeListeners.fetch_add(1, std::memory_order_acq_rel);
        list.push_back(pListener);
        ++m_registrations[pListener];
    }
    LONG lBelow = 0;
    Replay(pListener, CollectObjects(&szType, nullptr, lBelow));
    return S_OK;
}

HRESULT pjObjectDatabaseImpl::xRegisterForObjectChangeEvents(pjObjectEvents* pListener, pjObject* pObject)
{
    if (pListener == nullptr)
        return E_POINTER;
    {
        cmLockToken token = m_listenerLock.LockExclusive();
        if (pObject != nullptr) {
            pObject->m_pBlock->EnsureListeners().push_back(pListener);
        } else {
            if (!m_pAllListeners)
                m_pAllListeners = std::make_unique<std::vector<pjObjectEvents*>>();
            m_pAllListeners->push_back(pListener);
        }
        ++m_registrations[pListener];
    }
    LONG lBelow = 0;
    Replay(pListener, CollectObjects(nullptr, pObject, lBelow));
    if (pObject != nullptr && (pObject->GetStateFlags() & PJ_STATE_NO_NOTIFY) == 0)
        SendCurrentRelations(pObject, lBelow);
    return S_OK;
}

void pjObjectDatabaseImpl::SendCurrentRelations(pjObject* pObject, LONG lBelow)
{
    if (!pObject->HasRelations())
        return;
    std::vector<DWORD> ids;
    pObject->GetPropertyIds(ids);
    for (DWORD id : ids) {
        pjObjectList older;
        {
            cmLockToken token = pObject->GetLock().LockShared();
            pjGenericPropertyImpl* pHolder = pObject->Find(id);
            std::vector<pjRelationEntry> entries;
            if (pHolder == nullptr || FAILED(pHolder->GetRelationEntries(token, entries)))
                continue;
            for (const pjRelationEntry& e : entries) {
                if (static_cast<LONG>(e.dwTimestamp) < lBelow)
                    older.push_back(e.object);
            }
        }
        if (!older.empty())
            NotifyObjectChange(pObject, PJ_CHANGE_ADD_RELATION, id, older);
    }
}

void pjObjectDatabaseImpl::Unregistered(pjObjectEvents* pListener, std::size_t nRemoved)
{
    if (nRemoved == 0)
        return;
    const auto it = m_registrations.find(pListener);
    if (it != m_registrations.end()) {
        it->second = (it->second > nRemoved) ? it->second - nRemoved : 0;
        if (it->second == 0)
            m_registrations.erase(it);
    }
    m_qwUnregistrations.fetch_add(1, std::memory_order_acq_rel);
}

HRESULT pjObjectDatabaseImpl::UnregisterForObjectChangeEvents(pjObjectEvents* pListener, LPCSTR szTypeName)
{
    cmLockToken token = m_listenerLock.LockExclusive();
    const auto it = m_typeListeners.find(cmString(szTypeName));
    if (it == m_typeListeners.end())
        return S_OK;
    Unregistered(pListener, RemoveAll(it->second, pListener));
    if (it->second.empty()) {
        m_typeListeners.erase(it);
        m_nTypeListeners.fetch_sub(1, std::memory_order_acq_rel);
    }
    return S_OK;
}

HRESULT pjObjectDatabaseImpl::UnregisterForObjectChangeEvents(pjObjectEvents* pListener, pjObject* pObject)
{
    cmLockToken token = m_listenerLock.LockExclusive();
    std::vector<pjObjectEvents*>* pList =
        (pObject != nullptr) ? pObject->m_pBlock->Listeners() : m_pAllListeners.get();
    if (pList != nullptr)
        Unregistered(pListener, RemoveAll(*pList, pListener));
    return S_OK;
}
