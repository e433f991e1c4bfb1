#include "CustomCode/Common/cmDebugSupport.h"

#include "CustomCode/Common/cmCrossModule.h"
#include "CustomCode/Common/cmDebugReport.h"
#include "platform/dbghelp/HeapCheck.h"
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/ProcessIds.h"
#include "platform/kernel32/ThreadTimes.h"

#include <cstdio>
#include <mutex>
#include <new>

std::atomic<bool> cmDebugBase::s_ready{false};
DWORD cmDebugBase::s_tlsIndex = TLS_OUT_OF_INDEXES;

namespace {

using cmDebugSharedBlock = cmCrossModuleBlock<cmDebugSharedData_V2>;

std::mutex g_setupLock;
// The block's holder lives until exit and is never destroyed: guards of
// other static objects may still trace while the program ends. It is built
// in static storage rather than on the heap, so that leak checkers see it.
alignas(cmDebugSharedBlock) unsigned char g_holderStorage[sizeof(cmDebugSharedBlock)];
cmDebugSharedData_V2 g_localBlock{};            // when no shared block can be had
cmDebugSharedData_V2* g_pShared = nullptr;
std::uint64_t g_wallDivisor = 1;

constexpr int kTextBuffer = 1024;

void InitialiseBlock(cmDebugSharedData_V2& d)
{
    d.dwVersion = 3;
    d.dwTlsIndex = TlsAlloc();
    d.pRoutines = nullptr;
    d.pSubsystems = nullptr;
}

void Push(cmDebugStatistics*& head, cmDebugStatistics* pRecord)
{
    std::atomic_ref<cmDebugStatistics*> h(head);
    cmDebugStatistics* old = h.load(std::memory_order_acquire);
    do {
        pRecord->next = old;
    } while (!h.compare_exchange_weak(old, pRecord, std::memory_order_release, std::memory_order_acquire));
}

// Totals are shared by threads without a lock: no data race, counts may be
// lost under contention.
void Add(std::uint64_t& field, std::uint64_t v)
{
    std::atomic_ref<std::uint64_t> a(field);
    a.store(a.load(std::memory_order_relaxed) + v, std::memory_order_relaxed);
}

std::uint64_t Read(const std::uint64_t& field)
{
    return std::atomic_ref<std::uint64_t>(const_cast<std::uint64_t&>(field)).load(std::memory_order_relaxed);
}

std::uint64_t Minus(std::uint64_t a, std::uint64_t b) { return (a > b) ? a - b : 0; }

std::uint64_t FileTimeValue(const FILETIME& ft)
{
    return (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

bool ReadThreadTimes(HANDLE hThread, std::uint64_t& user, std::uint64_t& kernel)
{
    FILETIME created, exited, k, u;
    if (!GetThreadTimes(hThread, &created, &exited, &k, &u))
        return false;
    user = FileTimeValue(u);
    kernel = FileTimeValue(k);
    return true;
}

std::int64_t Counter()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

unsigned Ms100ns(std::uint64_t t) { return static_cast<unsigned>(t / 10000); }

}  // namespace

void cmDebugBase::Setup()
{
    std::lock_guard<std::mutex> g(g_setupLock);
    if (s_ready.load(std::memory_order_relaxed))
        return;
    auto* pHolder = new (g_holderStorage) cmDebugSharedBlock("", cmCrossModuleScope::PerProcess, &InitialiseBlock);
    g_pShared = pHolder->Get();
    if (g_pShared == nullptr) {
        InitialiseBlock(g_localBlock);
        g_pShared = &g_localBlock;
    }
    s_tlsIndex = g_pShared->dwTlsIndex;
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    g_wallDivisor = (freq.QuadPart >= 1000) ? static_cast<std::uint64_t>(freq.QuadPart / 1000) : 1;
    s_ready.store(true, std::memory_order_release);
}

cmDebugSharedData_V2* cmDebugBase::GetSharedData()
{
    if (!s_ready.load(std::memory_order_acquire))
        Setup();
    return g_pShared;
}

const cmDebugBase* cmDebugBase::GetCurrent()
{
    GetSharedData();
    return static_cast<const cmDebugBase*>(TlsGetValue(s_tlsIndex));
}

std::uint64_t cmDebugBase::GetWallDivisor()
{
    GetSharedData();
    return g_wallDivisor;
}

void cmDebugBase::RegisterRoutine(cmDebugStatistics* pRecord, LPCSTR szName)
{
    cmDebugSharedData_V2* d = GetSharedData();
    *pRecord = cmDebugStatistics{};
    pRecord->name = szName;
    Push(d->pRoutines, pRecord);
}

void cmDebugBase::RegisterSubsystem(cmDebugSubsystemState& state)
{
    if (state.totalsRegistered)
        return;
    state.totalsRegistered = true;
    Push(GetSharedData()->pSubsystems, &state.totals);
}

void cmDebugBase::SubsystemEnding(DWORD dwFlags)
{
    static std::atomic<bool> s_reported{false};
    if ((dwFlags & (CM_DEBUG_TIMING | CM_DEBUG_TIMING_REPORT)) == (CM_DEBUG_TIMING | CM_DEBUG_TIMING_REPORT) &&
        !s_reported.exchange(true))
        cmDebugWriteStatisticsReport();
}

void cmDebugBase::PrintLine(DWORD dwFlags, LPCSTR szRoutine, LPCSTR szFormat, va_list args)
{
    char text[kTextBuffer + 1];
    if (std::vsnprintf(text, sizeof text, szFormat, args) < 0)
        text[0] = '\0';
    if (dwFlags & CM_DEBUG_THREAD_ID)
        cmLogPrint("%s <0x%x>: %s", szRoutine, static_cast<unsigned>(GetCurrentThreadId()), text);
    else
        cmLogPrint("%s: %s", szRoutine, text);
}

void cmDebugBase::WriteReturnLine(DWORD dwFlags, LPCSTR szRoutine, LPCSTR szExpression, DWORD dwValue)
{
    if (dwFlags & CM_DEBUG_THREAD_ID)
        cmLogPrint("%s <0x%x>: Returning %s as 0x%x", szRoutine, static_cast<unsigned>(GetCurrentThreadId()),
                   szExpression, static_cast<unsigned>(dwValue));
    else
        cmLogPrint("%s: Returning %s as 0x%x", szRoutine, szExpression, static_cast<unsigned>(dwValue));
}

void cmDebugBase::Message(const cmDebugSubsystemState& state, LPCSTR szFormat, ...) const
{
    va_list args;
    va_start(args, szFormat);
    PrintLine(state.flags, m_szRoutine, szFormat, args);
    va_end(args);
}

void cmDebugBase::Enter(cmDebugSubsystemState& state, DWORD dwFlags)
{
    if (dwFlags & CM_DEBUG_ENTRY_EXIT)
        Message(state, "Entering");
    if (dwFlags & CM_DEBUG_HEAP_CHECK)
        Message(state, "Cheak Heaps returned 0x%x", static_cast<unsigned>(platform::ValidateProcessHeaps()));
    if (dwFlags & CM_DEBUG_TIMING) {
        // The outermost timed guard of a thread opens the thread handle;
        // nested ones borrow it.
        if (m_pParent != nullptr && m_pParent->m_hThread != nullptr) {
            m_hThread = m_pParent->m_hThread;
        } else {
            m_hThread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, GetCurrentThreadId());
            m_bOwnsThread = (m_hThread != nullptr);
        }
        m_childUserTime = m_childKernelTime = m_childWallTicks = 0;
        if (m_hThread != nullptr)
            m_bTimesRead = ReadThreadTimes(m_hThread, m_startUserTime, m_startKernelTime);
        m_startWallTicks = Counter();
    }
}

void cmDebugBase::Leave(cmDebugSubsystemState& state, DWORD dwFlags)
{
    if (dwFlags & CM_DEBUG_TIMING) {
        const std::int64_t now = Counter();
        cmDebugStatistics& sub = state.totals;
        std::uint64_t rawUser = 0, rawKernel = 0;
        bool timesMeasured = false;
        std::uint64_t user = 0, kernel = 0;
        if (m_hThread != nullptr && m_bTimesRead && ReadThreadTimes(m_hThread, user, kernel)) {
            timesMeasured = true;
            rawUser = Minus(user, m_startUserTime);
            rawKernel = Minus(kernel, m_startKernelTime);
            const std::uint64_t cookedUser = Minus(rawUser, m_childUserTime);
            const std::uint64_t cookedKernel = Minus(rawKernel, m_childKernelTime);
            Add(sub.rawUserTime, rawUser);
            Add(sub.rawKernelTime, rawKernel);
            Add(sub.cookedUserTime, cookedUser);
            Add(sub.cookedKernelTime, cookedKernel);
            Message(state, "ExDur: Raw: %ums User, %ums Kernel  Cooked: %ums User, %ums Kernel", Ms100ns(rawUser),
                    Ms100ns(rawKernel), Ms100ns(cookedUser), Ms100ns(cookedKernel));
            Message(state, "ExDurSubsys: Raw: %ums User, %ums Kernel  Cooked: %ums User, %ums Kernel",
                    Ms100ns(Read(sub.rawUserTime)), Ms100ns(Read(sub.rawKernelTime)),
                    Ms100ns(Read(sub.cookedUserTime)), Ms100ns(Read(sub.cookedKernelTime)));
            if (m_pStats != nullptr) {
                Add(m_pStats->rawUserTime, rawUser);
                Add(m_pStats->rawKernelTime, rawKernel);
                Add(m_pStats->cookedUserTime, cookedUser);
                Add(m_pStats->cookedKernelTime, cookedKernel);
                Message(state, "ExDurFunc: Raw: %ums User, %ums Kernel  Cooked: %ums User, %ums Kernel",
                        Ms100ns(Read(m_pStats->rawUserTime)), Ms100ns(Read(m_pStats->rawKernelTime)),
                        Ms100ns(Read(m_pStats->cookedUserTime)), Ms100ns(Read(m_pStats->cookedKernelTime)));
            }
        }

        const std::uint64_t rawWall = (now > m_startWallTicks) ? static_cast<std::uint64_t>(now - m_startWallTicks) : 0;
        const std::uint64_t cookedWall = Minus(rawWall, m_childWallTicks);
        const std::uint64_t div = g_wallDivisor;
        Add(sub.rawWallTicks, rawWall);
        Add(sub.cookedWallTicks, cookedWall);
        if (m_pStats != nullptr) {
            Add(m_pStats->rawWallTicks, rawWall);
            Add(m_pStats->cookedWallTicks, cookedWall);
            Message(state, "WallDurFunc: Raw: %ums      Cooked: %ums.",
                    static_cast<unsigned>(Read(m_pStats->rawWallTicks) / div),
                    static_cast<unsigned>(Read(m_pStats->cookedWallTicks) / div));
        }
        Message(state, "WallDur: Raw: %dms      Cooked: %dms.", static_cast<int>(rawWall / div),
                static_cast<int>(cookedWall / div));
        Message(state, "WallDurSubsys: Raw: %ums      Cooked: %ums.",
                static_cast<unsigned>(Read(sub.rawWallTicks) / div),
                static_cast<unsigned>(Read(sub.cookedWallTicks) / div));

        if (m_pParent != nullptr) {
            m_pParent->m_childWallTicks += rawWall;
            if (timesMeasured) {
                m_pParent->m_childUserTime += rawUser;
                m_pParent->m_childKernelTime += rawKernel;
            }
        }
    }
    if (dwFlags & CM_DEBUG_HEAP_CHECK)
        Message(state, "Cheak Heaps returned 0x%x", static_cast<unsigned>(platform::ValidateProcessHeaps()));
    if (dwFlags & CM_DEBUG_ENTRY_EXIT)
        Message(state, "Exiting");
    if (m_bOwnsThread)
        CloseHandle(m_hThread);
    m_hThread = nullptr;
    m_bOwnsThread = false;
}
