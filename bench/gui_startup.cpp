// Start-up costs as a user sees them, each a whole process from start to end:
// - a notifier run in which nothing is due (the user chose to be reminded
//   later) against the smallest program that opens the same store and reads
//   one value: the dialogs' toolkit must cost such a run nothing;
// - the skinned update dialog from process start to its first paint whole
//   (module loaded and Qt started on demand, template, texts, picture,
//   layout, the skin's frame, caption and button images) against a bare Qt
//   window of the same outer size.
// The dialog and the bare window run on Qt's offscreen platform, and again on
// a real X server (a private Xvfb, when it is installed), where Qt reads the
// desktop's font setup (fontconfig) for any window, as the dialog does.
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
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

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

// A private X server for the runs on a real window system: Xvfb names its
// display once it accepts connections.
class VirtualX {
public:
    VirtualX()
    {
        m_folder = std::make_unique<platform::ScopedTempDirectory>("bench-x");
        platform::ChildProcess::Options o;
        o.stdoutFile = m_folder->Path() + "/display";
        o.stderrFile = m_folder->Path() + "/xvfb.log";
        if (m_server.Start({"Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"}, o) !=
            ERROR_SUCCESS)
            return;
        for (int i = 0; i < 1500 && !m_server.HasExited(); ++i) {
            std::ifstream in(o.stdoutFile);
            std::string number;
            if (std::getline(in, number) && in.good()) {
                m_name = ":" + number;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~VirtualX() { m_server.Stop(5000); }
    // ":N", or empty when no X server could be had.
    const std::string& Name() const { return m_name; }

private:
    std::unique_ptr<platform::ScopedTempDirectory> m_folder;
    platform::ChildProcess m_server;
    std::string m_name;
};

// The platform the dialog runs on: "offscreen", or an X server.
void UsePlatform(benchmark::State& state, bool x11)
{
    if (!x11) {
        SetEnvironmentVariableA("QT_QPA_PLATFORM", "offscreen");
        return;
    }
    static VirtualX x;  // made at the first run on X, ended when the benchmarks end
    if (x.Name().empty()) {
        state.SkipWithError("no X server (Xvfb is not installed)");
        return;
    }
    SetEnvironmentVariableA("QT_QPA_PLATFORM", "xcb");
    SetEnvironmentVariableA("DISPLAY", x.Name().c_str());
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

void BM_UpdateDialogVisible(benchmark::State& state, bool x11)
{
    platform::ScopedTempDirectory dir("bench-dialog");
    const std::string folder = dir.Path() + "/update";
    std::filesystem::copy(Build("sample-update"), folder, std::filesystem::copy_options::recursive);
    cmRegistryKey(HKEY_LOCAL_MACHINE, szBSUUpdaterKey, cmRegistryCreate::CreateMissing)
        .GetWritableCopy()
        .SetString(szBSUNewUpdateValue, cmString(folder.c_str()));
    UsePlatform(state, x11);
    SetEnvironmentVariableA("BRELVO_GUI_MODULE", Build("NotifierQt.so").c_str());
    Time(state, {Build("bench/probes/bench_probe_dialog")});
}
BENCHMARK_CAPTURE(BM_UpdateDialogVisible, offscreen, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_UpdateDialogVisible, x11, true)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BareQtWindowVisible(benchmark::State& state, bool x11)
{
    UsePlatform(state, x11);
    // The update dialog's outer size with the sample picture: 500 x 300 and
    // 32 across, the buttons' row (24 dialog units of the dialog font) and
    // 74 down.
    platform::FontBaseUnits units;
    const int buttons = platform::MeasureFontBaseUnits("DejaVu Sans", 11, &units) ? MulDiv(24, units.cy, 8) : 39;
    Time(state, {Build("bench/probes/bench_probe_bare_qt"), "532", std::to_string(300 + buttons + 74)});
}
BENCHMARK_CAPTURE(BM_BareQtWindowVisible, offscreen, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_BareQtWindowVisible, x11, true)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    const benchsupport::Timings t = benchsupport::RunBenchmarks(argc, argv);
    benchsupport::PrintRatio(t, "not-due Notifier run / store-read program", "BM_NotifierNotDue/real_time",
                             "BM_StoreReadProgram/real_time");
    benchsupport::PrintRatio(t, "update dialog visible / bare Qt window visible, offscreen",
                             "BM_UpdateDialogVisible/offscreen/real_time", "BM_BareQtWindowVisible/offscreen/real_time");
    benchsupport::PrintRatio(t, "update dialog visible / bare Qt window visible, X server",
                             "BM_UpdateDialogVisible/x11/real_time", "BM_BareQtWindowVisible/x11/real_time");
    return 0;
}
