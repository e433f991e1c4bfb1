#include "CustomCode/Common/cmDebugReport.h"

#include "CustomCode/Common/cmDebugSupport.h"
#include "platform/linux/LogFile.h"
#include "platform/user32/Clipboard.h"

#include <atomic>
#include <cstdio>
#include <string>

namespace {

std::uint64_t Load(const std::uint64_t& v)
{
    return std::atomic_ref<std::uint64_t>(const_cast<std::uint64_t&>(v)).load(std::memory_order_relaxed);
}

unsigned Ms(std::uint64_t time100ns) { return static_cast<unsigned>(time100ns / 10000); }

const cmDebugStatistics* Head(cmDebugStatistics* const& head)
{
    return std::atomic_ref<cmDebugStatistics*>(const_cast<cmDebugStatistics*&>(head)).load(std::memory_order_acquire);
}

// Records are pushed at the head and never removed; a list longer than any
// program's routine count means a broken chain, and the walk stops there.
constexpr int kMaxRecords = 100000;

}  // namespace

cmString cmDebugStatisticsReport()
{
    const cmDebugSharedData_V2* d = cmDebugBase::GetSharedData();
    const std::uint64_t div = cmDebugBase::GetWallDivisor();
    std::string text = "Subsystem\t\tRaw User\tRaw Kernel\tCooked User\tCooked Kernel\tRaw Wall\tCooked Wall\n";
    char line[1024];
    int n = 0;
    for (const cmDebugStatistics* s = Head(d->pSubsystems); s != nullptr && n < kMaxRecords; s = s->next, ++n) {
        std::snprintf(line, sizeof line, "%s\t\t%u\t%u\t%u\t%u\t%u\t%u\n", s->name ? s->name : "(null)",
                      Ms(Load(s->rawUserTime)), Ms(Load(s->rawKernelTime)), Ms(Load(s->cookedUserTime)),
                      Ms(Load(s->cookedKernelTime)), static_cast<unsigned>(Load(s->rawWallTicks) / div),
                      static_cast<unsigned>(Load(s->cookedWallTicks) / div));
        text += line;
    }
    text += "\n\n\n";
    text += "Routine\tInvocations\tRaw User\tRaw Kernel\tCooked User\tCooked Kernel\tRaw Wall\tCooked Wall\n";
    n = 0;
    for (const cmDebugStatistics* s = Head(d->pRoutines); s != nullptr && n < kMaxRecords; s = s->next, ++n) {
        const DWORD calls =
            std::atomic_ref<DWORD>(const_cast<DWORD&>(s->invocations)).load(std::memory_order_relaxed);
        std::snprintf(line, sizeof line, "%s\t%u\t%u\t%u\t%u\t%u\t%u\t%u\n", s->name ? s->name : "(null)",
                      static_cast<unsigned>(calls), Ms(Load(s->rawUserTime)), Ms(Load(s->rawKernelTime)),
                      Ms(Load(s->cookedUserTime)), Ms(Load(s->cookedKernelTime)),
                      static_cast<unsigned>(Load(s->rawWallTicks) / div),
                      static_cast<unsigned>(Load(s->cookedWallTicks) / div));
        text += line;
    }
    return cmString(text.c_str(), static_cast<DWORD>(text.size()));
}

HRESULT cmDebugWriteStatisticsReport()
{
    const cmString report = cmDebugStatisticsReport();
    const std::string text(report.GetText(), report.GetLengthInTchars());
    if (platform::PutTextOnClipboard(text))
        return S_OK;
    const std::string log = platform::DefaultLogFilePath();
    const std::string::size_type slash = log.rfind('/');
    const std::string path = (slash == std::string::npos) ? "statistics.txt" : log.substr(0, slash + 1) + "statistics.txt";
    platform::NewTextFile file;
    DWORD e = file.Create(path);
    if (e == ERROR_SUCCESS)
        e = file.Write(text.data(), text.size());
    return HRESULT_FROM_WIN32(e);
}
