// The cost of a trace guard with every diagnostic bit clear: the same small
// routine with and without CM_TRACE_FUNCTION / CM_TRACE_RETURN. The final line
// prints the nanoseconds a guard adds to a call, and the ratio.
// bench-layers: cmlib
#include "CustomCode/Common/cmDebugSupport.h"
#include "platform/Environment.h"
#include "platform/TempDirectory.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>

namespace {

// The log subsystems read their switches from the store during static
// start-up; this runs first and gives them a private, empty store.
struct PrivateState {
    platform::ScopedTempDirectory dir{"bench-trace"};
    PrivateState()
    {
        SetEnvironmentVariableA("BRELVO_REGISTRY", (dir.Path() + "/registry.sqlite").c_str());
        SetEnvironmentVariableA("BRELVO_LOG_FILE", (dir.Path() + "/logfile").c_str());
        SetEnvironmentVariableA("BRELVO_RUNTIME_DIR", (dir.Path() + "/runtime").c_str());
    }
};
__attribute__((init_priority(101))) PrivateState g_state;

constexpr DWORD kBenchId = 0x7E9;

__attribute__((noinline)) HRESULT Plain(int x)
{
    HRESULT hr = (x & 1) ? S_FALSE : S_OK;
    benchmark::DoNotOptimize(hr);
    return hr;
}

__attribute__((noinline)) HRESULT Traced(int x)
{
    CM_TRACE_FUNCTION(kBenchId, "Bench::Traced");
    HRESULT hr = (x & 1) ? S_FALSE : S_OK;
    benchmark::DoNotOptimize(hr);
    CM_TRACE_RETURN(hr);
}

std::map<std::string, double>& Timings()
{
    static std::map<std::string, double> t;
    return t;
}

void BM_PlainCall(benchmark::State& state)
{
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(Plain(++i));
}

void BM_TracedCallAllBitsClear(benchmark::State& state)
{
    cmDebugFlags<kBenchId>() = 0;
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(Traced(++i));
}

BENCHMARK(BM_PlainCall);
BENCHMARK(BM_TracedCallAllBitsClear);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration)
                Timings()[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const double plain = Timings()["BM_PlainCall"];
    const double traced = Timings()["BM_TracedCallAllBitsClear"];
    if (plain > 0 && traced > 0)
        std::printf("trace guard, all bits clear: %.2f ns added per call (traced / plain: %.2f)\n", traced - plain,
                    traced / plain);
    return 0;
}
