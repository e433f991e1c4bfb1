// pjObjectDatabase: the process-wide object database, an in-memory registry
// of reference-counted objects (pjObject) indexed by type name and by
// timestamp (a number of the database's one sequence counter), that tells
// registered listeners (pjObjectEvents) of every change on the main thread
// and drives enumerators (pjObjectFactory). This interface also holds the
// factory registry: for every type key, the factories registered under it in
// registration order. The registry never owns a factory.
//
// GetObjectDatabase() gives the singleton and creates it on first use; the
// first factory registration, during static initialisation, is that first
// use, so the database belongs to the main thread. Any thread may add
// objects, report changes and register listeners; listeners are called on
// the main thread only, from the database's timer (every 200 ms while that
// thread pumps messages) for changes made on other threads.
#pragma once

#include "CustomCode/Common/cmPacket.h"
#include "CustomCode/Common/cmString.h"
#include "objdb/pjObject.h"
#include "platform/kernel32/WinTypes.h"
#include "platform/ole/Variant.h"

#include <list>
#include <map>
#include <memory>
#include <mutex>

class pjFactoryHelper;
class pjObjectEvents;
class pjObjectFactory;

// Change kinds of NotifyObjectChange.
constexpr DWORD PJ_CHANGE_ADD_OBJECT = 0;
constexpr DWORD PJ_CHANGE_NONE = 1;
constexpr DWORD PJ_CHANGE_REMOVE_OBJECT = 2;
constexpr DWORD PJ_CHANGE_PROPERTY = 3;
constexpr DWORD PJ_CHANGE_ADD_RELATION = 4;
constexpr DWORD PJ_CHANGE_REMOVE_RELATION = 5;
// Any kind with one of these bits is a database-wide event (OnObjectsReplayed(0)).
constexpr DWORD PJ_CHANGE_DATABASE_MASK = 0xF000;

using pjFactoryList = std::list<pjFactoryHelper*>;
// A place in one key's list; stays valid while factories are only appended.
using pjFactoryPosition = pjFactoryList::iterator;

class pjObjectDatabase {
public:
    pjObjectDatabase(const pjObjectDatabase&) = delete;
    pjObjectDatabase& operator=(const pjObjectDatabase&) = delete;
    virtual ~pjObjectDatabase();

    // Enumerators: the factories of the default list, each made into an
    // enumerator the database keeps and starts; stopping them all (and
    // deleting those the database made). StartEnumerator appends e to the
    // active list and starts it; StopEnumerator takes the first entry equal
    // to e out of the list and stops it (an inactive one is ignored).
    virtual HRESULT StartAllEnumerators() = 0;
    virtual HRESULT StopAllEnumerators() = 0;
    virtual HRESULT StartEnumerator(pjObjectFactory* pEnumerator) = 0;
    virtual HRESULT StopEnumerator(pjObjectFactory* pEnumerator) = 0;

    // A change of the object: on the main thread the listeners are called at
    // once, from other threads the change is queued to the main thread and
    // the call returns. Listeners for all objects first, then those for the
    // object's type, then the object's own.
    virtual void NotifyObjectChange(pjObject* pObject, DWORD dwKind, DWORD dwPropId, const pjObjectList& objects) = 0;
    virtual void NotifyObjectChange(pjObject* pObject, DWORD dwKind, DWORD dwPropId, const VARIANT& value) = 0;
    virtual void NotifyObjectChange(pjObject* pObject, DWORD dwKind) = 0;

    // Indexes the object under the type name (its own when null) with a new
    // timestamp, then reports it (kind 0). Nothing for a null object.
    virtual void AddNewObject(pjObject* pObject, LPCSTR szTypeName) = 0;
    // Runs the calls queued to the calling thread until none is left or more
    // than dwLimitMs passed; true when any ran. A call from within a queued
    // call does nothing (unless forced).
    virtual bool ServicePJAPC(DWORD dwLimitMs) = 0;
    // A scrub with the tag dwFirst: at once on this thread, or queued to the
    // scrubber's thread.
    virtual HRESULT ReleaseMemory(DWORD dwFirst, DWORD dwSecond, bool bSynchronous) = 0;

    // Listeners. Registration replays the objects that exist (OnAddObject
    // each, then OnObjectsReplayed(0)) on the main thread. The object form
    // registers for one object, or for all objects with null. Unregistration
    // removes every registration of the listener in that list; a change
    // already queued is not delivered to a listener unregistered by then.
    virtual HRESULT RegisterForObjectChangeEvents(pjObjectEvents* pListener, LPCSTR szTypeName) = 0;
    virtual HRESULT xRegisterForObjectChangeEvents(pjObjectEvents* pListener, pjObject* pObject) = 0;
    virtual HRESULT UnregisterForObjectChangeEvents(pjObjectEvents* pListener, LPCSTR szTypeName) = 0;
    virtual HRESULT UnregisterForObjectChangeEvents(pjObjectEvents* pListener, pjObject* pObject) = 0;

    // Lookups: by timestamp (E_INVALIDARG when none), by id through the
    // active enumerators (empty when none has it), and every object of a
    // type name.
    virtual HRESULT GetObjectByTimestamp(DWORD dwTimestamp, pjObjectRef& rObject) = 0;
    virtual void GetObjectByID(pjObjectRef& rObject, const cmPacket& id) = 0;
    virtual HRESULT GetObjectsOfType(const cmString& szTypeName, pjObjectList& objects) = 0;
    // Takes the object out of its type's set (see pjObjectImpl::RemoveFromObjectDatabase).
    virtual HRESULT RemoveObjectFromType(pjObject* pObject, const cmString& szTypeName) = 0;
    // The next number of the sequence counter.
    virtual LONG NextSequence() = 0;

    // The whole database as a file (never overwriting one), and objects
    // rebuilt from such a file through their owners' factories.
    virtual HRESULT SaveDatabaseToFile(LPCSTR szFileName) = 0;
    virtual HRESULT LoadDatabaseFromFile(LPCSTR szFileName) = 0;

    // The first factory of the key's list, and one past its last. A null key
    // is the default key (that of pjObjectFactory). An unknown key is entered
    // with an empty list, so begin equals end.
    virtual pjFactoryPosition FactoriesBegin(LPCSTR szTypeKey);
    virtual pjFactoryPosition FactoriesEnd(LPCSTR szTypeKey);
    // The first factory of the key's list whose name equals szName exactly
    // (case-sensitive), or the end position.
    virtual pjFactoryPosition FindFactory(LPCSTR szTypeKey, LPCSTR szName);

    // The key's list without entering the key: null when the key is unknown.
    const pjFactoryList* PeekFactories(LPCSTR szTypeKey) const;

    // Registration, used by pjFactoryHelper::RegisterFactory only.
    void AppendFactory(const cmString& typeKey, pjFactoryHelper* pFactory);

    // The one factory that pHelper made for CreateObjectByFactoryName, made on
    // first use and kept for the life of the database; null if it made none.
    pjObjectFactory* SharedFactory(pjFactoryHelper* pHelper);

    // The type key that stands for a null key.
    static const cmString& DefaultTypeKey();

protected:
    pjObjectDatabase();

private:
    pjFactoryList& ListFor(LPCSTR szTypeKey);

    // Guards the two maps (a lookup of an unknown key enters it; loads may
    // run on any thread). Lists are only appended to, at start-up.
    mutable std::mutex m_registryGuard;
    std::map<cmString, pjFactoryList> m_factories;
    std::map<pjFactoryHelper*, std::unique_ptr<pjObjectFactory>> m_sharedFactories;
};

pjObjectDatabase* GetObjectDatabase();
