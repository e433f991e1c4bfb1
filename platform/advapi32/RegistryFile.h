// Registry files: the text format of "Windows Registry Editor Version 5.00"
// (and the older "REGEDIT4"), read into a list of keys with their values,
// and written back. The store itself is not touched here; brelvo-reg applies
// a parsed file and builds one to export.
//
// What the parser accepts:
//   - UTF-8 text (with or without a byte-order mark) or UTF-16LE with its mark;
//     lines end in CRLF or LF; ";" starts a comment line;
//   - [KEY\PATH] opens a key, [-KEY\PATH] deletes a key with everything below it;
//   - "name"=... or @=... (the default value), with \\ and \" escaped in quotes:
//     "text" (REG_SZ, stored with its terminating NUL), dword:1a2b3c4d,
//     hex:00,ff,... (REG_BINARY), hex(N):... (type N, N in hexadecimal),
//     or - to delete the value; hex data continues over lines that end in "\".
//   In a 5.00 file the text types written as hex (hex(1), hex(2), hex(7)) hold
//   UTF-16LE, as Windows writes them; they are converted to the store's UTF-8.
//   Bytes that are not UTF-8 travel as the lone surrogates U+DC80..U+DCFF, so
//   export and import reproduce any stored bytes exactly.
// Every error names its line; the parser never reads past the text it is given.
#pragma once

#include "platform/kernel32/WinTypes.h"

#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct RegFileValue {
    std::string name;   // empty: the key's default value ("@")
    bool remove = false;  // "name"=-
    DWORD type = 0;
    std::vector<BYTE> data;
    int line = 0;

    bool operator==(const RegFileValue& o) const
    {
        return name == o.name && remove == o.remove && type == o.type && data == o.data;
    }
};

struct RegFileKey {
    std::string path;     // as written, root included: "HKEY_LOCAL_MACHINE\SOFTWARE\..."
    bool remove = false;  // [-path]
    std::vector<RegFileValue> values;
    int line = 0;

    bool operator==(const RegFileKey& o) const { return path == o.path && remove == o.remove && values == o.values; }
};

struct RegFileDocument {
    std::vector<RegFileKey> keys;
};

struct RegFileError {
    int line = 0;  // 1-based; 0 when the error is about the whole file
    std::string message;
};

// Parses the file's bytes. On failure out holds what was read before the error.
bool ParseRegFile(std::string_view bytes, RegFileDocument& out, RegFileError& error);

// The document as a 5.00 file: UTF-8 without a byte-order mark, CRLF line
// ends, a blank line after the header and after each key. Text values are
// written in quotes when that form holds them exactly, else as hex(1).
// Fails, saying why in problem, for what the format cannot hold: a line
// break or NUL in a key path or value name, a key path starting with '-'.
bool FormatRegFile(const RegFileDocument& doc, std::string& out, std::string& problem);

// UTF-8 to UTF-16LE bytes and back, with the lone-surrogate escape for bytes
// that are not UTF-8. Utf16LeToUtf8 fails on an odd byte count or on a lone
// surrogate outside U+DC80..U+DCFF.
std::vector<BYTE> Utf8ToUtf16Le(std::string_view utf8);
bool Utf16LeToUtf8(const BYTE* data, std::size_t cb, std::string& out);

}  // namespace platform
