// pjDatabaseLoader: rebuilds objects from the packet of a database file.
// Each record's object is made by the factory of the default list named by
// the record's owner (found once per name and kept by the database, so the
// objects' owners outlive them); its values are set at once, its relations
// once all records are read. Every count in the packet comes from outside:
// reading stops at the first thing that does not fit in the packet.
#pragma once

#include "CustomCode/Common/cmPacket.h"
#include "objdb/pjObject.h"

#include <map>
#include <string>
#include <vector>

class pjObjectDatabase;
class pjObjectFactory;

class pjDatabaseLoader {
public:
    explicit pjDatabaseLoader(pjObjectDatabase& db) : m_db(db) {}

    // S_OK, or the error of the read that failed (what came before it is
    // rebuilt, relations included).
    HRESULT Load(cmPacket& file);

private:
    struct PendingRelation {
        pjObjectRef object;
        DWORD dwPropId;
        std::vector<std::string> relatedIds;
    };

    HRESULT ReadRecord(cmPacket& file);
    HRESULT ReadProperties(cmPacket& record, const pjObjectRef& object);
    void AddPendingRelations();
    // The factory of that name (cached), or null.
    pjObjectFactory* FactoryFor(const cmString& szOwner);

    pjObjectDatabase& m_db;
    std::map<cmString, pjObjectFactory*> m_factories;
    // The loaded objects by the bytes of their saved ids.
    std::map<std::string, pjObjectRef> m_byId;
    std::vector<PendingRelation> m_pending;
};
