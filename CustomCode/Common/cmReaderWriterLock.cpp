#include "CustomCode/Common/cmReaderWriterLock.h"

#include "platform/kernel32/ProcessIds.h"

cmReaderWriterLock::cmLockToken::Shared* cmReaderWriterLock::cmLockToken::Share() const
{
    if (m_lt.pCore == nullptr)
        return nullptr;
    if (m_pShared == nullptr)
        m_pShared = new Shared{1};
    ++m_pShared->nTokens;
    return m_pShared;
}

void cmReaderWriterLock::cmLockToken::Release()
{
    if (m_lt.pCore == nullptr)
        return;
    const cmLockAcquisition lt = m_lt;
    m_lt = cmLockAcquisition{};
    if (Shared* pShared = std::exchange(m_pShared, nullptr)) {
        if (--pShared->nTokens > 0)
            return;
        delete pShared;
    }
    // A core outlives its lock while a hold on it remains, so this release
    // is safe also after the lock is gone.
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
    return cmLockToken(lt);
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
