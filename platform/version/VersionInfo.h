// File version information (GetFileVersionInfoSizeA, GetFileVersionInfoA,
// VerQueryValueA) read from the version note that the build writes into the
// program's own binaries.
//
// The note is an ELF note named "Brelvo", type 1, whose 8 bytes are the four
// 16-bit parts of the file version (major, minor, build, revision), little
// endian. A file without that note (any file not built by this project, or
// not an ELF file at all) has no version information, as a Windows file
// without a version resource. The version block handed out is the 52-byte
// VS_FIXEDFILEINFO, found by VerQueryValueA under the root block "\".
#pragma once

#include "platform/kernel32/WinTypes.h"

#include <cstddef>
#include <cstdint>

struct VS_FIXEDFILEINFO {
    DWORD dwSignature;  // 0xFEEF04BD
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
};
static_assert(sizeof(VS_FIXEDFILEINFO) == 52);

// The size of the file's version block, or 0 (last error
// ERROR_RESOURCE_TYPE_NOT_FOUND, or the file's open error) when it has none.
DWORD GetFileVersionInfoSizeA(LPCSTR lptstrFilename, DWORD* lpdwHandle);
// Copies the version block (dwLen bytes at most) into lpData.
BOOL GetFileVersionInfoA(LPCSTR lptstrFilename, DWORD dwHandle, DWORD dwLen, LPVOID lpData);
// "\" gives the VS_FIXEDFILEINFO inside the block; other sub-blocks are not kept.
BOOL VerQueryValueA(LPCVOID pBlock, LPCSTR lpSubBlock, LPVOID* lplpBuffer, unsigned* puLen);

namespace platform {

// The four version parts from the bytes of an ELF file; false when the
// bytes are not an ELF file (32 or 64 bits, little or big endian) whose
// sections hold the version note. Reads only inside the bytes given.
bool ReadVersionNote(const std::uint8_t* data, std::size_t size, WORD parts[4]);

}  // namespace platform
