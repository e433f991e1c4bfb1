// pjObjectFactory: the abstract source of database objects. Concrete ones are
// made by factories registered under the default key (that of this class)
// and are found there by name. A factory that the database starts as an
// enumerator also finds its objects by key, and is told when to start and
// stop; an owner is asked to let go of objects the scrubber wants gone.
#pragma once

#include "CustomCode/Common/cmPacket.h"
#include "objdb/pjObject.h"
#include "platform/kernel32/WinError.h"

class pjObjectDatabase;

class pjObjectFactory {
public:
    pjObjectFactory() = default;
    pjObjectFactory(const pjObjectFactory&) = delete;
    pjObjectFactory& operator=(const pjObjectFactory&) = delete;
    virtual ~pjObjectFactory() = default;

    // A type name, optionally followed by a colon and more text.
    virtual cmString GetName() = 0;
    // The factory's identity, the second half of its objects' ids; empty here.
    virtual HRESULT GetIdentity(cmPacket& identity);
    // A new database object owned by this factory.
    virtual HRESULT CreateNewObject(pjObjectRef& rObject) = 0;
    // The scrubber asks the owner of an object marked for removal that is
    // still referenced elsewhere to release it (dwTag is the scrub request's
    // tag). Nothing here. Called with the database's object lock held: it
    // must not wait for the database.
    virtual void ReleaseRequest(DWORD dwTag, pjObject* pObject);
    // The object with that key, or an empty reference (E_NOTIMPL here).
    virtual HRESULT FindObjectByKey(const cmPacket& key, pjObjectRef& rObject);
    // Enumerator start and stop; nothing to do here.
    virtual HRESULT Start(pjObjectDatabase* pDatabase);
    virtual HRESULT Stop();

    // A new factory made by the first factory of the default list whose name
    // equals szName (case-sensitive), or null. The caller owns it.
    static pjObjectFactory* GetFactoryByName(LPCSTR szName);

    // Empties rObject, then fills it with a new object of the named factory.
    // One factory per registered kind serves all such calls and lives as long
    // as the database, so the objects' owner pointers never dangle.
    static void CreateObjectByFactoryName(LPCSTR szName, pjObjectRef& rObject);
};
