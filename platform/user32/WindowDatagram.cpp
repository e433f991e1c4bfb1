#include "platform/user32/WindowDatagram.h"

#include <cstring>

namespace platform {

namespace {

constexpr std::uint8_t kMagic[4] = {'B', 'W', 'M', 'S'};
constexpr std::uint16_t kVersion = 1;

void Put(std::uint8_t* p, std::uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint64_t Get(const std::uint8_t* p, int bytes)
{
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= static_cast<std::uint64_t>(p[i]) << (8 * i);
    return v;
}

}  // namespace

void EncodeWindowDatagram(const WindowDatagram& d, std::uint8_t (&out)[kWindowDatagramSize])
{
    std::memcpy(out, kMagic, 4);
    Put(out + 4, kVersion, 2);
    Put(out + 6, static_cast<std::uint16_t>(d.kind), 2);
    Put(out + 8, d.targetWindow, 4);
    Put(out + 12, d.message, 4);
    Put(out + 16, d.wParam, 8);
    Put(out + 24, static_cast<std::uint64_t>(d.lParam), 8);
    Put(out + 32, d.sequence, 8);
    Put(out + 40, static_cast<std::uint64_t>(d.result), 8);
    Put(out + 48, d.senderPid, 4);
    Put(out + 52, 0, 4);
}

bool ParseWindowDatagram(const std::uint8_t* data, std::size_t size, WindowDatagram& out)
{
    if (data == nullptr || size != kWindowDatagramSize)
        return false;
    if (std::memcmp(data, kMagic, 4) != 0 || Get(data + 4, 2) != kVersion || Get(data + 52, 4) != 0)
        return false;
    WindowDatagram d;
    const std::uint64_t kind = Get(data + 6, 2);
    if (kind < 1 || kind > 3)
        return false;
    d.kind = static_cast<DatagramKind>(kind);
    d.targetWindow = static_cast<DWORD>(Get(data + 8, 4));
    d.message = static_cast<UINT>(Get(data + 12, 4));
    d.wParam = Get(data + 16, 8);
    d.lParam = static_cast<std::int64_t>(Get(data + 24, 8));
    d.sequence = Get(data + 32, 8);
    d.result = static_cast<std::int64_t>(Get(data + 40, 8));
    d.senderPid = static_cast<DWORD>(Get(data + 48, 4));
    if (d.senderPid == 0 || d.targetWindow == 0 || !IsCrossProcessMessage(d.message))
        return false;
    switch (d.kind) {
    case DatagramKind::Post:
        if (d.sequence != 0 || d.result != 0)
            return false;
        break;
    case DatagramKind::Send:
        if (d.sequence == 0 || d.result != 0)
            return false;
        break;
    case DatagramKind::Reply:
        if (d.sequence == 0)
            return false;
        break;
    }
    out = d;
    return true;
}

}  // namespace platform
