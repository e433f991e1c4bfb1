// The exception guard changes the process's signal actions and the thread's
// alternate stack only while a guard lives (its faults themselves are tested
// in processes of their own: tests/objdb/CrashFilterTest.cpp).
#include "platform/dbghelp/ExceptionGuard.h"

#include <gtest/gtest.h>
#include <iterator>
#include <signal.h>

namespace {

constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP};

extern "C" void ProgramsOwnHandler(int) {}

LONG NeverHandles(EXCEPTION_POINTERS*, void*) { return EXCEPTION_CONTINUE_SEARCH; }
void NoHandler(EXCEPTION_POINTERS*, void*) {}

struct sigaction ActionOf(int nSignal)
{
    struct sigaction current {};
    ::sigaction(nSignal, nullptr, &current);
    return current;
}

stack_t AltStack()
{
    stack_t current{};
    ::sigaltstack(nullptr, &current);
    return current;
}

}  // namespace

TEST(ExceptionGuard, SignalActionsAndTheAltStackAreTheGuardsOnlyWhileOneLives)
{
    struct sigaction before[std::size(kFaultSignals)];
    struct sigaction program {};
    program.sa_handler = ProgramsOwnHandler;
    for (std::size_t i = 0; i < std::size(kFaultSignals); ++i)
        ASSERT_EQ(::sigaction(kFaultSignals[i], &program, &before[i]), 0);
    const stack_t stackBefore = AltStack();

    {
        platform::ExceptionGuard outer(&NeverHandles, &NoHandler, nullptr);
        const stack_t guarded = AltStack();
        EXPECT_EQ(guarded.ss_flags & SS_DISABLE, 0);
        EXPECT_GE(guarded.ss_size, 32u * 1024u) << "room for the handler when the stack ran out";
        {
            platform::ExceptionGuard inner(&NeverHandles, &NoHandler, nullptr);
            EXPECT_EQ(AltStack().ss_sp, guarded.ss_sp) << "nested guards share it";
        }
        for (int nSignal : kFaultSignals) {
            const struct sigaction ours = ActionOf(nSignal);
            EXPECT_NE(ours.sa_handler, ProgramsOwnHandler) << "signal " << nSignal << " after the inner guard";
            EXPECT_NE(ours.sa_flags & SA_ONSTACK, 0);
        }
    }

    for (int nSignal : kFaultSignals)
        EXPECT_EQ(ActionOf(nSignal).sa_handler, ProgramsOwnHandler) << "signal " << nSignal;
    const stack_t stackAfter = AltStack();
    EXPECT_EQ(stackAfter.ss_sp, stackBefore.ss_sp);
    EXPECT_EQ(stackAfter.ss_flags, stackBefore.ss_flags);
    for (std::size_t i = 0; i < std::size(kFaultSignals); ++i)
        ::sigaction(kFaultSignals[i], &before[i], nullptr);
}
