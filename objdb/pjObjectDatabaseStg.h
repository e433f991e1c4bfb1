// pjObjectDatabaseStg: the storage level of the object database, between the
// factory registry and the implementation. It holds the type index (for
// each type name, the set of its objects with their timestamps; every entry
// holds a counted reference) under the object lock, and writes the database
// to a file and rebuilds objects from one.
#pragma once

#include "CustomCode/Common/cmReaderWriterLock.h"
#include "objdb/pjObjectDatabase.h"

#include <map>
#include <utility>
#include <vector>

class pjObjectScrubber;

class pjObjectDatabaseStg : public pjObjectDatabase {
public:
    HRESULT GetObjectsOfType(const cmString& szTypeName, pjObjectList& objects) override;
    HRESULT RemoveObjectFromType(pjObject* pObject, const cmString& szTypeName) override;

    // The file is one packet: the number of types, then per type (in name
    // order) the number of records that follow for it and the records. An
    // object's record comes after the records of the objects it relates to
    // (unless they relate back to it), and every object is written once.
    // An existing file is never overwritten.
    HRESULT SaveDatabaseToFile(LPCSTR szFileName) override;
    // Rebuilds every record's object through the factory (of the default
    // list) named by its owner, sets its values and then its relations
    // (once all records are read, so relations in both directions come
    // back). Records whose owner has no factory are skipped. The objects
    // live on only if their factory keeps them. A file that ends early gives
    // the read's error after what could be read was rebuilt.
    HRESULT LoadDatabaseFromFile(LPCSTR szFileName) override;

    // The types and their objects, each type's in timestamp order.
    using TypeSnapshot = std::vector<std::pair<cmString, pjObjectList>>;
    TypeSnapshot SnapshotTypes();

protected:
    pjObjectDatabaseStg() = default;
    // Releases the references of the type index.
    ~pjObjectDatabaseStg() override;

    // One type's objects: object -> timestamp. Entries hold a count of
    // their object (taken and given back by the code that changes the set).
    using TypeSet = std::map<pjObject*, DWORD>;

    friend class pjObjectScrubber;

    // Guards the type index here and the object index of the implementation.
    cmReaderWriterLock m_objectLock;
    std::map<cmString, TypeSet> m_typeIndex;
};
