// FormatMessageA on arbitrary format texts. The first input byte picks the
// flags (line width, ignore inserts); the rest is the format. Arguments come
// as an array of five texts long enough to be read as narrow or wide text,
// so every insert the format may name is either valid or refused. The result
// must fit the buffer, be terminated, and a failure must write nothing else.
// fuzz-layers: platform
#include "platform/kernel32/FormatMessage.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WinError.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

alignas(8) const char kArgs[5][16] = {"one", "two", "three", "", "five"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    DWORD flags = FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY;
    const std::uint8_t mode = data[0];
    if (mode & 0x1)
        flags |= FORMAT_MESSAGE_IGNORE_INSERTS;
    if (mode & 0x2)
        flags |= FORMAT_MESSAGE_MAX_WIDTH_MASK;
    else if (mode & 0x4)
        flags |= (mode >> 3) + 1;  // a wrapping width of 1 to 32
    const std::string format(reinterpret_cast<const char*>(data + 1), size - 1);
    const DWORD_PTR args[5] = {reinterpret_cast<DWORD_PTR>(kArgs[0]), reinterpret_cast<DWORD_PTR>(kArgs[1]),
                               reinterpret_cast<DWORD_PTR>(kArgs[2]), reinterpret_cast<DWORD_PTR>(kArgs[3]),
                               reinterpret_cast<DWORD_PTR>(kArgs[4])};
    static char buffer[1 << 16];
    const DWORD cb = 1 + static_cast<DWORD>(format.size() % sizeof buffer);
    std::memset(buffer, 0x55, sizeof buffer);
    SetLastError(0xFFFF);
    const DWORD n = FormatMessageA(flags, format.c_str(), 0, 0, buffer, cb, args, 5);
    if (n == 0) {
        const DWORD err = GetLastError();
        Require(err == ERROR_SUCCESS || err == ERROR_INVALID_PARAMETER || err == ERROR_INSUFFICIENT_BUFFER);
        Require(buffer[0] == '\0');
    } else {
        Require(n < cb);
        Require(buffer[n] == '\0');
    }
    Require(cb == sizeof buffer || buffer[cb] == 0x55);  // nothing beyond the buffer given
    return 0;
}
