// The cost of a trace guard with every diagnostic bit clear: the same small
// routine with and without CM_TRACE_FUNCTION / CM_TRACE_RETURN. The final line
// prints the nanoseconds a guard adds to a call, and the ratio.
// bench-layers: cmlib
#include "CustomCode/Common/cmDebugSupport.h"

#include "bench/support/BenchRun.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>

namespace {

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


}  // namespace

int main(int argc, char** argv)
{
    const benchsupport::Timings t = benchsupport::RunBenchmarks(argc, argv);
    const auto plain = t.find("BM_PlainCall"), traced = t.find("BM_TracedCallAllBitsClear");
    if (plain != t.end() && traced != t.end() && plain->second > 0)
        std::printf("trace guard, all bits clear: %.2f ns added per call (traced / plain: %.2f)\n",
                    traced->second - plain->second, traced->second / plain->second);
    return 0;
}
