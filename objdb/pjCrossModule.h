// pjiCrossModule: the object database's record in the per-process
// cross-module block (cmCrossModuleBlock). Every module of the process that
// carries its own copy of this library finds, through it, the database of
// the module that published first.
//
// Layout on 64-bit Linux, in the order of the fields, 32 bytes:
//   0  constant 1
//   4  constant 1
//   8  the unnamed mutex the creating module made (a 64-bit handle)
//  16  the creating module's object database (a 64-bit pointer)
//  24  use count, then 4 bytes of padding
// The handle and the pointer mean something only to the creating module's
// copy of the library; the others read them as that module published them.
#pragma once

#include "CustomCode/Common/cmCrossModule.h"
#include "platform/kernel32/WinTypes.h"

#include <cstddef>

class pjObjectDatabase;

struct pjiCrossModule {
    DWORD dwConstant1;
    DWORD dwConstant2;
    HANDLE hMutex;
    pjObjectDatabase* pDatabase;
    DWORD dwUseCount;
};

static_assert(sizeof(pjiCrossModule) == 32, "the record is 32 bytes on 64-bit Linux");
static_assert(offsetof(pjiCrossModule, hMutex) == 8 && offsetof(pjiCrossModule, pDatabase) == 16 &&
                  offsetof(pjiCrossModule, dwUseCount) == 24,
              "the fields keep their order");

// A holder of the process's block: opens it, or creates it and records
// pDatabase, and counts itself in the use count.
class pjCrossModuleHolder {
public:
    // szPrefix is the block's name prefix, empty for the database's block.
    explicit pjCrossModuleHolder(pjObjectDatabase* pDatabase, LPCSTR szPrefix = "");

    // The record, or null when the block could neither be opened nor made.
    pjiCrossModule* Get() const { return m_block.Get(); }
    // Whether this holder made (and initialised) the record.
    bool WasCreated() const { return m_block.WasCreated(); }

private:
    cmCrossModuleBlock<pjiCrossModule> m_block;
};

// Publishes the module's database in the process's block; the database calls
// it once, right after its construction. The holder lives until the process
// ends. The record (the first publisher's), or null.
pjiCrossModule* pjPublishObjectDatabase(pjObjectDatabase* pDatabase);
