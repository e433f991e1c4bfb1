// Per-module log subsystems (cmDebugSupportEx<N>) and per-operation trace
// guards (cmDebugFunction<N>).
//
// Every traced operation opens its guard with CM_TRACE_FUNCTION(id, "Class::Op")
// and leaves through CM_TRACE_RETURN(expr), which reports the result under
// the expression's own source text ("hr", "lSuccess == ERROR_SUCCESS").
// Messages go through CM_TRACE_INFO / CM_TRACE_WARNING / CM_TRACE_DETAIL (or
// CM_TRACE_PRINT with the level bits), which test the bit before formatting.
//
// What a guard writes is decided by the flags word of its subsystem id,
// set once at start-up from the store (cmDebugSubsystems.h lists the
// subsystems). With every bit clear a guard costs one read and one write of
// the thread's guard chain, an invocation count and a few bit tests.
//
// Line formats (all through cmLogPrint; "<name> <0x<tid>>" with the
// thread-id bit):
//   "<routine>: Entering" / "<routine>: Exiting"
//   "<routine>: Returning <expr> as 0x<value>"
//   "<routine>: Cheak Heaps returned 0x<hr>"
//   "<routine>: ExDur: Raw: <n>ms User, <n>ms Kernel  Cooked: <n>ms User, <n>ms Kernel"
//   (and ExDurSubsys, ExDurFunc, WallDurFunc, WallDur, WallDurSubsys)
#pragma once

#include "CustomCode/Common/cmLog.h"
#include "platform/kernel32/ThreadLocalStorage.h"
#include "platform/kernel32/WinError.h"
#include "platform/kernel32/WinTypes.h"

#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <type_traits>

// Bits of a subsystem's flags word.
constexpr DWORD CM_DEBUG_INFO = 0x1;
constexpr DWORD CM_DEBUG_WARNING = 0x2;
constexpr DWORD CM_DEBUG_DETAIL = 0x4;
constexpr DWORD CM_DEBUG_ENTRY_EXIT = 0x8;
constexpr DWORD CM_DEBUG_RETURN = 0x10;
constexpr DWORD CM_DEBUG_TIMING = 0x20;
constexpr DWORD CM_DEBUG_TIMING_REPORT = 0x100;  // only together with CM_DEBUG_TIMING
constexpr DWORD CM_DEBUG_THREAD_ID = 0x100000;
constexpr DWORD CM_DEBUG_HEAP_CHECK = 0x200000;
constexpr DWORD CM_DEBUG_SINK_DEBUGGER = 0x10000000;
constexpr DWORD CM_DEBUG_SINK_LOG_FILE = 0x20000000;
constexpr DWORD CM_DEBUG_SINK_MEMORY = 0x40000000;

// Per-routine or per-subsystem totals, registered once in a list of the
// shared debug block. Times are in 100-ns units, wall times in ticks of the
// performance counter; "raw" is the time between entry and exit, "cooked" is
// raw minus what nested guards spent. Figures are updated without a lock by
// every thread (relaxed atomic loads and stores): they are diagnostics and
// may lose counts under contention.
struct cmDebugStatistics {
    std::uint64_t rawWallTicks;
    std::uint64_t cookedWallTicks;
    std::uint64_t rawUserTime;
    std::uint64_t cookedUserTime;
    std::uint64_t rawKernelTime;
    std::uint64_t cookedKernelTime;
    cmDebugStatistics* next;
    LPCSTR name;
    DWORD invocations;  // routine records only
};

// The block that all modules of a process share (cmCrossModuleBlock): the
// guard chain's thread-local slot and the heads of the two statistics lists.
struct cmDebugSharedData_V2 {
    DWORD dwVersion;  // 3
    DWORD dwTlsIndex;
    cmDebugStatistics* pRoutines;
    cmDebugStatistics* pSubsystems;
    DWORD dwUseCount;
};

// What all objects of one subsystem id share: the flags word, the name slot
// (totals.name) and the subsystem totals.
struct cmDebugSubsystemState {
    DWORD flags;
    bool totalsRegistered;
    cmDebugStatistics totals;
};

// The common base of guards. Its first construction in the process sets up
// the shared debug block. Guards chain through one thread-local slot: a
// guard's parent is the guard that was innermost on its thread when it began.
class cmDebugBase {
public:
    cmDebugBase(const cmDebugBase&) = delete;
    cmDebugBase& operator=(const cmDebugBase&) = delete;
    virtual ~cmDebugBase() = default;

    LPCSTR GetRoutineName() const { return m_szRoutine; }
    const cmDebugBase* GetParent() const { return m_pParent; }

