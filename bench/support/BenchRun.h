// Runs a benchmark program's benchmarks with the usual console output and
// keeps each one's real time per iteration, so that main can print ratios
// against the baseline measured in the same run.
#pragma once

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace benchsupport {

// Real time per iteration in nanoseconds, by benchmark name.
using Timings = std::map<std::string, double>;

class TimingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs) {
            if (r.run_type == Run::RT_Iteration && r.iterations > 0)
                timings[r.benchmark_name()] = r.real_accumulated_time * 1e9 / static_cast<double>(r.iterations);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    Timings timings;
};

inline Timings RunBenchmarks(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    TimingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.timings;
}

// Prints "ratio <label>: x" when both were measured.
inline void PrintRatio(const Timings& t, const char* label, const std::string& ours, const std::string& base)
{
    const auto a = t.find(ours), b = t.find(base);
    if (a != t.end() && b != t.end() && b->second > 0)
        std::printf("ratio %s: %.2f\n", label, a->second / b->second);
}

}  // namespace benchsupport
