// WindowDatagram: the one datagram that carries a window message between
// processes, and its strict reader.
//
// Layout (56 bytes, little-endian): "BWMS", version 1 (16 bits), kind (16
// bits: 1 post, 2 send, 3 reply), target window number (32), message (32),
// wParam (64), lParam (64), sequence (64: matches a send to its reply),
// result (64: replies only), sender process id (32), 32 zero bits. Only the
// bytes are trusted, never a pointer: the reader accepts a datagram only when
// every field is in range for its kind.
#pragma once

#include "platform/kernel32/WinTypes.h"

#include <cstddef>
#include <cstdint>

namespace platform {

enum class DatagramKind : std::uint16_t { Post = 1, Send = 2, Reply = 3 };

struct WindowDatagram {
    DatagramKind kind = DatagramKind::Post;
    DWORD targetWindow = 0;  // the addressed window's number
    UINT message = 0;
    std::uint64_t wParam = 0;
    std::int64_t lParam = 0;
    std::uint64_t sequence = 0;  // sends and replies: nonzero
    std::int64_t result = 0;     // replies only
    DWORD senderPid = 0;
};

constexpr std::size_t kWindowDatagramSize = 56;

// Messages that may cross a process boundary: WM_USER and above (WM_USER,
// WM_APP and registered ranges), which by convention carry no pointers.
constexpr bool IsCrossProcessMessage(UINT message) { return message >= 0x0400 && message <= 0xFFFF; }

void EncodeWindowDatagram(const WindowDatagram& d, std::uint8_t (&out)[kWindowDatagramSize]);

// True when data holds exactly one valid datagram; out is filled then.
bool ParseWindowDatagram(const std::uint8_t* data, std::size_t size, WindowDatagram& out);

}  // namespace platform
