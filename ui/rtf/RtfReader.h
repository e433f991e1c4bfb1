// RtfReader: reads RTF bytes into an RtfDocument, the way a rich-edit control
// shows them. Bytes that do not start with "{\rtf" are plain text. The reader
// stays inside the bytes it is given and bounds its own memory: nesting depth,
// numbers and destinations it skips cannot make it crash or grow without end.
#pragma once

#include "ui/rtf/RtfDocument.h"

#include <cstddef>
#include <cstdint>

class RtfReader {
public:
    static RtfDocument Read(const std::uint8_t* data, std::size_t size);
};
