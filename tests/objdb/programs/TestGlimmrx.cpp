// A stand-in for the extension library: SealImage writes its three arguments
// ("report fault-address exception-address", hexadecimal addresses) to the
// file named by $GLIMMRX_TEST_RECORD. The other entries do nothing.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// Taken when the library is loaded: the report comes from a signal handler.
char g_record[4096];

struct RecordPath {
    RecordPath()
    {
        if (const char* p = std::getenv("GLIMMRX_TEST_RECORD"))
            std::snprintf(g_record, sizeof g_record, "%s", p);
    }
} g_recordPath;

}  // namespace

extern "C" __attribute__((visibility("default"))) void SealImage(std::uintptr_t fault, std::uint32_t report,
                                                                 std::uintptr_t address)
{
    if (g_record[0] == '\0')
        return;
    if (std::FILE* f = std::fopen(g_record, "w")) {
        std::fprintf(f, "%u %jx %jx\n", report, static_cast<std::uintmax_t>(fault), static_cast<std::uintmax_t>(address));
        std::fclose(f);
    }
}

extern "C" __attribute__((visibility("default"))) void BoxImage(std::uintptr_t, std::uintptr_t) {}
extern "C" __attribute__((visibility("default"))) void FrameImage(std::uintptr_t) {}
extern "C" __attribute__((visibility("default"))) void MatteImage(std::uintptr_t) {}
