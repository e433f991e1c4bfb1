#include "CustomCode/Common/cmReaderWriterLock.h"

#include "platform/kernel32/ProcessIds.h"

cmReaderWriterLock::cmLockToken::~cmLockToken() = default;

cmReaderWriterLock::cmLockToken::Record::~Record()
{
    // A token that outlives its lock has nothing left to release.
    if (cmLock::IsListed(lt.pCore))
        cmLock::R0_LockUnlockOnBehalfOf(lt, GetCurrentThreadId());
}

cmReaderWriterLock::cmReaderWriterLock() : m_pCore(cmLock::Create()) {}

cmReaderWriterLock::~cmReaderWriterLock()
{
    cmLock::R0_LockDestroyLock(m_pCore);
    cmLock::Free(m_pCore);
}

cmLockToken cmReaderWriterLock::Acquire(bool bExclusive)
{
    if (m_pCore == nullptr || !m_pCore->bAlive)
        return cmLockToken();
    const cmLockAcquisition lt =
        bExclusive ? cmLock::R0_LockAcquireExclusive(m_pCore) : cmLock::R0_LockAcquireShared(m_pCore);
    if (lt.eKind == cmLockKind::Failed)
        return cmLockToken();
    auto pRecord = std::make_shared<cmLockToken::Record>();
    pRecord->lt = lt;
    pRecord->bExclusive = bExclusive;
    return cmLockToken(std::move(pRecord));
}

cmLockToken cmReaderWriterLock::LockShared() { return Acquire(false); }

cmLockToken cmReaderWriterLock::LockExclusive() { return Acquire(true); }

HRESULT cmReaderWriterLock::TakeDown()
{
    if (m_pCore == nullptr || !m_pCore->bAlive)
        return E_UNEXPECTED;
    const bool ok = cmLock::R0_LockRenderUnusable(m_pCore);
    m_pCore->bAlive = false;
    return ok ? S_OK : E_UNEXPECTED;
}
