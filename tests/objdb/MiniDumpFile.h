// A reader of the minidump files the crash filter writes, for the tests: the
// stream directory, records at an offset, strings. Every read is bounds
// checked; a read outside the file gives zeros.
#pragma once

#include "platform/dbghelp/MiniDumpFormat.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

class MiniDumpFile {
public:
    explicit MiniDumpFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        m_bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    bool HasHeader() const
    {
        const auto header = Read<platform::minidump::Header>(0);
        return header.signature == platform::minidump::kSignature &&
               (header.version & 0xFFFF) == platform::minidump::kVersion;
    }

    // The stream's place in the file; dataSize 0 when the dump has none.
    platform::minidump::Location Stream(std::uint32_t type) const
    {
        const auto header = Read<platform::minidump::Header>(0);
        for (std::uint32_t i = 0; i < header.streamCount; ++i) {
            const auto entry = Read<platform::minidump::Directory>(header.streamDirectoryRva + i * 12);
            if (entry.streamType == type)
                return entry.location;
        }
        return {0, 0};
    }

    template <class T>
    T Read(std::uint64_t rva) const
    {
        T value{};
        if (rva + sizeof(T) <= m_bytes.size())
            std::memcpy(&value, m_bytes.data() + rva, sizeof(T));
        return value;
    }

    std::string Bytes(const platform::minidump::Location& at) const
    {
        if (std::uint64_t{at.rva} + at.dataSize > m_bytes.size())
            return std::string();
        return m_bytes.substr(at.rva, at.dataSize);
    }

    // A string of the format, its ASCII characters (others as '?').
    std::string String(std::uint32_t rva) const
    {
        const auto bytes = Read<std::uint32_t>(rva);
        std::string text;
        for (std::uint32_t i = 0; i + 2 <= bytes; i += 2) {
            const auto unit = Read<std::uint16_t>(std::uint64_t{rva} + 4 + i);
            text.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
        }
        return text;
    }

private:
    std::string m_bytes;
};
