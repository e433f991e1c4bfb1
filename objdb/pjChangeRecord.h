// The records of work queued to the database's main thread: a change to
// deliver, or the replay of existing objects to a listener that registered
// on another thread. A record owns copies of everything it carries.
#pragma once

#include "objdb/pjListenerSnapshot.h"
#include "objdb/pjObject.h"
#include "platform/ole/Variant.h"

#include <cstdint>

class pjObjectDatabaseImpl;
class pjObjectEvents;

struct pjApcRecord {
    enum Kind { kChange = 1, kRegistration = 2 };

    explicit pjApcRecord(Kind k, pjObjectDatabaseImpl* pDb, std::uint64_t epoch) : eKind(k), pDatabase(pDb), qwEpoch(epoch) {}
    virtual ~pjApcRecord() = default;

    Kind eKind;
    pjObjectDatabaseImpl* pDatabase;
    // The listener lists' unregistration count when the record was made.
    std::uint64_t qwEpoch;
};

struct pjChangeRecord : pjApcRecord {
    pjChangeRecord(pjObjectDatabaseImpl* pDb, std::uint64_t epoch) : pjApcRecord(kChange, pDb, epoch) { VariantInit(&value); }
    ~pjChangeRecord() override { VariantClear(&value); }
    pjChangeRecord(const pjChangeRecord&) = delete;
    pjChangeRecord& operator=(const pjChangeRecord&) = delete;

    LONG lStamp = 0;
    pjObjectRef object;
    DWORD dwKind = 0;
    DWORD dwPropId = 0;
    pjObjectList objects;
    VARIANT value;
    pjListenerSnapshot listeners;
};

struct pjRegistrationRecord : pjApcRecord {
    pjRegistrationRecord(pjObjectDatabaseImpl* pDb, std::uint64_t epoch) : pjApcRecord(kRegistration, pDb, epoch) {}

    pjObjectEvents* pListener = nullptr;
    pjObjectList objects;
};
