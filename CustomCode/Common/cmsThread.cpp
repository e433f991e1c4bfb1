#include "CustomCode/Common/cmsThread.h"

#include "CustomCode/Common/cmLog.h"
#include "platform/crt/ThreadStart.h"
#include "platform/kernel32/Event.h"
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/ProcessIds.h"
#include "platform/kernel32/Wait.h"

#include <algorithm>

cmsThread::cmsThread()
    : m_hDone(CreateEventA(nullptr, TRUE, FALSE, nullptr)), m_hStop(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    m_waitHandles.push_back(m_hStop);
}

cmsThread::~cmsThread()
{
    // A thread whose Init failed has ended although it still counts as
    // running; waiting for it would only cost the whole time-out.
    if (m_dwThreadId.load() != 0 && !m_bEnded.load())
        Stop(10000);
    for (HANDLE h : m_waitHandles)
        CloseHandle(h);
    CloseHandle(m_hDone);
    if (m_hInit != nullptr)
        CloseHandle(m_hInit);
}

bool cmsThread::Init()
{
    cmLogPrint("%s", "Base class initialization called for thread.");
    return true;
}

DWORD cmsThread::Body()
{
    cmLogPrint("%s", "Base class thread body called for thread.");
    return 0x5A5A5A5Au;
}

HRESULT cmsThread::SpawnThread(void* pSecurity, unsigned nStackSize, unsigned (*pfnStart)(void*), void* pArg,
                               unsigned nFlags, unsigned* pThreadId)
{
    const std::uintptr_t h = _beginthreadex(pSecurity, nStackSize, pfnStart, pArg, nFlags, pThreadId);
    if (h == 0 || h == static_cast<std::uintptr_t>(-1))
        return E_FAIL;
    CloseHandle(reinterpret_cast<HANDLE>(h));
    return S_OK;
}

HRESULT cmsThread::Start(DWORD dwTimeout)
{
    ResetEvent(m_hStop);
    m_bStopRequested = false;
    if (m_hInit != nullptr)
        CloseHandle(m_hInit);
    m_hInit = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ResetEvent(m_hDone);
    m_bEnded = false;
    unsigned id = 0;
    const HRESULT hr = SpawnThread(nullptr, 0, &cmsThread::ThreadProc, this, 0, &id);
    if (hr != S_OK)
        return hr;
    cmWaitForEvents wait;
    if (wait.WaitOne(m_hInit, dwTimeout, m_bPumpMessages) != 0)
        cmLogPrint("%s", "Child did not relinquish control after 10 seconds of initialization!");
    return S_OK;
}

unsigned cmsThread::ThreadProc(void* pArg)
{
    auto* self = static_cast<cmsThread*>(pArg);
    self->m_dwThreadId = GetCurrentThreadId();
    cmLogPrint("%s", "cmsThread: Starting initialization.");
    const bool ok = self->Init();
    bool bSelfDelete = self->m_bSelfDelete;
    cmLogPrint("cmsThread: Init completed with :%s.", ok ? "true" : "false");
    SetEvent(self->m_hInit);
    DWORD code = kInitFailedCode;
    if (ok) {
        cmLogPrint("%s", "cmsThread: Starting main thread.");
        self->OnBeforeBody();
        code = self->Body();
        self->OnAfterBody();
        bSelfDelete = self->m_bSelfDelete;
        self->m_dwExitCode = code;
        self->m_dwThreadId = 0;
        SetEvent(self->m_hDone);
    } else {
        // The object stays "running": a later Stop finds no end to wait for.
        self->m_dwExitCode = code;
        self->m_bEnded = true;
    }
    cmLogPrint("cmsThread: Terminating with return code 0x%x.", static_cast<unsigned>(code));
    if (bSelfDelete)
        delete self;
    return code;
}

void cmsThread::Stop(DWORD dwTimeout)
{
    if (m_dwThreadId.load() == 0)
        return;
    m_bStopRequested = true;
    SetEvent(m_hStop);
    cmWaitForEvents wait;
    if (wait.WaitOne(m_hDone, dwTimeout, m_bPumpMessages) != 0)
        cmLogPrint("%s", "cmsThread:: Thread did not shut down!");
}

bool cmsThread::ShouldStop()
{
    if (m_bStopRequested)
        return true;
    if (m_bPumpMessages)
        cmPumpMessages();
    cmWaitForEvents wait;
    return wait.Wait(m_waitHandles, 0, false) == m_hStop;
}

int cmsThread::WaitForEvent(HANDLE hEvent, DWORD dwTimeout)
{
    if (ShouldStop())
        return 1;
    std::vector<HANDLE> handles{hEvent};
    handles.insert(handles.end(), m_waitHandles.begin(), m_waitHandles.end());
    cmWaitForEvents wait;
    const HANDLE h = wait.Wait(handles, dwTimeout, m_bPumpMessages);
    if (h == hEvent)
        return 0;
    return h == cmWaitForEvents::TimedOut() ? 258 : 1;
}

void cmsThread::AddWaitHandle(HANDLE hHandle)
{
    if (std::find(m_waitHandles.begin(), m_waitHandles.end(), hHandle) == m_waitHandles.end())
        m_waitHandles.push_back(hHandle);
}

HANDLE cmsThread::WaitOnHandles(DWORD dwTimeout)
{
    if (m_bStopRequested)
        return nullptr;
    cmWaitForEvents wait;
    return wait.Wait(m_waitHandles, dwTimeout, m_bPumpMessages);
}
