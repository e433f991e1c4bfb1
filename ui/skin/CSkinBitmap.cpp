#include "ui/skin/CSkinBitmap.h"

#include "platform/imaging/DibReader.h"
#include "platform/kernel32/Resources.h"

#include <cstdint>
#include <map>

namespace {

// Pixels at a resolution in pels per metre as logical pixels of 96 dots per
// inch, rounded, at least 1.
int Logical(int pixels, LONG pelsPerMetre)
{
    if (pelsPerMetre <= 0)
        return pixels;
    // 96 dots per inch are 96 * 10000 / 254 pels per metre.
    const std::int64_t num = std::int64_t{pixels} * 960000;
    const std::int64_t den = std::int64_t{pelsPerMetre} * 254;
    const auto n = static_cast<int>((num + den / 2) / den);
    return n < 1 ? 1 : n;
}

std::shared_ptr<const CSkinBitmap> Decode(UINT id)
{
    HRSRC res = FindResourceA(nullptr, MAKEINTRESOURCEA(id), RT_BITMAP);
    if (res == nullptr)
        return nullptr;
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, res)));
    const DWORD size = SizeofResource(nullptr, res);
    platform::DibReader dib;
    if (data == nullptr || !dib.ReadHeader(data, size) || dib.HeaderAndTableSize() > size)
        return nullptr;
    platform::PixelImage pixels;
    bool hasAlpha = false;
    if (!dib.Decode(data + dib.HeaderAndTableSize(), size - dib.HeaderAndTableSize(), dib.Rows(), pixels, hasAlpha))
        return nullptr;
    return std::make_shared<const CSkinBitmap>(std::move(pixels), dib.XPelsPerMeter(), dib.YPelsPerMeter());
}

}  // namespace

CSkinBitmap::CSkinBitmap(platform::PixelImage pixels, LONG pelsPerMetreX, LONG pelsPerMetreY)
    : m_pixels(std::move(pixels)),
      m_logicalWidth(Logical(m_pixels.width, pelsPerMetreX)),
      m_logicalHeight(Logical(m_pixels.height, pelsPerMetreY))
{
    m_keyed = m_pixels;
    if (m_keyed.pixels.empty())
        return;
    const std::uint32_t key = m_keyed.pixels[0] & 0x00FFFFFFu;
    for (std::uint32_t& p : m_keyed.pixels)
        p = (p & 0x00FFFFFFu) == key ? 0u : (p | 0xFF000000u);
}

std::shared_ptr<const CSkinBitmap> CSkinBitmap::Load(UINT id)
{
    // Resources never change while the program runs: each id is decoded once.
    static std::map<UINT, std::shared_ptr<const CSkinBitmap>> loaded;
    if (id == 0 || id > 0xFFFF)
        return nullptr;
    auto it = loaded.find(id);
    if (it == loaded.end())
        it = loaded.emplace(id, Decode(id)).first;
    return it->second;
}
