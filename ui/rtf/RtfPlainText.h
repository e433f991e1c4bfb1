// Bytes that are not RTF, shown the way a rich-edit control shows plain
// text: UTF-8 when the bytes are valid UTF-8, otherwise code page 1252; one
// paragraph per line (CRLF, LF or CR), all in the control's own format.
#pragma once

#include "ui/rtf/RtfDocument.h"

#include <cstddef>
#include <cstdint>

RtfDocument ReadPlainText(const std::uint8_t* data, std::size_t size);
