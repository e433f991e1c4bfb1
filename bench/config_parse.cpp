// Parsing an Update.cfg whose description is 16 MiB, against a memcpy of the
// same bytes: once from memory (SetPacket on the file's bytes) and once from
// the file on disk (ReadFile). The final lines print how many times the
// memcpy each parse takes.
// bench-layers: update
#include "Notifier/Retail/Common/tcConfigFileData.h"
#include "platform/linux/TempDirectory.h"

#include "bench/support/BenchRun.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr DWORD kDescriptionSize = 16u * 1024u * 1024u;

struct Fixture {
    platform::ScopedTempDirectory dir{"bench-cfg"};
    std::string path;
    std::vector<BYTE> file;

    Fixture()
    {
        tcConfigFileData d;
        d.SetCommand(cmString("setup.exe /quiet"));
        d.AddProductVersion(tcProductVersionInfo(cmString("Glimmary Pro"), cmString("5.1.2")));
        cmBuffer rtf;
        rtf.Allocate(kDescriptionSize);
        for (DWORD i = 0; i < kDescriptionSize; ++i)
            rtf.GetData()[i] = static_cast<BYTE>("{\\rtf1 Glimmary update}"[i % 24]);
        d.SetDesc(1033, rtf);
        tcHTMLDescriptionFolderList html;
        html[1033] = cmString("details/en/index.htm");
        d.SetHTMLDescriptionFolderList(html);
        path = dir.Path() + "/Update.cfg";
        d.WriteFile(path.c_str());
        std::ifstream in(path, std::ios::binary);
        file.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
};

Fixture& Data()
{
    static Fixture f;
    return f;
}

void BM_SetPacket(benchmark::State& state)
{
    const std::vector<BYTE>& file = Data().file;
    // The packet of the file: its bytes after the 4-byte length.
    cmPacket packet(file.data() + 4, static_cast<DWORD>(file.size() - 4));
    for (auto _ : state) {
        packet.SetCursor(0);
        tcConfigFileData d;
        if (d.SetPacket(packet) != S_OK)
            state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(d);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}

void BM_ReadFile(benchmark::State& state)
{
    const std::string& path = Data().path;
    for (auto _ : state) {
        tcConfigFileData d;
        if (d.ReadFile(path.c_str()) != S_OK)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(d);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Data().file.size()));
}

void BM_memcpy(benchmark::State& state)
{
    const std::vector<BYTE>& file = Data().file;
    std::vector<BYTE> target(file.size());
    for (auto _ : state) {
        std::memcpy(target.data(), file.data(), file.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}

BENCHMARK(BM_SetPacket)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_memcpy)->Unit(benchmark::kMillisecond);


}  // namespace

int main(int argc, char** argv)
{
    const benchsupport::Timings t = benchsupport::RunBenchmarks(argc, argv);
    benchsupport::PrintRatio(t, "SetPacket / memcpy", "BM_SetPacket", "BM_memcpy");
    benchsupport::PrintRatio(t, "ReadFile / memcpy", "BM_ReadFile", "BM_memcpy");
    return 0;
}
