// pjObjectDatabaseImpl: the one concrete object database, created by
// GetObjectDatabase(). It remembers the thread that created it as the main
// thread, on which change events and queued calls are delivered.
#pragma once

#include "objdb/pjObjectDatabaseStg.h"

class pjObjectDatabaseImpl : public pjObjectDatabaseStg {
public:
    pjObjectDatabaseImpl();

    DWORD GetMainThreadId() const { return m_dwMainThreadId; }

private:
    DWORD m_dwMainThreadId;
};
