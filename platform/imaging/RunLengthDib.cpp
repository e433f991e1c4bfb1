#include "platform/imaging/RunLengthDib.h"

#include <algorithm>

namespace platform {

namespace {

constexpr std::uint32_t kBlack = 0xFF000000u;

// The drawing position of a stream: x from the left, y in stored rows from
// the bottom. x stops at the right edge, where further indexes are dropped.
class RunCursor {
public:
    RunCursor(const std::vector<std::uint32_t>& palette, PixelImage& image) : m_palette(palette), m_image(image) {}

    bool PastTop() const { return m_y >= m_image.height; }

    void Put(unsigned index)
    {
        if (m_x >= m_image.width)
            return;
        const std::size_t row = static_cast<std::size_t>(m_image.height - 1 - m_y);
        m_image.pixels[row * static_cast<std::size_t>(m_image.width) + static_cast<std::size_t>(m_x)] =
            index < m_palette.size() ? m_palette[index] : kBlack;
        ++m_x;
    }

    void NextLine()
    {
        m_x = 0;
        ++m_y;
    }

    void Move(unsigned dx, unsigned dy)
    {
        m_x = std::min(m_x + static_cast<int>(dx), m_image.width);
        m_y += static_cast<int>(dy);
    }

private:
    const std::vector<std::uint32_t>& m_palette;
    PixelImage& m_image;
    int m_x = 0;
    int m_y = 0;
};

// The count-th index of a run whose bytes are at p: a byte each (RLE8), or
// the high then the low half of each byte (RLE4).
unsigned IndexAt(const BYTE* p, unsigned count, int bitsPerIndex)
{
    if (bitsPerIndex == 8)
        return p[count];
    const BYTE b = p[count / 2];
    return count % 2 == 0 ? b >> 4 : b & 0x0Fu;
}

}  // namespace

bool DecodeRunLength(const BYTE* data, std::size_t size, int bitsPerIndex, const std::vector<std::uint32_t>& palette,
                     PixelImage& image)
{
    if (data == nullptr || (bitsPerIndex != 8 && bitsPerIndex != 4))
        return false;
    RunCursor cursor(palette, image);
    std::size_t at = 0;
    while (!cursor.PastTop()) {
        if (size - at < 2)
            return false;
        const unsigned count = data[at];
        const unsigned value = data[at + 1];
        at += 2;
        if (count > 0) {
            // An encoded run: the byte's index (RLE8) or its two halves in turn (RLE4).
            for (unsigned i = 0; i < count; ++i)
                cursor.Put(bitsPerIndex == 8 ? value : (i % 2 == 0 ? value >> 4 : value & 0x0Fu));
            continue;
        }
        switch (value) {
        case 0: cursor.NextLine(); break;
        case 1: return true;
        case 2:
            if (size - at < 2)
                return false;
            cursor.Move(data[at], data[at + 1]);
            at += 2;
            break;
        default: {
            // An absolute run of `value` indexes, padded to a whole 16-bit word.
            const std::size_t bytes = bitsPerIndex == 8 ? value : (value + 1) / 2;
            if (size - at < bytes)
                return false;
            for (unsigned i = 0; i < value; ++i)
                cursor.Put(IndexAt(data + at, i, bitsPerIndex));
            at = std::min(size, at + bytes + bytes % 2);
            break;
        }
        }
    }
    return true;
}

}  // namespace platform
