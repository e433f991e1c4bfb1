// cmsThread: a worker thread bound to an object. Start runs Init on the new
// thread and waits (bounded) until it has finished; Body then runs until it
// returns, noticing a Stop through ShouldStop or its waits. Stop asks and
// waits (bounded). A thread may delete its object when it ends.
#pragma once

#include "CustomCode/Common/cmWaitForEvents.h"
#include "platform/kernel32/WinError.h"
#include "platform/kernel32/WinTypes.h"

#include <atomic>
#include <vector>

class cmsThread {
public:
    // What a thread whose Init failed ends with.
    static constexpr DWORD kInitFailedCode = 0x55555555u;

    cmsThread();
    cmsThread(const cmsThread&) = delete;
    cmsThread& operator=(const cmsThread&) = delete;
    // Stops a running thread (10 s at most) and closes the handles.
    virtual ~cmsThread();

    // Starts the thread and waits up to dwTimeout ms for its Init. S_OK also
    // when Init did not finish in time (that is logged); the spawn's failure
    // otherwise.
    HRESULT Start(DWORD dwTimeout);
    // Asks the thread to stop and waits up to dwTimeout ms for its end;
    // returns at once when it is not running.
    void Stop(DWORD dwTimeout);

    DWORD GetThreadId() const { return m_dwThreadId.load(); }
    // The code the thread ended with; 0 before it ended.
    DWORD GetExitCode() const { return m_dwExitCode.load(); }
    void SetPumpMessages(bool b) { m_bPumpMessages = b; }
    void SetSelfDelete(bool b) { m_bSelfDelete = b; }

protected:
    virtual bool Init();
    virtual DWORD Body();
    // Starts the thread procedure; S_OK or E_FAIL.
    virtual HRESULT SpawnThread(void* pSecurity, unsigned nStackSize, unsigned (*pfnStart)(void*), void* pArg,
                                unsigned nFlags, unsigned* pThreadId);
    virtual void OnBeforeBody() {}
    virtual void OnAfterBody() {}

    // For Body: whether a stop was asked (serving the thread's messages first
    // when pumping).
    bool ShouldStop();
    // 1 when stopping, else waits for hEvent or a wait handle: 0 when hEvent
    // fired, 258 on time-out, 1 for anything else.
    int WaitForEvent(HANDLE hEvent, DWORD dwTimeout);
    // Adds a handle that the thread's waits also end on.
    void AddWaitHandle(HANDLE hHandle);
    // Waits on the wait handles: the signalled one, -1 on time-out, 0 when a
    // stop was already asked.
    HANDLE WaitOnHandles(DWORD dwTimeout);

private:
    static unsigned ThreadProc(void* pArg);

    bool m_bPumpMessages = true;
    std::atomic<bool> m_bSelfDelete{false};
    HANDLE m_hDone = nullptr;
    std::atomic<DWORD> m_dwThreadId{0};
    HANDLE m_hInit = nullptr;
    HANDLE m_hStop = nullptr;
    std::atomic<bool> m_bStopRequested{false};
    std::vector<HANDLE> m_waitHandles;
    std::atomic<DWORD> m_dwExitCode{0};
    std::atomic<bool> m_bEnded{false};  // set by a thread whose Init failed, as its last touch of the object
};
