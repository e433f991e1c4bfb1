// Uncontended shared and exclusive acquire + release of cmReaderWriterLock
// against std::shared_mutex, and the round trip of a message broadcast to
// the top-level windows of another process, whose window answers with a
// broadcast of its own. Prints the two ratios and the round-trip time.
// bench-layers: cmlib
#include "CustomCode/Common/cmReaderWriterLock.h"
#include "CustomCode/Common/cmWaitForEvents.h"
#include "CustomCode/Common/cmWindow.h"
#include "bench/support/BenchRun.h"
#include "platform/kernel32/ChildProcess.h"
#include "platform/kernel32/Environment.h"
#include "platform/kernel32/Event.h"
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/Wait.h"
#include "platform/linux/TempDirectory.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <shared_mutex>
#include <string>

namespace {

constexpr char kPing[] = "BENCH_PING_MSG";
constexpr char kPong[] = "BENCH_PONG_MSG";

void BM_RwLockShared(benchmark::State& state)
{
    cmReaderWriterLock lock;
    for (auto _ : state) {
        cmLockToken t = lock.LockShared();
        benchmark::DoNotOptimize(t);
    }
}
void BM_RwLockExclusive(benchmark::State& state)
{
    cmReaderWriterLock lock;
    for (auto _ : state) {
        cmLockToken t = lock.LockExclusive();
        benchmark::DoNotOptimize(t);
    }
}
void BM_SharedMutexShared(benchmark::State& state)
{
    std::shared_mutex m;
    for (auto _ : state) {
        std::shared_lock<std::shared_mutex> l(m);
        benchmark::DoNotOptimize(l);
    }
}
void BM_SharedMutexExclusive(benchmark::State& state)
{
    std::shared_mutex m;
    for (auto _ : state) {
        std::unique_lock<std::shared_mutex> l(m);
        benchmark::DoNotOptimize(l);
    }
}
BENCHMARK(BM_RwLockShared);
BENCHMARK(BM_SharedMutexShared);
BENCHMARK(BM_RwLockExclusive);
BENCHMARK(BM_SharedMutexExclusive);

// A window that answers one registered message with a broadcast of another,
// or signals an event when the answer comes.
class Relay : public cmWindow {
public:
    Relay(const char* listen, const char* answer, HANDLE hGot)
        : m_listen(RegisterWindowMessageA(listen)), m_answer(answer ? RegisterWindowMessageA(answer) : 0), m_hGot(hGot)
    {
    }

protected:
    LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (uMsg != m_listen)
            return 0;
        if (m_answer != 0)
            platform::BroadcastWindowMessage(m_answer, wParam, lParam, platform::BroadcastMode::Post, 1000);
        if (m_hGot != nullptr)
            SetEvent(m_hGot);
        return 0;
    }

private:
    UINT m_listen, m_answer;
    HANDLE m_hGot;
};

std::string g_self;

void BM_BroadcastRoundTrip(benchmark::State& state)
{
    HANDLE got = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    Relay mine(kPong, nullptr, got);
    mine.Create(0, 0);
    platform::ChildProcess echo;
    if (echo.Start({g_self, "--echo"}) != 0) {
        state.SkipWithError("the echo process did not start");
        return;
    }
    const UINT ping = RegisterWindowMessageA(kPing);
    cmWaitForEvents wait;
    // Until the echo's window is there.
    bool ready = false;
    for (int i = 0; i < 500 && !ready; ++i) {
        platform::BroadcastWindowMessage(ping, 0, 0, platform::BroadcastMode::Post, 1000);
        ready = wait.WaitOne(got, 10, true) == 0;
    }
    if (!ready) {
        state.SkipWithError("the echo did not answer");
        return;
    }
    for (auto _ : state) {
        platform::BroadcastWindowMessage(ping, 1, 2, platform::BroadcastMode::Post, 1000);
        if (wait.WaitOne(got, 5000, true) != 0) {
            state.SkipWithError("an answer was lost");
            break;
        }
    }
    echo.Kill();
    CloseHandle(got);
}
BENCHMARK(BM_BroadcastRoundTrip)->Unit(benchmark::kMicrosecond);

int RunEcho()
{
    HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Relay echo(kPing, kPong, nullptr);
    if (!echo.Create(0, 0))
        return 1;
    cmWaitForEvents wait;
    wait.WaitOne(never, INFINITE, true);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--echo") == 0)
        return RunEcho();
    g_self = argv[0];
    platform::ScopedTempDirectory dir("bench-locks");
    SetEnvironmentVariableA("BRELVO_RUNTIME_DIR", (dir.Path() + "/runtime").c_str());
    const benchsupport::Timings t = benchsupport::RunBenchmarks(argc, argv);
    benchsupport::PrintRatio(t, "cmReaderWriterLock shared / std::shared_mutex shared", "BM_RwLockShared",
                             "BM_SharedMutexShared");
    benchsupport::PrintRatio(t, "cmReaderWriterLock exclusive / std::shared_mutex exclusive", "BM_RwLockExclusive",
                             "BM_SharedMutexExclusive");
    const auto rt = t.find("BM_BroadcastRoundTrip");
    if (rt != t.end())
        std::printf("broadcast round trip between two processes: %.1f us\n", rt->second / 1000.0);
    return 0;
}
