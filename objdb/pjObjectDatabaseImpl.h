// pjObjectDatabaseImpl: the one concrete object database. GetObjectDatabase()
// makes the program's; tests may make private ones, which work the same on
// their own indexes and listeners (objects report their changes to the
// program's database, whichever database indexes them).
//
// The thread that creates a database is its main thread: listeners run
// there only. A change made on that thread reaches the listeners at once;
// a change made on another thread is queued to it as an asynchronous call,
// which runs when the main thread services its queued calls: on the
// database's 200 ms timer (a thread timer, so only while the thread pumps
// messages) or in any alertable wait of that thread.
//
// The object lock guards the type index and the object index, the listener
// lock every list of listeners; no operation holds both, and listeners are
// called with neither held.
#pragma once

#include "CustomCode/Common/cmReaderWriterLock.h"
#include "CustomCode/Common/cmsTimer.h"
#include "objdb/pjObjectDatabaseStg.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

class pjListenerSnapshot;
class pjObjectScrubber;
struct pjApcRecord;
struct pjChangeRecord;

class pjObjectDatabaseImpl : public pjObjectDatabaseStg, public cmsTimer {
public:
    static constexpr UINT kTimerPeriodMs = 200;

    pjObjectDatabaseImpl();
    // Stops the timer, the enumerators it made and the scrubber, and lets go
    // of every object it indexes.
    ~pjObjectDatabaseImpl() override;

    HRESULT StartAllEnumerators() override;
    HRESULT StopAllEnumerators() override;
    HRESULT StartEnumerator(pjObjectFactory* pEnumerator) override;
    HRESULT StopEnumerator(pjObjectFactory* pEnumerator) override;

    void NotifyObjectChange(pjObject* pObject, DWORD dwKind, DWORD dwPropId, const pjObjectList& objects) override;
    void NotifyObjectChange(pjObject* pObject, DWORD dwKind, DWORD dwPropId, const VARIANT& value) override;
    void NotifyObjectChange(pjObject* pObject, DWORD dwKind) override;

    void AddNewObject(pjObject* pObject, LPCSTR szTypeName) override;
    bool ServicePJAPC(DWORD dwLimitMs) override { return ServicePJAPC(dwLimitMs, false); }
    // With bForce also when called from within a queued call.
    bool ServicePJAPC(DWORD dwLimitMs, bool bForce);
    HRESULT ReleaseMemory(DWORD dwFirst, DWORD dwSecond, bool bSynchronous) override;

    HRESULT RegisterForObjectChangeEvents(pjObjectEvents* pListener, LPCSTR szTypeName) override;
    HRESULT xRegisterForObjectChangeEvents(pjObjectEvents* pListener, pjObject* pObject) override;
    HRESULT UnregisterForObjectChangeEvents(pjObjectEvents* pListener, LPCSTR szTypeName) override;
    HRESULT UnregisterForObjectChangeEvents(pjObjectEvents* pListener, pjObject* pObject) override;

    HRESULT GetObjectByTimestamp(DWORD dwTimestamp, pjObjectRef& rObject) override;
    void GetObjectByID(pjObjectRef& rObject, const cmPacket& id) override;
    LONG NextSequence() override { return m_lSequence.fetch_add(1, std::memory_order_acq_rel) + 1; }

    // The main side of queued work: delivers a change or replays a registration.
    void ProcessAPC(pjApcRecord& record);

    DWORD GetMainThreadId() const { return m_dwMainThreadId; }
    bool IsMainThread() const;
    pjObjectScrubber& GetScrubber() { return *m_pScrubber; }
    // The number of objects in the object index.
    std::size_t ObjectCount();

protected:
    void OnTimer(HWND hWnd, UINT uMsg, UINT_PTR idEvent, DWORD dwTime) override;

private:
    friend class pjObjectScrubber;

    struct Enumerator {
        pjObjectFactory* pFactory;
        bool bOwned;  // made by StartAllEnumerators, deleted when stopped
    };

    // --- change events
    void Notify(pjObject* pObject, DWORD dwKind, DWORD dwPropId, const VARIANT* pValue, const pjObjectList* pObjects);
    // Copies the listeners of a change; returns the unregistration count
    // seen while copying.
    std::uint64_t SnapshotListeners(pjObject* pObject, pjListenerSnapshot& listeners);
    void MainThreadProcessChange(pjObject* pObject, DWORD dwKind, DWORD dwPropId, const VARIANT& value,
                                 const pjObjectList& objects, const pjListenerSnapshot& listeners, std::uint64_t epoch);
    void iNotifyAListener(pjObjectEvents* pListener, pjObject* pObject, DWORD dwKind, DWORD dwPropId,
                          const VARIANT& value, const pjObjectList& objects);
    // Whether a listener of a snapshot may still be called: nothing was
    // unregistered since, or it is still registered somewhere.
    bool StillRegistered(pjObjectEvents* pListener, std::uint64_t epoch);
    // Hands the record to the main thread; false (and the record is freed)
    // when it cannot be queued.
    bool QueueToMainThread(pjApcRecord* pRecord);
    static void ApcRoutine(std::uintptr_t dwData);

    // --- registration
    // Objects with a timestamp below a newly drawn number: of the type, one
    // object, or all (null name and object).
    pjObjectList CollectObjects(const cmString* pTypeName, pjObject* pObject, LONG& lBelow);
    void Replay(pjObjectEvents* pListener, pjObjectList objects);
    void ReplayOnMainThread(pjObjectEvents* pListener, const pjObjectList& objects, std::uint64_t epoch);
    void SendCurrentRelations(pjObject* pObject, LONG lBelow);
    void Unregistered(pjObjectEvents* pListener, std::size_t nRemoved);

    // --- object index
    // Erases the object from the object index and gives back its count; the
    // object lock is held by the caller.
    void EraseFromObjectIndex(std::map<pjObject*, DWORD>::iterator it);

    std::atomic<LONG> m_lSequence{0};
    // Every indexed object with its timestamp (each entry holds a count),
    // and the same by timestamp.
    std::map<pjObject*, DWORD> m_objectIndex;
    std::map<DWORD, pjObject*> m_byTimestamp;
    const DWORD m_dwMainThreadId;
    HANDLE m_hMainThread = nullptr;

    cmReaderWriterLock m_listenerLock;
    std::unique_ptr<std::vector<pjObjectEvents*>> m_pAllListeners;
    std::map<cmString, std::vector<pjObjectEvents*>> m_typeListeners;
    std::atomic<std::size_t> m_nTypeListeners{0};
    // How many lists each listener is in; the count of unregistrations.
    std::unordered_map<pjObjectEvents*, std::size_t> m_registrations;
    std::atomic<std::uint64_t> m_qwUnregistrations{0};

    std::mutex m_enumeratorGuard;
    std::vector<Enumerator> m_enumerators;

    std::unique_ptr<pjObjectScrubber> m_pScrubber;
};
