// Update configuration files from outside bytes: the input is a whole file
// (a length, then the packet). It is parsed the way ReadFileHandle does, and
// its packet part is also handed to SetPacket directly. Whatever was parsed,
// complete or not, must write out and read back to the same content.
// fuzz-layers: update
#include "Notifier/Retail/Common/tcConfigFileData.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void CheckRoundTrip(const tcConfigFileData& parsed)
{
    cmPacket written;
    if (FAILED(parsed.GetPacket(written)))
        std::abort();
    tcConfigFileData back;
    if (back.SetPacket(written) != S_OK || !(back == parsed))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 0xFFFFFFFFu)
        return 0;
    // As a file: the counted block first.
    cmPacket file(data, static_cast<DWORD>(size));
    cmPacket packet;
    if (SUCCEEDED(file.ReadPacket(packet))) {
        tcConfigFileData d;
        tcConfigFileStop stop;
        const HRESULT hr = d.SetPacket(packet, &stop);
        if (hr != S_OK && (hr != E_INVALIDARG || stop.dwOffset > packet.GetSize()))
            std::abort();
        CheckRoundTrip(d);
    }
    // As a bare packet.
    cmPacket bare(data, static_cast<DWORD>(size));
    tcConfigFileData e;
    const HRESULT hr = e.SetPacket(bare);
    if (hr != S_OK && hr != E_INVALIDARG)
        std::abort();
    CheckRoundTrip(e);
    return 0;
}