    // The shared block (set up on first use); never null: when no shared
    // block can be made, this module keeps one of its own.
    static cmDebugSharedData_V2* GetSharedData();
    // The guard innermost on the calling thread, or null.
    static const cmDebugBase* GetCurrent();
    // Counter ticks per millisecond.
    static std::uint64_t GetWallDivisor();

    // Pushes a routine record (zeroed, named) at the head of the routine list.
    static void RegisterRoutine(cmDebugStatistics* pRecord, LPCSTR szName);
    // Pushes a subsystem's totals at the head of the subsystem list, once.
    static void RegisterSubsystem(cmDebugSubsystemState& state);

    // At the end of a subsystem: the statistics report, once per process,
    // when the flags hold both the timing and the timing-report bits.
    static void SubsystemEnding(DWORD dwFlags);

    // Writes "<routine>: <text>" (or with " <0x<tid>>" under the thread-id bit).
    static void PrintLine(DWORD dwFlags, LPCSTR szRoutine, LPCSTR szFormat, va_list args);
    // Writes "<routine>: Returning <expr> as 0x<value>" (thread id likewise).
    static void WriteReturnLine(DWORD dwFlags, LPCSTR szRoutine, LPCSTR szExpression, DWORD dwValue);

protected:
    cmDebugBase(LPCSTR szRoutine, cmDebugStatistics* pStats) : m_szRoutine(szRoutine), m_pStats(pStats)
    {
        if (!s_ready.load(std::memory_order_acquire))
            Setup();
        m_pParent = static_cast<cmDebugBase*>(TlsGetValue(s_tlsIndex));
        TlsSetValue(s_tlsIndex, this);
    }

    void PopChain() { TlsSetValue(s_tlsIndex, m_pParent); }

    // The work of entry and exit when any of the entry/exit, timing or
    // heap-check bits is set.
    void Enter(cmDebugSubsystemState& state, DWORD dwFlags);
    void Leave(cmDebugSubsystemState& state, DWORD dwFlags);
    void Message(const cmDebugSubsystemState& state, LPCSTR szFormat, ...) const
        __attribute__((format(printf, 3, 4)));

    static constexpr DWORD kGuardBits = CM_DEBUG_ENTRY_EXIT | CM_DEBUG_TIMING | CM_DEBUG_HEAP_CHECK;

    // What finished nested guards have spent (100-ns units, counter ticks).
    std::uint64_t m_childUserTime = 0;
    std::uint64_t m_childKernelTime = 0;
    std::uint64_t m_childWallTicks = 0;
    HANDLE m_hThread = nullptr;
    LPCSTR m_szRoutine;
    std::int64_t m_startWallTicks = 0;
    std::uint64_t m_startUserTime = 0;
    std::uint64_t m_startKernelTime = 0;
    cmDebugBase* m_pParent = nullptr;
    cmDebugStatistics* m_pStats;
    DWORD m_dwEntryFlags = 0;     // the flags seen at entry, so that exit does the same work
    bool m_bOwnsThread = false;   // this guard opened m_hThread (nested guards borrow it)
    bool m_bTimesRead = false;

private:
    static void Setup();

    static std::atomic<bool> s_ready;
    static DWORD s_tlsIndex;
};

// The value a "Returning" line shows: booleans by their low byte, values of
// one word as they are, wider ones by their first word.
template <class T>
DWORD cmDebugReturnWord(const T& value)
{
    if constexpr (std::is_same_v<T, bool>) {
        return static_cast<BYTE>(value);
    } else if constexpr (std::is_enum_v<T>) {
        return static_cast<DWORD>(static_cast<std::underlying_type_t<T>>(value));
    } else if constexpr (std::is_integral_v<T>) {
        return static_cast<DWORD>(value);
    } else if constexpr (std::is_pointer_v<T>) {
        return static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(value));
    } else {
        static_assert(std::is_trivially_copyable_v<T> && sizeof(T) >= sizeof(DWORD),
                      "a traced result is a number, a flag or a record of whole words");
        DWORD first = 0;
        std::memcpy(&first, &value, sizeof first);
        return first;
    }
}

// The trace guard of subsystem id N.
template <DWORD N>
class cmDebugFunction : public cmDebugBase {
public:
    explicit cmDebugFunction(LPCSTR szRoutine, cmDebugStatistics* pStats = nullptr)
        : cmDebugBase(szRoutine, pStats)
    {
        m_dwEntryFlags = s_state.flags;
        if (m_dwEntryFlags & kGuardBits)
            Enter(s_state, m_dwEntryFlags);
    }

    ~cmDebugFunction() override
    {
        if (m_dwEntryFlags & kGuardBits)
            Leave(s_state, m_dwEntryFlags);
        PopChain();
    }

