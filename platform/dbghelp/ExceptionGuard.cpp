#include "platform/dbghelp/ExceptionGuard.h"

#include "platform/dbghelp/SignalException.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <iterator>
#include <mutex>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP};
constexpr std::size_t kSignalCount = std::size(kFaultSignals);

// Room for the filters, the minidump writer and a report call, with an
// inaccessible page below it so that overrunning it faults at once.
constexpr std::size_t kAltStackSize = 64 * 1024;

static_assert(sizeof(stack_t) <= 32, "the guard keeps a stack_t");

// The process's signal actions while guards exist: the ones in place before
// the first guard, put back after the last. Written under the lock before
// the handler is installed, only read by the handler.
struct GuardedActions {
    std::mutex lock;
    int nGuards = 0;
    struct sigaction previous[kSignalCount] = {};
};
constinit GuardedActions g_actions;

// The innermost guard of the thread, read by the handler (initial-exec TLS
// needs no allocation when it is first touched, so it is safe there).
__attribute__((tls_model("initial-exec"))) thread_local ExceptionGuard* t_pInnermost = nullptr;

// The thread's alternate signal stack, made on its first guard and kept for
// its later ones; unmapped when the thread ends.
class AltStack {
public:
    AltStack() = default;
    AltStack(const AltStack&) = delete;
    AltStack& operator=(const AltStack&) = delete;
    ~AltStack()
    {
        if (m_pBase != nullptr)
            ::munmap(m_pBase, Total());
    }

    // The usable part, or null when it cannot be made.
    void* Top()
    {
        if (m_pBase == nullptr) {
            void* p = ::mmap(nullptr, Total(), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
            if (p == MAP_FAILED)
                return nullptr;
            ::mprotect(p, Page(), PROT_NONE);
            m_pBase = p;
        }
        return static_cast<char*>(m_pBase) + Page();
    }

private:
    static std::size_t Page() { return static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)); }
    static std::size_t Total() { return kAltStackSize + Page(); }
    void* m_pBase = nullptr;
};
thread_local AltStack t_altStack;

void OnFaultSignal(int nSignal, siginfo_t* pInfo, void* pContext) { ExceptionGuard::Dispatch(nSignal, pInfo, pContext); }

std::size_t IndexOf(int nSignal)
{
    for (std::size_t i = 0; i < kSignalCount; ++i) {
        if (kFaultSignals[i] == nSignal)
            return i;
    }
    return kSignalCount;
}

void InstallHandlers()
{
    std::lock_guard<std::mutex> hold(g_actions.lock);
    if (g_actions.nGuards++ > 0)
        return;
    struct sigaction ours {};
    ours.sa_sigaction = &OnFaultSignal;
    ours.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&ours.sa_mask);
    for (int nSignal : kFaultSignals)
        sigaddset(&ours.sa_mask, nSignal);
    for (std::size_t i = 0; i < kSignalCount; ++i)
        ::sigaction(kFaultSignals[i], &ours, &g_actions.previous[i]);
}

void RestoreHandlers()
{
    std::lock_guard<std::mutex> hold(g_actions.lock);
    if (--g_actions.nGuards > 0)
        return;
    for (std::size_t i = 0; i < kSignalCount; ++i)
        ::sigaction(kFaultSignals[i], &g_actions.previous[i], nullptr);
}

// The fault is not handled here: it goes to the action that was in place
// before the guards, as if they had never been there.
void PassOn(int nSignal, siginfo_t* pInfo, void* pContext)
{
    const std::size_t i = IndexOf(nSignal);
    if (i == kSignalCount)
        return;
    const struct sigaction& previous = g_actions.previous[i];
    if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        if ((previous.sa_flags & SA_SIGINFO) != 0)
            previous.sa_sigaction(nSignal, pInfo, pContext);
        else
            previous.sa_handler(nSignal);
        return;
    }
    // The default action: put it back, and let the signal come again. A
    // faulting instruction faults again when the handler returns; a signal
    // that was sent, or a trap (the instruction after it runs next), is sent
    // once more and arrives when the handler returns.
    ::sigaction(nSignal, &previous, nullptr);
    if (pInfo->si_code <= 0 || nSignal == SIGTRAP)
        ::syscall(SYS_tgkill, ::getpid(), ::gettid(), nSignal);
}

}  // namespace

ExceptionGuard::ExceptionGuard(PEXCEPTION_FILTER pFilter, PEXCEPTION_HANDLER pHandler, void* pParam)
    : m_pFilter(pFilter), m_pHandler(pHandler), m_pParam(pParam), m_pOuter(t_pInnermost)
{
    if (m_pOuter == nullptr) {
        // The thread's own stack may be what ran out: the handler needs another.
        if (void* pTop = t_altStack.Top()) {
            stack_t ours{};
            ours.ss_sp = pTop;
            ours.ss_size = kAltStackSize;
            auto* pPrevious = reinterpret_cast<stack_t*>(m_previousStack);
            m_bAltStack = ::sigaltstack(&ours, pPrevious) == 0;
        }
    }
    InstallHandlers();
    std::atomic_signal_fence(std::memory_order_seq_cst);
    t_pInnermost = this;
}

ExceptionGuard::~ExceptionGuard()
{
    t_pInnermost = m_pOuter;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    RestoreHandlers();
    if (m_bAltStack) {
        auto* pPrevious = reinterpret_cast<stack_t*>(m_previousStack);
        if ((pPrevious->ss_flags & SS_DISABLE) != 0) {
            stack_t none{};
            none.ss_flags = SS_DISABLE;
            ::sigaltstack(&none, nullptr);
        } else {
            ::sigaltstack(pPrevious, nullptr);
        }
    }
}

void ExceptionGuard::Dispatch(int nSignal, void* pSignalInfo, void* pSignalContext)
{
    const int savedErrno = errno;
    auto* pInfo = static_cast<siginfo_t*>(pSignalInfo);
    // Ours: a fault of a thread under a guard. A signal that a process sent
    // is not a fault of this thread's code.
    if (t_pInnermost != nullptr && pInfo->si_code > 0) {
        EXCEPTION_RECORD record;
        CONTEXT context;
        ExceptionFromSignal(nSignal, *pInfo, pSignalContext, record, context);
        EXCEPTION_POINTERS pointers{&record, &context};
        for (ExceptionGuard* pGuard = t_pInnermost; pGuard != nullptr; pGuard = pGuard->m_pOuter) {
            if (pGuard->m_pFilter(&pointers, pGuard->m_pParam) == EXCEPTION_EXECUTE_HANDLER) {
                pGuard->m_pHandler(&pointers, pGuard->m_pParam);
                break;
            }
        }
    }
    PassOn(nSignal, pInfo, pSignalContext);
    errno = savedErrno;
}

}  // namespace platform
