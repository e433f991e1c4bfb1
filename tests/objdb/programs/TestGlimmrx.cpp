// A stand-in for the extension library: SealImage writes its three arguments
// ("report fault-address exception-address", hexadecimal addresses) to the
// file named by $GLIMMRX_TEST_RECORD. The other entries do nothing.
//
// SealImage is called from a signal handler, so it only makes system calls
// (open, write, close) on what was prepared when the library was loaded.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

char g_record[4096];

struct RecordPath {
    RecordPath()
    {
        if (const char* p = std::getenv("GLIMMRX_TEST_RECORD"))
            std::snprintf(g_record, sizeof g_record, "%s", p);
    }
} g_recordPath;

char* Decimal(char* p, std::uintmax_t v)
{
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    while (n > 0)
        *p++ = digits[--n];
    return p;
}

char* Hex(char* p, std::uintmax_t v)
{
    char digits[24];
    int n = 0;
    do {
        digits[n++] = "0123456789abcdef"[v % 16];
        v /= 16;
    } while (v != 0);
    while (n > 0)
        *p++ = digits[--n];
    return p;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void SealImage(std::uintptr_t fault, std::uint32_t report,
                                                                 std::uintptr_t address)
{
    if (g_record[0] == '\0')
        return;
    char line[80];
    char* p = Decimal(line, report);
    *p++ = ' ';
    p = Hex(p, fault);
    *p++ = ' ';
    p = Hex(p, address);
    *p++ = '\n';
    const int fd = ::open(g_record, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    if (::write(fd, line, static_cast<std::size_t>(p - line)) < 0) {
        // Nothing to do about it here: the test finds no record.
    }
    ::close(fd);
}

extern "C" __attribute__((visibility("default"))) void BoxImage(std::uintptr_t, std::uintptr_t) {}
extern "C" __attribute__((visibility("default"))) void FrameImage(std::uintptr_t) {}
extern "C" __attribute__((visibility("default"))) void MatteImage(std::uintptr_t) {}
