// Start-up costs as a user sees them, each a whole process from start to end:
// - a notifier run in which nothing is due (the user chose to be reminded
//   later) against the smallest program that opens the same store and reads
//   one value: the dialogs' toolkit must cost such a run nothing;
// - the skinned update dialog from process start to its first paint whole
//   (module loaded and Qt started on demand, template, texts, picture,
//   layout, the skin's frame, caption and button images) against a bare Qt
//   window of the same outer size.
// Both dialogs run on Qt's offscreen platform.
// bench-layers: update
#include "CustomCode/Common/cmRegistryKey.h"
#include "platform/gdi32/FontMetrics.h"
#include "platform/kernel32/ChildProcess.h"
#include "platform/kernel32/Environment.h"
#include "platform/kernel32/MulDiv.h"
#include "platform/linux/TempDirectory.h"
#include "update/BSURegistryLayout.h"
#include "update/CNotificationData.h"

#include "bench/support/BenchRun.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <string>

namespace {

std::string Build(const std::string& relative)
{
    return std::string(NOTIFIER_BINARY_DIR) + "/" + relative;
}

// Runs a program to its end (a blocking wait, so the timing has no polling
// steps); false when it cannot start or fails.
bool Run(const std::vector<std::string>& argv)
{
    platform::ChildProcess child;
    if (child.Start(argv) != ERROR_SUCCESS)
        return false;
    int code = -1;
    return child.Wait(-1, code) && code == 0;
}

void SetNotDue()
{
    cmRegistryKey key =
        cmRegistryKey(HKEY_LOCAL_MACHINE, szBSUNotificationKey, cmRegistryCreate::CreateMissing).GetWritableCopy();
    key.SetDword(szBSUStatusValue, 2);
    key.SetString(szBSUNextUpdateValue, CNotificationData::DateToText(CNotificationData::Now() + 7.0));
}

void Time(benchmark::State& state, const std::vector<std::string>& argv)
{
    for (auto _ : state)
        if (!Run(argv))
            state.SkipWithError(("failed: " + argv[0]).c_str());
}

void BM_NotifierNotDue(benchmark::State& state)
{
    SetNotDue();
    Time(state, {Build("Notifier")});
}
BENCHMARK(BM_NotifierNotDue)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StoreReadProgram(benchmark::State& state)
{
    SetNotDue();
    Time(state, {Build("bench/probes/bench_probe_store_read")});
}
BENCHMARK(BM_StoreReadProgram)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_UpdateDialogVisible(benchmark::State& state)
{
    platform::ScopedTempDirectory dir("bench-dialog");
    const std::string folder = dir.Path() + "/update";
    std::filesystem::copy(Build("sample-update"), folder, std::filesystem::copy_options::recursive);
    cmRegistryKey(HKEY_LOCAL_MACHINE, szBSUUpdaterKey, cmRegistryCreate::CreateMissing)
        .GetWritableCopy()
        .SetString(szBSUNewUpdateValue, cmString(folder.c_str()));
    SetEnvironmentVariableA("QT_QPA_PLATFORM", "offscreen");
    SetEnvironmentVariableA("BRELVO_GUI_MODULE", Build("NotifierQt.so").c_str());
    Time(state, {Build("bench/probes/bench_probe_dialog")});
}
BENCHMARK(BM_UpdateDialogVisible)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BareQtWindowVisible(benchmark::State& state)
{
    SetEnvironmentVariableA("QT_QPA_PLATFORM", "offscreen");
    // The update dialog's outer size with the sample picture: 500 x 300 and
    // 32 across, the buttons' row (24 dialog units of the dialog font) and
    // 74 down.
    platform::FontBaseUnits units;
    const int buttons = platform::MeasureFontBaseUnits("DejaVu Sans", 11, &units) ? MulDiv(24, units.cy, 8) : 39;
    Time(state, {Build("bench/probes/bench_probe_bare_qt"), "532", std::to_string(300 + buttons + 74)});
}
BENCHMARK(BM_BareQtWindowVisible)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    const benchsupport::Timings t = benchsupport::RunBenchmarks(argc, argv);
    benchsupport::PrintRatio(t, "not-due Notifier run / store-read program", "BM_NotifierNotDue/real_time",
                             "BM_StoreReadProgram/real_time");
    benchsupport::PrintRatio(t, "update dialog visible / bare Qt window visible", "BM_UpdateDialogVisible/real_time",
                             "BM_BareQtWindowVisible/real_time");
    return 0;
}
