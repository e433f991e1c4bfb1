// cmReaderWriterLock: a re-entrant reader/writer lock for the threads of one
// process, handing out scoped tokens. A thread may nest shared and exclusive
// acquisitions in any order; a sole reader may upgrade; new readers are
// admitted while a writer waits. Tokens are released on the thread that
// acquired them. Destroying the lock fails every thread still sleeping on it.
#pragma once

#include "CustomCode/Common/cmLock.h"
#include "platform/kernel32/WinError.h"

#include <utility>

class cmReaderWriterLock {
public:
    // Holds what one acquisition took; the last copy to go releases it.
    // Copies share one hold: the first copy makes a small shared record, so
    // a token that is never copied costs no allocation.
    class cmLockToken {
    public:
        cmLockToken() = default;
        virtual ~cmLockToken() { Release(); }
        cmLockToken(const cmLockToken& other) : m_lt(other.m_lt), m_pShared(other.Share()) {}
        cmLockToken& operator=(const cmLockToken& other)
        {
            if (this != &other) {
                Shared* pShared = other.Share();
                Release();
                m_lt = other.m_lt;
                m_pShared = pShared;
            }
            return *this;
        }
        cmLockToken(cmLockToken&& other) noexcept : m_lt(other.m_lt), m_pShared(other.m_pShared)
        {
            other.m_lt = cmLockAcquisition{};
            other.m_pShared = nullptr;
        }
        cmLockToken& operator=(cmLockToken&& other) noexcept
        {
            if (this != &other) {
                Release();
                m_lt = other.m_lt;
                m_pShared = other.m_pShared;
                other.m_lt = cmLockAcquisition{};
                other.m_pShared = nullptr;
            }
            return *this;
        }

        // Whether the token holds the lock.
        bool IsHeld() const { return m_lt.pCore != nullptr; }
        bool IsExclusive() const { return IsHeld() && m_lt.eKind == cmLockKind::Exclusive; }
        // Gives up this token's share now (the lock is released when no copy
        // holds it any more).
        void Release();

    private:
        friend class cmReaderWriterLock;
        // The count of tokens that share one hold (tokens stay on one thread).
        struct Shared {
            long nTokens;
        };
        explicit cmLockToken(const cmLockAcquisition& lt) : m_lt(lt) {}
        Shared* Share() const;

        cmLockAcquisition m_lt;
        mutable Shared* m_pShared = nullptr;
    };

    cmReaderWriterLock();
    cmReaderWriterLock(const cmReaderWriterLock&) = delete;
    cmReaderWriterLock& operator=(const cmReaderWriterLock&) = delete;
    virtual ~cmReaderWriterLock();

    // Empty tokens when the lock is taken down or the acquisition failed.
    cmLockToken LockShared();
    cmLockToken LockExclusive();
    // Makes the lock unusable before it is destroyed; E_UNEXPECTED when it
    // already was.
    HRESULT TakeDown();

    cmLockCore* GetCore() const { return m_pCore; }

private:
    cmLockToken Acquire(bool bExclusive);
    cmLockCore* m_pCore;
};

using cmLockToken = cmReaderWriterLock::cmLockToken;
