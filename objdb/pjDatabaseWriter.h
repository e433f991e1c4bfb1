// pjDatabaseWriter: turns the database's types and objects into the packet
// of the database file. Per type: the number of records written for it,
// then the records. An object's record holds its owner's name, its listed
// properties (values, or the ids of related objects) and its own id; the
// records of related objects not written yet come first, so every object is
// written once, whichever type or relation reaches it first.
#pragma once

#include "CustomCode/Common/cmPacket.h"
#include "objdb/pjObject.h"

#include <set>
#include <utility>
#include <vector>

class pjDatabaseWriter {
public:
    HRESULT Write(const std::vector<std::pair<cmString, pjObjectList>>& types, cmPacket& file);

private:
    // Appends the records of the object and of the objects it reaches that
    // are not written yet (those first) to group, counting them.
    HRESULT WriteReachable(pjObject* pRoot, cmPacket& group, DWORD& nRecords);
    // The record of one object, and the objects its relations name.
    HRESULT MakeRecord(pjObject* pObject, cmPacket& record, pjObjectList& related);

    // Objects whose record is written or being built.
    std::set<pjObject*> m_seen;
    // Keeps every object reached alive until the file is written.
    pjObjectList m_kept;
};
