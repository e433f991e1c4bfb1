// pjObjectFactory: the abstract source of database objects. Concrete ones are
// made by factories registered under the default key (that of this class)
// and are found there by name.
#pragma once

#include "objdb/pjObject.h"
#include "platform/kernel32/WinError.h"

class pjObjectFactory {
public:
    pjObjectFactory() = default;
    pjObjectFactory(const pjObjectFactory&) = delete;
    pjObjectFactory& operator=(const pjObjectFactory&) = delete;
    virtual ~pjObjectFactory() = default;

    // A type name, optionally followed by a colon and more text.
    virtual cmString GetName() = 0;
    // A new database object owned by this factory.
    virtual HRESULT CreateNewObject(pjObjectRef& rObject) = 0;

    // A new factory made by the first factory of the default list whose name
    // equals szName (case-sensitive), or null. The caller owns it.
    static pjObjectFactory* GetFactoryByName(LPCSTR szName);

    // Empties rObject, then fills it with a new object of the named factory.
    // One factory per registered kind serves all such calls and lives as long
    // as the database, so the objects' owner pointers never dangle.
    static void CreateObjectByFactoryName(LPCSTR szName, pjObjectRef& rObject);
};