    // The id's shared state; its flags word is written only during start-up
    // (and by tests).
    static cmDebugSubsystemState& State() { return s_state; }
    static DWORD GetFlags() { return s_state.flags; }

    // Whether any of the bits is set for this subsystem.
    bool IsOn(DWORD bits) const { return (s_state.flags & bits) != 0; }

    // Message call: formats the text (at most 1024 bytes) and writes
    // "<routine>: <text>". The caller tests the level bit first.
    void Print(LPCSTR szFormat, ...) const __attribute__((format(printf, 2, 3)))
    {
        va_list args;
        va_start(args, szFormat);
        PrintLine(s_state.flags, m_szRoutine, szFormat, args);
        va_end(args);
    }

    // Reports a traced operation's result when the return bit is set and
    // hands it back unchanged.
    template <class T>
    T LogReturn(LPCSTR szExpression, T value) const
    {
        return LogReturn(s_state.flags, m_szRoutine, szExpression, value);
    }

    template <class T>
    static T LogReturn(DWORD dwFlags, LPCSTR szRoutine, LPCSTR szExpression, T value)
    {
        if (dwFlags & CM_DEBUG_RETURN)
            WriteReturnLine(dwFlags, szRoutine, szExpression, cmDebugReturnWord(value));
        return value;
    }

private:
    static inline cmDebugSubsystemState s_state{};
};

// The flags word of subsystem id N (tests may set it directly).
template <DWORD N>
DWORD& cmDebugFlags()
{
    return cmDebugFunction<N>::State().flags;
}

// A module's log subsystem: a static object that is itself a guard, alive
// from start-up to exit. Its construction sets the id's name slot, reads the
// flags word stored under its name (creating it as 0 when missing) and
// registers the log sinks those flags ask for; the last object constructed
// for an id governs all modules of that id. Its destruction removes every
// log sink. The program's subsystem objects are in cmDebugSubsystems.h.
template <DWORD N>
class cmDebugSupportEx : public cmDebugFunction<N> {
public:
    explicit cmDebugSupportEx(LPCSTR szName, LPCSTR szLogFile = nullptr)
        : cmDebugFunction<N>(szName, &m_record)
    {
        cmDebugSubsystemState& state = cmDebugFunction<N>::State();
        state.totals.name = szName;
        cmDebugBase::RegisterSubsystem(state);
        state.flags = cmLogStartSubsystem(szName, szLogFile);
    }

    ~cmDebugSupportEx() override
    {
        cmDebugBase::SubsystemEnding(cmDebugFunction<N>::State().flags);
        RemoveLogOutput(nullptr);
    }

    LPCSTR GetName() const { return this->GetRoutineName(); }

private:
    cmDebugStatistics m_record{};
};

// A routine's statistics record: registered on the routine's first call
// (a function-local static), counted on every call.
class cmDebugRoutineRecord {
public:
    explicit cmDebugRoutineRecord(LPCSTR szName) { cmDebugBase::RegisterRoutine(&m_stats, szName); }
    cmDebugRoutineRecord(const cmDebugRoutineRecord&) = delete;
    cmDebugRoutineRecord& operator=(const cmDebugRoutineRecord&) = delete;

    void Count()
    {
        std::atomic_ref<DWORD> n(m_stats.invocations);
        n.store(n.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    }
    cmDebugStatistics* Get() { return &m_stats; }

private:
    cmDebugStatistics m_stats{};
};

#define CM_TRACE_FUNCTION(id, name)                       \
    static cmDebugRoutineRecord cmTraceRecord_((name));   \
    cmTraceRecord_.Count();                               \
    cmDebugFunction<(id)> cmTraceGuard_((name), cmTraceRecord_.Get())

// Leaves the traced operation with the value of expr, reported under its source text.
#define CM_TRACE_RETURN(expr) return cmTraceGuard_.LogReturn(#expr, (expr))
// The same with a text of the caller's ("hr" for a value held elsewhere).
#define CM_TRACE_RETURN_AS(text, expr) return cmTraceGuard_.LogReturn((text), (expr))

// A message of the current trace guard when any of the level bits is set.
#define CM_TRACE_PRINT(bits, ...)             \
    do {                                      \
        if (cmTraceGuard_.IsOn(bits))         \
            cmTraceGuard_.Print(__VA_ARGS__); \
    } while (0)
#define CM_TRACE_INFO(...) CM_TRACE_PRINT(CM_DEBUG_INFO, __VA_ARGS__)
#define CM_TRACE_WARNING(...) CM_TRACE_PRINT(CM_DEBUG_WARNING, __VA_ARGS__)
#define CM_TRACE_DETAIL(...) CM_TRACE_PRINT(CM_DEBUG_DETAIL, __VA_ARGS__)
