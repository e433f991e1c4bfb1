// The cost of the crash filter around a delivery: an empty listener called
// plainly, under the filter (signal actions and the alternate stack put in
// place and back), and under a filter nested in another (a delivery made
// from within a delivery). The final lines print the nanoseconds the filter
// adds per call.
// bench-layers: objdb
#include "objdb/pjCrashFilter.h"

#include "bench/support/BenchRun.h"

#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

__attribute__((noinline)) int Listener(int x)
{
    benchmark::DoNotOptimize(x);
    return x;
}

void BM_PlainCall(benchmark::State& state)
{
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(Listener(++i));
}

void BM_UnderCrashFilter(benchmark::State& state)
{
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(pjCallUnderCrashFilter([&] { return Listener(++i); }));
}

void BM_UnderNestedCrashFilter(benchmark::State& state)
{
    pjCrashFilter outer;
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(pjCallUnderCrashFilter([&] { return Listener(++i); }));
}

BENCHMARK(BM_PlainCall);
BENCHMARK(BM_UnderCrashFilter);
BENCHMARK(BM_UnderNestedCrashFilter);

}  // namespace

int main(int argc, char** argv)
{
    const benchsupport::Timings t = benchsupport::RunBenchmarks(argc, argv);
    const auto plain = t.find("BM_PlainCall");
    for (const char* name : {"BM_UnderCrashFilter", "BM_UnderNestedCrashFilter"}) {
        const auto guarded = t.find(name);
        if (plain != t.end() && guarded != t.end() && plain->second > 0)
            std::printf("%s: %.0f ns added per call (guarded / plain: %.1f)\n", name, guarded->second - plain->second,
                        guarded->second / plain->second);
    }
    return 0;
}
