#include "objdb/pjCrossModule.h"

#include "platform/kernel32/NamedMutex.h"

namespace {

// The creator's initialisation, under a mutex of its own that it holds
// until the record is complete.
void InitialiseRecord(pjiCrossModule& record, pjObjectDatabase* pDatabase)
{
    record.hMutex = CreateMutexA(nullptr, TRUE, nullptr);
    record.dwConstant1 = 1;
    record.dwConstant2 = 1;
    record.pDatabase = pDatabase;
    if (record.hMutex != nullptr)
        ReleaseMutex(record.hMutex);
}

}  // namespace

pjCrossModuleHolder::pjCrossModuleHolder(pjObjectDatabase* pDatabase, LPCSTR szPrefix)
    : m_block(szPrefix, cmCrossModuleScope::PerProcess,
              [pDatabase](pjiCrossModule& record) { InitialiseRecord(record, pDatabase); })
{
}

pjiCrossModule* pjPublishObjectDatabase(pjObjectDatabase* pDatabase)
{
    // Kept for the life of the process, as every holder of such a block is.
    static pjCrossModuleHolder* const s_pHolder = new pjCrossModuleHolder(pDatabase);
    return s_pHolder->Get();
}
