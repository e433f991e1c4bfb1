#include "objdb/pjObjectDatabaseImpl.h"

#include "CustomCode/Common/cmDebugSubsystems.h"
#include "objdb/pjFactoryHelper.h"
#include "objdb/pjObjectFactory.h"
#include "objdb/pjObjectScrubber.h"
#include "platform/kernel32/Event.h"
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/ProcessIds.h"
#include "platform/kernel32/ThreadHandle.h"
#include "platform/kernel32/TickCount.h"
#include "platform/kernel32/Wait.h"

namespace {

// How deep the servicing of queued calls is nested in this process: a call
// from within a queued call finds it above 1 and does nothing.
std::atomic<LONG> g_lServiceNesting{0};

}  // namespace

pjObjectDatabaseImpl::pjObjectDatabaseImpl() : m_dwMainThreadId(GetCurrentThreadId())
{
    // The target of every queued call: a real handle of this thread.
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &m_hMainThread, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    m_pScrubber = std::make_unique<pjObjectScrubber>(*this);
    StartTimer(kTimerPeriodMs);
}

pjObjectDatabaseImpl::~pjObjectDatabaseImpl()
{
    StopTimer();
    // Calls queued to the main thread name this database: they run now.
    if (IsMainThread())
        ServicePJAPC(0xFFFFFFFFu, true);
    StopAllEnumerators();
    m_pScrubber.reset();
    for (auto& [pObject, stamp] : m_objectIndex)
        pObject->Release();
    if (m_hMainThread != nullptr)
        CloseHandle(m_hMainThread);
}

bool pjObjectDatabaseImpl::IsMainThread() const { return GetCurrentThreadId() == m_dwMainThreadId; }

void pjObjectDatabaseImpl::OnTimer(HWND, UINT, UINT_PTR, DWORD) { ServicePJAPC(0xFFFFFFFFu); }

bool pjObjectDatabaseImpl::ServicePJAPC(DWORD dwLimitMs, bool bForce)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_PJOBJ, "pjObjectDatabase::ServicePJAPC");
    bool bRan = false;
    if (g_lServiceNesting.fetch_add(1) + 1 == 1 || bForce) {
        // An event nobody signals: the waits on it only let the queued calls run.
        HANDLE hNever = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        const DWORD dwStart = GetTickCount();
        while (WaitForSingleObjectEx(hNever, 0, TRUE) == WAIT_IO_COMPLETION) {
            bRan = true;
            if (GetTickCount() - dwStart > dwLimitMs)
                break;
        }
        CloseHandle(hNever);
    }
    g_lServiceNesting.fetch_sub(1);
    CM_TRACE_RETURN(bRan);
}

void pjObjectDatabaseImpl::AddNewObject(pjObject* pObject, LPCSTR szTypeName)
{
    if (pObject == nullptr)
        return;
    const cmString szType = (szTypeName != nullptr) ? cmString(szTypeName) : pObject->GetAsciiType();
    {
        cmLockToken token = m_objectLock.LockExclusive();
        const DWORD stamp = static_cast<DWORD>(NextSequence());
        if (m_objectIndex.emplace(pObject, stamp).second) {
            pObject->AddRef();
            m_byTimestamp.emplace(stamp, pObject);
        }
        if (m_typeIndex[szType].emplace(pObject, stamp).second)
            pObject->AddRef();
    }
    NotifyObjectChange(pObject, PJ_CHANGE_ADD_OBJECT);
}

void pjObjectDatabaseImpl::EraseFromObjectIndex(std::map<pjObject*, DWORD>::iterator it)
{
    m_byTimestamp.erase(it->second);
    pjObject* pObject = it->first;
    m_objectIndex.erase(it);
    pObject->Release();
}

std::size_t pjObjectDatabaseImpl::ObjectCount()
{
    cmLockToken token = m_objectLock.LockShared();
    return m_objectIndex.size();
}

HRESULT pjObjectDatabaseImpl::GetObjectByTimestamp(DWORD dwTimestamp, pjObjectRef& rObject)
{
    rObject.Reset();
    cmLockToken token = m_objectLock.LockShared();
    const auto it = m_byTimestamp.find(dwTimestamp);
    if (it == m_byTimestamp.end())
        return E_INVALIDARG;
    rObject = pjObjectRef(it->second);
    return S_OK;
}

void pjObjectDatabaseImpl::GetObjectByID(pjObjectRef& rObject, const cmPacket& id)
{
    rObject.Reset();
    cmPacket copy(id.GetData(), id.GetSize());
    cmPacket key, identity;
    if (FAILED(copy.ReadPacket(key)) || FAILED(copy.ReadPacket(identity)))
        return;
    std::vector<pjObjectFactory*> active;
    {
        std::lock_guard<std::mutex> g(m_enumeratorGuard);
        for (const Enumerator& e : m_enumerators)
            active.push_back(e.pFactory);
    }
    for (pjObjectFactory* pEnumerator : active) {
        cmPacket theirs;
        if (SUCCEEDED(pEnumerator->GetIdentity(theirs)) && theirs == identity) {
            pEnumerator->FindObjectByKey(key, rObject);
            return;
        }
    }
}

HRESULT pjObjectDatabaseImpl::StartEnumerator(pjObjectFactory* pEnumerator)
{
    if (pEnumerator == nullptr)
        return E_POINTER;
    {
        std::lock_guard<std::mutex> g(m_enumeratorGuard);
        m_enumerators.push_back({pEnumerator, false});
    }
    return pEnumerator->Start(this);
}

HRESULT pjObjectDatabaseImpl::StopEnumerator(pjObjectFactory* pEnumerator)
{
    bool bOwned = false;
    {
        std::lock_guard<std::mutex> g(m_enumeratorGuard);
        auto it = m_enumerators.begin();
        while (it != m_enumerators.end() && it->pFactory != pEnumerator)
            ++it;
        if (it == m_enumerators.end())
            return S_OK;
        bOwned = it->bOwned;
        m_enumerators.erase(it);
    }
    const HRESULT hr = pEnumerator->Stop();
    if (bOwned)
        delete pEnumerator;
    return hr;
}

HRESULT pjObjectDatabaseImpl::StartAllEnumerators()
{
    const pjFactoryList* pList = PeekFactories(nullptr);
    if (pList == nullptr)
        return S_OK;
    for (pjFactoryHelper* pHelper : *pList) {
        auto* pEnumerator = static_cast<pjObjectFactory*>(pHelper->CreateObject());
        if (pEnumerator == nullptr)
            continue;
        {
            std::lock_guard<std::mutex> g(m_enumeratorGuard);
            m_enumerators.push_back({pEnumerator, true});
        }
        pEnumerator->Start(this);
    }
    return S_OK;
}

HRESULT pjObjectDatabaseImpl::StopAllEnumerators()
{
    for (;;) {
        pjObjectFactory* pFirst = nullptr;
        {
            std::lock_guard<std::mutex> g(m_enumeratorGuard);
            if (m_enumerators.empty())
                return S_OK;
            pFirst = m_enumerators.front().pFactory;
        }
        StopEnumerator(pFirst);
    }
}

HRESULT pjObjectDatabaseImpl::ReleaseMemory(DWORD dwFirst, DWORD dwSecond, bool bSynchronous)
{
    const SCRUBBER_INFO info{dwFirst, dwSecond};
    if (bSynchronous)
        m_pScrubber->Scrub(info);
    else
        m_pScrubber->Enqueue(info);
    return S_OK;
}
