#include "platform/imaging/IcoDecoder.h"

#include "platform/imaging/DibReader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace platform {

namespace {

constexpr std::size_t kDirectorySize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr BYTE kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

}  // namespace

bool IcoDecoder::ReadDirectory(const BYTE* data, std::size_t size)
{
    m_data = nullptr;
    m_size = 0;
    m_entries.clear();
    if (data == nullptr || size < kDirectorySize)
        return false;
    const std::uint16_t reserved = ReadLe16(data);
    const std::uint16_t type = ReadLe16(data + 2);
    const std::size_t count = ReadLe16(data + 4);
    if (reserved != 0 || type != 1 || count == 0 || count > (size - kDirectorySize) / kEntrySize)
        return false;
    std::vector<IcoEntry> entries;
    for (std::size_t i = 0; i < count; ++i) {
        const BYTE* e = data + kDirectorySize + i * kEntrySize;
        IcoEntry entry{};
        entry.width = e[0] == 0 ? 256 : e[0];
        entry.height = e[1] == 0 ? 256 : e[1];
        entry.bitCount = ReadLe16(e + 6);
        entry.size = ReadLe32(e + 8);
        entry.offset = ReadLe32(e + 12);
        if (entry.offset > size || entry.size > size - entry.offset || entry.size < sizeof kPngSignature)
            return false;
        entry.png = std::memcmp(data + entry.offset, kPngSignature, sizeof kPngSignature) == 0;
        entries.push_back(entry);
    }
    m_data = data;
    m_size = size;
    m_entries = std::move(entries);
    return true;
}

bool IcoDecoder::DecodeEntry(std::size_t index, PixelImage& out) const
{
    if (index >= m_entries.size() || m_entries[index].png)
        return false;
    const IcoEntry& entry = m_entries[index];
    const BYTE* dibBytes = m_data + entry.offset;
    DibReader dib;
    if (!dib.ReadHeader(dibBytes, entry.size))
        return false;
    // The bitmap holds the colour rows, then as many rows of the mask.
    const int rows = dib.Rows() / 2;
    if (rows < 1)
        return false;
    const std::size_t bitsAt = dib.HeaderAndTableSize();
    const std::size_t colourBytes = dib.Stride() * static_cast<std::size_t>(rows);
    const std::size_t maskStride = ((static_cast<std::size_t>(dib.Width()) + 31) / 32) * 4;
    if (bitsAt > entry.size || colourBytes > entry.size - bitsAt ||
        maskStride * static_cast<std::size_t>(rows) > entry.size - bitsAt - colourBytes)
        return false;
    PixelImage image;
    bool hasAlpha = false;
    if (!dib.Decode(dibBytes + bitsAt, colourBytes, rows, image, hasAlpha))
        return false;
    if (!hasAlpha) {
        const BYTE* mask = dibBytes + bitsAt + colourBytes;
        for (int r = 0; r < rows; ++r) {
            const int y = dib.TopDown() ? r : rows - 1 - r;
            const BYTE* bits = mask + maskStride * r;
            std::uint32_t* dst = image.pixels.data() + static_cast<std::size_t>(y) * image.width;
            for (int x = 0; x < image.width; ++x)
                if ((bits[x / 8] >> (7 - x % 8)) & 1)
                    dst[x] &= 0x00FFFFFFu;
        }
    }
    out = std::move(image);
    return true;
}

bool IcoDecoder::DecodeClosest(int cx, int cy, PixelImage& out) const
{
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        if (!m_entries[i].png)
            order.push_back(i);
    auto distance = [&](const IcoEntry& e) { return std::abs(e.width - cx) + std::abs(e.height - cy); };
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const IcoEntry& ea = m_entries[a];
        const IcoEntry& eb = m_entries[b];
        if (distance(ea) != distance(eb))
            return distance(ea) < distance(eb);
        return ea.bitCount > eb.bitCount;
    });
    for (std::size_t i : order)
        if (DecodeEntry(i, out))
            return true;
    return false;
}

}  // namespace platform
