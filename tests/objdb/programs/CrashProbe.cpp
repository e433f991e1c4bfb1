// crash_probe MODE: a listener that faults while it is being delivered a
// change under the crash filter, as the database delivers one on the main
// thread. Before the delivery it writes, one per line, "listener <address>"
// (the faulting function) and "stack <address>" (a variable of main).
//
//   null      the listener reads through a null pointer
//   divide    the listener divides an integer by zero
//   overflow  the listener recurses until its stack runs out
//   outside   a delivery that goes well, then the same null read after it,
//             outside the filter
//   chained   the null read, in a program that has a SIGSEGV handler of its
//             own, which ends the process with 42
//   database  the null read in a listener of the object database, which the
//             database calls as it delivers a change on the main thread
//
// Ends with 13 after a reported fault, 0 when nothing faults, or dies of the
// signal when the fault is not the filter's to handle.
#include "objdb/pjCrashFilter.h"
#include "objdb/pjObjectDatabase.h"
#include "objdb/pjObjectEvents.h"
#include "objdb/pjSimpleObject.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int* volatile g_pNothing = nullptr;
volatile int g_zero = 0;
volatile bool g_stop = false;

// The faults are the point: they are kept from the sanitizers' own checks.
__attribute__((noinline, no_sanitize("undefined"))) int ListenerDereferencesNull() { return *g_pNothing + 1; }

__attribute__((noinline, no_sanitize("undefined"))) int ListenerDividesByZero()
{
    volatile int n = 42;
    return n / g_zero;
}

__attribute__((noinline, no_sanitize("undefined"))) int ListenerOverflowsTheStack(int depth)
{
    volatile char frame[1024];
    frame[depth % sizeof frame] = static_cast<char>(depth);
    if (g_stop)
        return 0;
    return ListenerOverflowsTheStack(depth + 1) + frame[0];
}

int OverflowFromTheTop() { return ListenerOverflowsTheStack(0); }

extern "C" void ProgramsOwnHandler(int) { std::_Exit(42); }

void Tell(const char* what, const void* address) { std::printf("%s %p\n", what, address); }

class FaultingListener : public pjObjectEvents {
public:
    void OnAddObject(pjObject*) override { ListenerDereferencesNull(); }
};

}  // namespace

int main(int argc, char** argv)
{
    const char* mode = argc > 1 ? argv[1] : "";
    int top = 0;
    Tell("stack", &top);
    int result = 0;
    if (std::strcmp(mode, "database") == 0) {
        Tell("listener", reinterpret_cast<const void*>(&ListenerDereferencesNull));
        std::fflush(stdout);
        pjObjectDatabase* pDatabase = GetObjectDatabase();
        FaultingListener listener;
        cmRefPtr<pjSimpleObject> object(new pjSimpleObject);
        pDatabase->xRegisterForObjectChangeEvents(&listener, nullptr);
        pDatabase->NotifyObjectChange(object.Get(), PJ_CHANGE_ADD_OBJECT);
        std::printf("survived\n");
        return 0;
    }
    if (std::strcmp(mode, "chained") == 0) {
        std::signal(SIGSEGV, ProgramsOwnHandler);
        mode = "null";
    }
    if (std::strcmp(mode, "null") == 0 || std::strcmp(mode, "outside") == 0) {
        Tell("listener", reinterpret_cast<const void*>(&ListenerDereferencesNull));
        std::fflush(stdout);
        if (std::strcmp(mode, "null") == 0) {
            result = pjCallUnderCrashFilter(ListenerDereferencesNull);
        } else {
            result = pjCallUnderCrashFilter([] { return 0; });
            result = ListenerDereferencesNull();
        }
    } else if (std::strcmp(mode, "divide") == 0) {
        Tell("listener", reinterpret_cast<const void*>(&ListenerDividesByZero));
        std::fflush(stdout);
        result = pjCallUnderCrashFilter(ListenerDividesByZero);
    } else if (std::strcmp(mode, "overflow") == 0) {
        Tell("listener", reinterpret_cast<const void*>(&ListenerOverflowsTheStack));
        std::fflush(stdout);
        result = pjCallUnderCrashFilter(OverflowFromTheTop);
    } else {
        std::fprintf(stderr, "usage: crash_probe null|divide|overflow|outside|chained\n");
        return 2;
    }
    std::printf("survived %d\n", result);
    return 0;
}
