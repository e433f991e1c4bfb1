#include "platform/version/VersionInfo.h"

#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WinError.h"
#include "platform/linux/BoundedFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr DWORD kSignature = 0xFEEF04BDu;
constexpr std::uint32_t kNoteType = 1;
constexpr char kNoteName[] = "Brelvo";  // with its NUL, 7 bytes
constexpr std::uint32_t SHT_NOTE_TYPE = 7;
// Version notes sit near the start of a binary; files are read up to this.
constexpr std::size_t kMaxRead = 64u * 1024u * 1024u;

// Bounded reads of the ELF file's integers in its byte order.
class Bytes {
public:
    Bytes(const std::uint8_t* p, std::size_t n, bool bigEndian) : m_p(p), m_n(n), m_big(bigEndian) {}

    bool Get(std::uint64_t offset, std::size_t width, std::uint64_t& value) const
    {
        if (offset > m_n || m_n - offset < width)
            return false;
        value = 0;
        for (std::size_t i = 0; i < width; ++i) {
            const std::uint64_t b = m_p[offset + (m_big ? i : width - 1 - i)];
            value = (value << 8) | b;
        }
        return true;
    }
    std::size_t Size() const { return m_n; }
    const std::uint8_t* At(std::uint64_t offset) const { return m_p + offset; }

private:
    const std::uint8_t* m_p;
    std::size_t m_n;
    bool m_big;
};

// Walks the notes of one SHT_NOTE section.
bool FindInNotes(const Bytes& b, std::uint64_t offset, std::uint64_t size, WORD parts[4])
{
    if (offset > b.Size() || size > b.Size() - offset)
        return false;
    std::uint64_t pos = offset;
    const std::uint64_t end = offset + size;
    while (end - pos >= 12) {
        std::uint64_t namesz = 0, descsz = 0, type = 0;
        if (!b.Get(pos, 4, namesz) || !b.Get(pos + 4, 4, descsz) || !b.Get(pos + 8, 4, type))
            return false;
        pos += 12;
        const std::uint64_t nameSpan = (namesz + 3) & ~3ull;
        const std::uint64_t descSpan = (descsz + 3) & ~3ull;
        if (nameSpan > end - pos || descSpan > end - pos - nameSpan)
            return false;
        if (type == kNoteType && namesz == sizeof kNoteName && descsz == 8 &&
            std::memcmp(b.At(pos), kNoteName, sizeof kNoteName) == 0) {
            const std::uint64_t desc = pos + nameSpan;
            for (int i = 0; i < 4; ++i)
                parts[i] = static_cast<WORD>(b.At(desc)[2 * i] | (b.At(desc)[2 * i + 1] << 8));
            return true;
        }
        pos += nameSpan + descSpan;
    }
    return false;
}

bool ReadFileVersion(LPCSTR path, VS_FIXEDFILEINFO& info)
{
    if (path == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    std::string bytes;
    const DWORD read = platform::ReadFileWithin(path, kMaxRead, platform::OverLimit::ReadStart, bytes);
    if (read != ERROR_SUCCESS) {
        SetLastError(read);
        return false;
    }
    WORD parts[4] = {};
    if (!platform::ReadVersionNote(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), parts)) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return false;
    }
    std::memset(&info, 0, sizeof info);
    info.dwSignature = kSignature;
    info.dwStrucVersion = 0x00010000u;
    info.dwFileVersionMS = (static_cast<DWORD>(parts[0]) << 16) | parts[1];
    info.dwFileVersionLS = (static_cast<DWORD>(parts[2]) << 16) | parts[3];
    info.dwProductVersionMS = info.dwFileVersionMS;
    info.dwProductVersionLS = info.dwFileVersionLS;
    info.dwFileFlagsMask = 0x3F;
    info.dwFileType = 1;  // an application
    return true;
}

}  // namespace

namespace platform {

bool ReadVersionNote(const std::uint8_t* data, std::size_t size, WORD parts[4])
{
    if (data == nullptr || size < 16 || std::memcmp(data, "\x7F" "ELF", 4) != 0)
        return false;
    const bool is64 = data[4] == 2;
    if (data[4] != 1 && !is64)
        return false;
    if (data[5] != 1 && data[5] != 2)
        return false;
    const Bytes b(data, size, data[5] == 2);
    const std::size_t word = is64 ? 8 : 4;
    std::uint64_t shoff = 0, shentsize = 0, shnum = 0;
    if (!b.Get(is64 ? 0x28 : 0x20, word, shoff) || !b.Get(is64 ? 0x3A : 0x2E, 2, shentsize) ||
        !b.Get(is64 ? 0x3C : 0x30, 2, shnum))
        return false;
    if (shentsize < (is64 ? 64u : 40u))
        return false;
    for (std::uint64_t i = 0; i < shnum; ++i) {
        if (shoff > size || i > (size - shoff) / shentsize)
            return false;
        const std::uint64_t sh = shoff + i * shentsize;
        std::uint64_t type = 0, offset = 0, length = 0;
        if (!b.Get(sh + 4, 4, type) || !b.Get(sh + (is64 ? 0x18 : 0x10), word, offset) ||
            !b.Get(sh + (is64 ? 0x20 : 0x14), word, length))
            return false;
        if (type == SHT_NOTE_TYPE && FindInNotes(b, offset, length, parts))
            return true;
    }
    return false;
}

}  // namespace platform

DWORD GetFileVersionInfoSizeA(LPCSTR lptstrFilename, DWORD* lpdwHandle)
{
    if (lpdwHandle != nullptr)
        *lpdwHandle = 0;
    VS_FIXEDFILEINFO info;
    return ReadFileVersion(lptstrFilename, info) ? static_cast<DWORD>(sizeof info) : 0;
}

BOOL GetFileVersionInfoA(LPCSTR lptstrFilename, DWORD, DWORD dwLen, LPVOID lpData)
{
    VS_FIXEDFILEINFO info;
    if (lpData == nullptr || !ReadFileVersion(lptstrFilename, info))
        return FALSE;
    if (dwLen < sizeof info) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(lpData, &info, sizeof info);
    return TRUE;
}

BOOL VerQueryValueA(LPCVOID pBlock, LPCSTR lpSubBlock, LPVOID* lplpBuffer, unsigned* puLen)
{
    if (pBlock == nullptr || lpSubBlock == nullptr || std::strcmp(lpSubBlock, "\\") != 0 || lplpBuffer == nullptr ||
        static_cast<const VS_FIXEDFILEINFO*>(pBlock)->dwSignature != kSignature)
        return FALSE;
    *lplpBuffer = const_cast<LPVOID>(pBlock);
    if (puLen != nullptr)
        *puLen = sizeof(VS_FIXEDFILEINFO);
    return TRUE;
}
