// .ico files: a directory of images (ICONDIR, then one 16-byte entry per
// image) and the images, each a device-independent bitmap with its AND mask
// or a PNG file. Only bitmap entries are decoded; PNG entries are skipped.
// Every entry's offset and size are checked against the bytes of the file.
#pragma once

#include "platform/gdi32/DeviceContext.h"
#include "platform/kernel32/WinTypes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

struct IcoEntry {
    int width;   // from the directory; 0 there means 256
    int height;
    int bitCount;
    std::uint32_t offset;
    std::uint32_t size;
    bool png;
};

class IcoDecoder {
public:
    // Reads the directory of a whole .ico file of size bytes. False unless it
    // is an icon directory (reserved 0, type 1, at least one entry) whose
    // entries all lie within the file.
    bool ReadDirectory(const BYTE* data, std::size_t size);
    const std::vector<IcoEntry>& Entries() const { return m_entries; }

    // Decodes a bitmap entry: its colours, then alpha from 32-bit pixels that
    // carry alpha, else from the AND mask (a set bit is transparent). False
    // for a PNG entry, a run-length encoded one, or one whose bitmap or mask
    // is not all there.
    bool DecodeEntry(std::size_t index, PixelImage& out) const;

    // Decodes the bitmap entry whose size is closest to cx × cy (then the
    // deepest colours), trying the next closest when one does not decode.
    bool DecodeClosest(int cx, int cy, PixelImage& out) const;

private:
    const BYTE* m_data = nullptr;
    std::size_t m_size = 0;
    std::vector<IcoEntry> m_entries;
};

}  // namespace platform
