// cmString::Format of a typical diagnostic line against snprintf of the same
// line; the final line prints how many times slower the message formatting is.
// bench-layers: cmlib
#include "CustomCode/Common/cmString.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr unsigned kCode = 0x80070002u;
const char kText[] = "The system cannot find the file specified.";

std::map<std::string, double>& Timings()
{
    static std::map<std::string, double> t;
    return t;
}

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
    const double ours = Timings()["BM_cmStringFormat"];
    const double base = Timings()["BM_snprintf"];
    if (ours > 0 && base > 0)
        std::printf("ratio cmString::Format / snprintf: %.2f\n", ours / base);
    return 0;
}
