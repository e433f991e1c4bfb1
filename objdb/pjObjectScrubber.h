// pjObjectScrubber: removes objects that their class has marked for removal
// (PJ_STATE_REMOVE) once only the database refers to them, and asks the
// owners and the objects still referenced elsewhere to let go. Requests
// come through the database's ReleaseMemory: queued ones are processed on
// the scrubber's own worker thread (started by the first request), which
// drops a request that repeats the previous tag within 2500 ms and runs at
// idle priority.
#pragma once

#include "CustomCode/Common/cmSimpleExecQueue.h"
#include "platform/kernel32/WinTypes.h"

#include <optional>

class pjObjectDatabaseImpl;

struct SCRUBBER_INFO {
    DWORD dwTag;     // compared with the previous request, handed to owners
    DWORD dwSecond;  // carried along
};

class pjObjectScrubber : public cmSimpleExecQueue<SCRUBBER_INFO> {
public:
    static constexpr DWORD kSameTagIntervalMs = 2500;
    using TickSource = DWORD (*)();

    // Scrubs the database's indexes. The clock measures the interval between
    // requests (GetTickCount unless a test gives its own).
    explicit pjObjectScrubber(pjObjectDatabaseImpl& db, TickSource pfnTicks = nullptr);
    ~pjObjectScrubber() override;

    // One pass over the database under its object lock (exclusive):
    // - marked objects held only by the indexes (and this pass) leave both
    //   indexes and are destroyed;
    // - marked objects held elsewhere and not on hold get their owner's
    //   release request and their own DropReferences, and stay indexed;
    // - objects taken out of their type (RemoveFromObjectDatabase) leave the
    //   object index.
    // The owners' and objects' code runs with the lock held and must not
    // wait for the database.
    void Scrub(const SCRUBBER_INFO& info);

    // Requests processed on the worker (dropped ones included).
    DWORD ProcessedCount() const { return m_nProcessed.load(); }

protected:
    void Process(SCRUBBER_INFO& item) override;

private:
    pjObjectDatabaseImpl& m_db;
    TickSource m_pfnTicks;
    DWORD m_dwLastScrub = 0;
    std::optional<DWORD> m_lastTag;
    bool m_bIdle = false;
    std::atomic<DWORD> m_nProcessed{0};
};
