// The cost of an update's size: PopulateMe on an update folder of 100,000
// files against one of 3 files (the listing stops at the first file, so the
// two should cost about the same), and DestroyFolder of a tree of 10,000
// files against `rm -rf` of the same tree.
// bench-layers: update
#include "CustomCode/Common/cmRegistryKey.h"
#include "Notifier/Retail/Common/tcConfigFileData.h"
#include "bench/support/BenchRun.h"
#include "platform/kernel32/ChildProcess.h"
#include "platform/kernel32/Environment.h"
#include "platform/linux/TempDirectory.h"
#include "update/BSURegistryLayout.h"
#include "update/CBSUMetaData.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string g_root;

void MakeUpdate(const std::string& folder, int files)
{
    std::filesystem::create_directories(folder);
    for (int i = 0; i < files - 1; ++i)
        std::ofstream(folder + "/file" + std::to_string(i) + ".bin") << i;
    tcConfigFileData config;
    config.SetCommand(cmString("setup.sh"));
    config.WriteFile((folder + "/Update.cfg").c_str());
}

void Populate(benchmark::State& state, const std::string& folder)
{
    cmRegistryKey(HKEY_LOCAL_MACHINE, szBSUUpdaterKey, cmRegistryCreate::CreateMissing)
        .GetWritableCopy()
        .SetString(szBSUNewUpdateValue, cmString(folder.c_str()));
    for (auto _ : state) {
        CBSUMetaData data;
        if (data.PopulateMe() != S_OK)
            state.SkipWithError("PopulateMe failed");
    }
}

void BM_PopulateMe_3Files(benchmark::State& state) { Populate(state, g_root + "/small"); }
void BM_PopulateMe_100000Files(benchmark::State& state) { Populate(state, g_root + "/large"); }
BENCHMARK(BM_PopulateMe_3Files)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PopulateMe_100000Files)->Unit(benchmark::kMicrosecond);

// 100 folders of 100 files.
void MakeTree(const std::string& tree)
{
    for (int d = 0; d < 100; ++d) {
        const std::string dir = tree + "/d" + std::to_string(d);
        std::filesystem::create_directories(dir);
        for (int f = 0; f < 100; ++f)
            std::ofstream(dir + "/f" + std::to_string(f)) << f;
    }
}

void BM_DestroyFolder(benchmark::State& state)
{
    const std::string tree = g_root + "/tree";
    CBSUMetaData data;
    for (auto _ : state) {
        state.PauseTiming();
        MakeTree(tree);
        state.ResumeTiming();
        if (data.DestroyFolder(tree.c_str()) != S_OK)
            state.SkipWithError("DestroyFolder failed");
    }
}

void BM_RmRf(benchmark::State& state)
{
    const std::string tree = g_root + "/tree";
    for (auto _ : state) {
        state.PauseTiming();
        MakeTree(tree);
        state.ResumeTiming();
        platform::ChildProcess rm;
        int code = -1;
        if (rm.Start({"rm", "-rf", tree}) != 0 || !rm.Wait(-1, code) || code != 0)
            state.SkipWithError("rm -rf failed");
    }
}
BENCHMARK(BM_DestroyFolder)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_RmRf)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv)
{
    platform::ScopedTempDirectory dir("bench-update");
    g_root = dir.Path();
    SetEnvironmentVariableA("BRELVO_REGISTRY", (g_root + "/registry.sqlite").c_str());
    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", nullptr);
    MakeUpdate(g_root + "/small", 3);
    MakeUpdate(g_root + "/large", 100000);
    const benchsupport::Timings t = benchsupport::RunBenchmarks(argc, argv);
    benchsupport::PrintRatio(t, "PopulateMe 100,000 files / 3 files", "BM_PopulateMe_100000Files", "BM_PopulateMe_3Files");
    benchsupport::PrintRatio(t, "DestroyFolder / rm -rf", "BM_DestroyFolder/iterations:5", "BM_RmRf/iterations:5");
    return 0;
}
