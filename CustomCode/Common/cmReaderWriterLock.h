// cmReaderWriterLock: a re-entrant reader/writer lock for the threads of one
// process, handing out scoped tokens. A thread may nest shared and exclusive
// acquisitions in any order; a sole reader may upgrade; new readers are
// admitted while a writer waits. Tokens are released on the thread that
// acquired them. Destroying the lock fails every thread still sleeping on it.
#pragma once

#include "CustomCode/Common/cmLock.h"
#include "platform/kernel32/WinError.h"

#include <memory>

class cmReaderWriterLock {
public:
    // Holds what one acquisition took; the last copy to go releases it.
    class cmLockToken {
    public:
        cmLockToken() = default;
        virtual ~cmLockToken();
        cmLockToken(const cmLockToken& other) = default;
        cmLockToken& operator=(const cmLockToken& other) = default;
        cmLockToken(cmLockToken&& other) noexcept = default;
        cmLockToken& operator=(cmLockToken&& other) noexcept = default;

        // Whether the token holds the lock.
        bool IsHeld() const { return m_pRecord != nullptr; }
        bool IsExclusive() const { return m_pRecord != nullptr && m_pRecord->bExclusive; }
        // Gives up this token's share now (the lock is released when no copy
        // holds it any more).
        void Release() { m_pRecord.reset(); }

    private:
        friend class cmReaderWriterLock;
        struct Record {
            cmLockAcquisition lt;
            bool bExclusive = false;
            ~Record();
        };
        explicit cmLockToken(std::shared_ptr<Record> pRecord) : m_pRecord(std::move(pRecord)) {}
        std::shared_ptr<Record> m_pRecord;
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
