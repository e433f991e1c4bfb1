// cmString::Format of a typical diagnostic line against snprintf of the same
// line; the final line prints how many times slower the message formatting is.
// bench-layers: cmlib
#include "CustomCode/Common/cmString.h"

#include "bench/support/BenchRun.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr unsigned kCode = 0x80070002u;
const char kText[] = "The system cannot find the file specified.";

void BM_cmStringFormat(benchmark::State& state)
{
    cmString s;
    for (auto _ : state) {
        s.Format("(0x%1!08x!) %2!s!", kCode, kText);
        benchmark::DoNotOptimize(s.GetText());
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_snprintf(benchmark::State& state)
{
    char buf[128];
    for (auto _ : state) {
        std::snprintf(buf, sizeof buf, "(0x%08x) %s", kCode, kText);
        benchmark::DoNotOptimize(buf);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_cmStringFormat);
BENCHMARK(BM_snprintf);


}  // namespace

int main(int argc, char** argv)
{
    const benchsupport::Timings t = benchsupport::RunBenchmarks(argc, argv);
    benchsupport::PrintRatio(t, "cmString::Format / snprintf", "BM_cmStringFormat", "BM_snprintf");
    return 0;
}
