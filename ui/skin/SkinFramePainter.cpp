#include "ui/skin/SkinFramePainter.h"

#include "ui/CWindowFrame.h"
#include "ui/skin/CSkinBitmap.h"
#include "ui/skin/SkinColour.h"
#include "ui/skin/SkinFonts.h"
#include "ui/skin/SkinRoles.h"

namespace {

constexpr int kLowImage = 9;
constexpr int kImage = 10;
constexpr int kSizingLowImage = 11;
constexpr int kSizingImage = 12;
// Air between the caption's left end, its image and the title.
constexpr int kGap = 3;

platform::PixelImage Greyed(const platform::PixelImage& image)
{
    platform::PixelImage out = image;
    for (std::uint32_t& p : out.pixels) {
        const std::uint32_t grey = (((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF)) / 3;
        p = (p & 0xFF000000u) | (grey << 16) | (grey << 8) | grey;
    }
    return out;
}

std::shared_ptr<const CSkinBitmap> CaptionImage(const CSkinFrame& f, const CWindowFrame& metrics)
{
    const int index = f.minimised ? -1 : SkinCaptionImageIndex(f.style, metrics.caption);
    return index >= 0 ? CSkinBitmap::Load(SkinBitmapId(index)) : nullptr;
}

RECT CaptionRect(const CSkinFrame& f, const CWindowFrame& metrics)
{
    const int n = metrics.border;
    return RECT{n, n, f.width - n, n + metrics.caption};
}

}  // namespace

RECT SkinCaptionTextRect(const CSkinFrame& f)
{
    const CWindowFrame metrics = CWindowFrame::ForStyle(f.style);
    const RECT caption = CaptionRect(f, metrics);
    const auto image = CaptionImage(f, metrics);
    const int left = caption.left + kGap + (image != nullptr ? image->LogicalWidth() + kGap : 0);
    return RECT{left, caption.top, caption.right - kGap, caption.bottom};
}

int SkinCaptionImageIndex(DWORD style, int captionHeight)
{
    if (SkinBitmapId(kImage) == 0)
        return -1;
    const auto normal = CSkinBitmap::Load(SkinBitmapId(kImage));
    const bool low = normal != nullptr && captionHeight < normal->LogicalHeight();
    if ((style & WS_THICKFRAME) != 0)
        return low ? kSizingLowImage : kSizingImage;
    return low ? kLowImage : kImage;
}

void PaintSkinFrame(IDialogCanvas& canvas, const CSkinFrame& f)
{
    const CWindowFrame metrics = CWindowFrame::ForStyle(f.style);
    const auto tone = [&](COLORREF c) { return f.active ? c : GreyOfSameBrightness(c); };
    const COLORREF base = tone(SkinColour(SkinRole::kCaptionBase));
    const int n = metrics.border;
    for (int i = 1; i <= n; ++i) {
        const COLORREF band = FrameBandColour(base, i, n);
        const int o = i - 1;
        canvas.FillRect(RECT{o, o, f.width - o, o + 1}, band);
        canvas.FillRect(RECT{o, f.height - o - 1, f.width - o, f.height - o}, band);
        canvas.FillRect(RECT{o, o, o + 1, f.height - o}, band);
        canvas.FillRect(RECT{f.width - o - 1, o, f.width - o, f.height - o}, band);
    }
    if (metrics.caption <= 0)
        return;
    const RECT caption = CaptionRect(f, metrics);
    CSkinGradient fill(SkinColour(SkinRole::kCaptionFrom), SkinColour(SkinRole::kCaptionTo), SkinRole::kCaptionSteps);
    if (!f.active)
        fill = fill.Greyed();
    fill.Fill(canvas, caption, CSkinGradient::Direction::LeftToRight);

    if (const auto image = CaptionImage(f, metrics)) {
        const int top = caption.top + (metrics.caption - image->LogicalHeight()) / 2;
        const RECT where = MakeRect(caption.left + kGap, top, image->LogicalWidth(), image->LogicalHeight());
        canvas.DrawImage(f.active ? image->Keyed() : Greyed(image->Keyed()), where);
    }
    canvas.DrawText(f.title, SkinCaptionTextRect(f), SkinBoldFont(),
                    tone(SkinColour(SkinRole::kCaptionText)),
                    DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}
