#include "ui/skin/SkinColour.h"

#include <algorithm>

namespace {

BYTE Mix(int from, int to, int i, int last)
{
    return static_cast<BYTE>(last == 0 ? from : from + (to - from) * i / last);
}

// The band of count steps that starts at offset: steps share length,
// the first length % count of them one pixel wider.
void Band(int length, int count, int index, int& offset, int& size)
{
    const int base = length / count;
    const int extra = length % count;
    offset = index * base + std::min(index, extra);
    size = base + (index < extra ? 1 : 0);
}

}  // namespace

COLORREF GreyOfSameBrightness(COLORREF colour)
{
    const BYTE grey = static_cast<BYTE>((GetRValue(colour) + GetGValue(colour) + GetBValue(colour)) / 3);
    return RGB(grey, grey, grey);
}

COLORREF FrameBandColour(COLORREF colour, int i, int n)
{
    if (n < 1 || i < 1 || i > n)
        return colour;
    const int num = n - i + 1;
    const int den = n + 1;
    const bool outer = i <= (n + 1) / 2;
    auto channel = [&](BYTE c) {
        return static_cast<BYTE>(outer ? 255 - (255 - c) * num / den : c * num / den);
    };
    return RGB(channel(GetRValue(colour)), channel(GetGValue(colour)), channel(GetBValue(colour)));
}

COLORREF CSkinGradient::StepColour(int i) const
{
    const int last = m_steps - 1;
    i = std::clamp(i, 0, last);
    return RGB(Mix(GetRValue(m_from), GetRValue(m_to), i, last), Mix(GetGValue(m_from), GetGValue(m_to), i, last),
               Mix(GetBValue(m_from), GetBValue(m_to), i, last));
}

void CSkinGradient::Fill(IDialogCanvas& canvas, const RECT& r, Direction direction) const
{
    const bool across = direction == Direction::LeftToRight;
    const int length = across ? r.right - r.left : r.bottom - r.top;
    if (r.right <= r.left || r.bottom <= r.top)
        return;
    const int bands = std::min(m_steps, length);
    for (int b = 0; b < bands; ++b) {
        int offset = 0;
        int size = 0;
        Band(length, bands, b, offset, size);
        const int step = bands == m_steps ? b : b * (m_steps - 1) / std::max(1, bands - 1);
        const RECT band = across ? RECT{r.left + offset, r.top, r.left + offset + size, r.bottom}
                                 : RECT{r.left, r.top + offset, r.right, r.top + offset + size};
        canvas.FillRect(band, StepColour(step));
    }
}

CSkinGradient CSkinGradient::Greyed() const
{
    return CSkinGradient(GreyOfSameBrightness(m_from), GreyOfSameBrightness(m_to), m_steps);
}
