// pjObjectDatabase: the process-wide object database. This base holds the
// factory registry: for every type key, the factories registered under it in
// registration order. The registry never owns a factory.
//
// GetObjectDatabase() gives the singleton and creates it on first use; the
// first factory registration, during static initialisation, is that first
// use, so the database belongs to the main thread.
#pragma once

#include "CustomCode/Common/cmString.h"
#include "platform/kernel32/WinTypes.h"

#include <list>
#include <map>
#include <memory>

class pjFactoryHelper;
class pjObjectFactory;

using pjFactoryList = std::list<pjFactoryHelper*>;
// A place in one key's list; stays valid while factories are only appended.
using pjFactoryPosition = pjFactoryList::iterator;

class pjObjectDatabase {
public:
    pjObjectDatabase(const pjObjectDatabase&) = delete;
    pjObjectDatabase& operator=(const pjObjectDatabase&) = delete;
    virtual ~pjObjectDatabase();

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

    std::map<cmString, pjFactoryList> m_factories;
    std::map<pjFactoryHelper*, std::unique_ptr<pjObjectFactory>> m_sharedFactories;
};

pjObjectDatabase* GetObjectDatabase();
