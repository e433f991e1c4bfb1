// Per-module log subsystems (cmDebugSupportEx<N>) and per-operation trace
// guards (cmDebugFunction<N>).
//
// Every traced operation opens its guard with CM_TRACE_FUNCTION(id, "Class::Op")
// and leaves through CM_TRACE_RETURN(expr), which reports the result under
// the expression's own source text ("hr"). The guards record nothing yet:
// the flags, line formats and timing are added with the logging support, and
// callers do not change then.
#pragma once

#include "CustomCode/Common/cmLog.h"
#include "platform/WinTypes.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>

// Level bits of a subsystem's flags word.
constexpr DWORD CM_DEBUG_INFO = 0x1;
constexpr DWORD CM_DEBUG_WARNING = 0x2;
constexpr DWORD CM_DEBUG_DETAIL = 0x4;

// The flags word of log subsystem id N. It reads 0 (everything off) until
// the logging support fills it at start-up; tests may set it directly.
template <DWORD N>
DWORD& cmDebugFlags()
{
    static DWORD flags = 0;
    return flags;
}

// Per-routine (or per-subsystem) timing totals; 64 bytes in the shared debug block.
struct cmDebugStatistics {
    std::uint64_t rawWallTicks;
    std::uint64_t cookedWallTicks;
    std::uint64_t rawUserTime;
    std::uint64_t cookedUserTime;
    std::uint64_t rawKernelTime;
    std::uint64_t cookedKernelTime;
    std::uint32_t next;
    std::uint32_t name;
    std::uint32_t invocations;
    std::uint32_t reserved;
};

class cmDebugBase {
public:
    cmDebugBase() = default;
    cmDebugBase(const cmDebugBase&) = delete;
    cmDebugBase& operator=(const cmDebugBase&) = delete;
    virtual ~cmDebugBase() = default;
};

template <DWORD N>
class cmDebugFunction : public cmDebugBase {
public:
    explicit cmDebugFunction(LPCSTR szRoutine, cmDebugStatistics* pStats = nullptr)
        : m_szRoutine(szRoutine), m_pStats(pStats)
    {
    }

    LPCSTR GetRoutineName() const { return m_szRoutine; }

    // Whether any of the level bits is set for this subsystem.
    bool IsOn(DWORD bits) const { return (cmDebugFlags<N>() & bits) != 0; }

    // Message call: writes "<routine>: <text>". The caller tests the level bit
    // first (CM_TRACE_PRINT does both).
    void Print(LPCSTR szFormat, ...) const __attribute__((format(printf, 2, 3)))
    {
        char text[1024];
        va_list args;
        va_start(args, szFormat);
        std::vsnprintf(text, sizeof text, szFormat, args);
        va_end(args);
        cmLogPrint("%s: %s", m_szRoutine, text);
    }

    // Reports a traced operation's result and hands it back unchanged.
    template <class T>
    T LogReturn(LPCSTR /*szExpression*/, T value) const
    {
        return value;
    }

private:
    LPCSTR m_szRoutine;
    cmDebugStatistics* m_pStats;
};

// A module's log subsystem: its name is the value name of its flags word.
template <DWORD N>
class cmDebugSupportEx : public cmDebugFunction<N> {
public:
    explicit cmDebugSupportEx(LPCSTR szName) : cmDebugFunction<N>(szName) {}
};

#define CM_TRACE_FUNCTION(id, name)            \
    static cmDebugStatistics cmTraceStats_ {}; \
    cmDebugFunction<id> cmTraceGuard_((name), &cmTraceStats_)

#define CM_TRACE_RETURN(expr) return cmTraceGuard_.LogReturn(#expr, (expr))

// A message of the current trace guard at the given level bits.
#define CM_TRACE_PRINT(bits, ...)               \
    do {                                        \
        if (cmTraceGuard_.IsOn(bits))           \
            cmTraceGuard_.Print(__VA_ARGS__);   \
    } while (0)
