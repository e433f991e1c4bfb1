#include "ui/skin/CButtonImageSet.h"

#include "ui/skin/CSkinBitmap.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr std::uint32_t kRgbMask = 0x00FFFFFF;

std::uint32_t Argb(COLORREF c)
{
    return 0xFF000000u | (static_cast<std::uint32_t>(GetRValue(c)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}

// Three pieces of one axis: the leading edge, the middle, the trailing edge.
struct Pieces {
    int edge[3];
};

Pieces Split(int length, int edge)
{
    edge = std::clamp(edge, 0, length / 2);
    return Pieces{{edge, length - 2 * edge, edge}};
}

// For each target pixel of one axis, the source span [from, to) it covers.
std::vector<std::pair<double, double>> AxisMap(int sourceLength, int sourceEdge, int targetLength, int targetEdge)
{
    const Pieces s = Split(sourceLength, sourceEdge);
    const Pieces t = Split(targetLength, targetEdge);
    std::vector<std::pair<double, double>> map(static_cast<std::size_t>(std::max(0, targetLength)));
    int sourceStart = 0;
    int targetStart = 0;
    for (int p = 0; p < 3; ++p) {
        const double scale = t.edge[p] > 0 ? static_cast<double>(s.edge[p]) / t.edge[p] : 0.0;
        for (int i = 0; i < t.edge[p]; ++i)
            map[static_cast<std::size_t>(targetStart + i)] = {sourceStart + i * scale, sourceStart + (i + 1) * scale};
        sourceStart += s.edge[p];
        targetStart += t.edge[p];
    }
    return map;
}

// The average of a channel row over the source span, weighting partly
// covered pixels by their share.
void Accumulate(const std::vector<float>& line, int stride, int count, double from, double to, float* out)
{
    if (to <= from) {
        const int i = std::clamp(static_cast<int>(from), 0, count - 1);
        for (int c = 0; c < 4; ++c)
            out[c] = line[static_cast<std::size_t>(i * stride + c)];
        return;
    }
    float sum[4] = {0, 0, 0, 0};
    double weight = 0;
    for (int i = static_cast<int>(std::floor(from)); i < to && i < count; ++i) {
        const double w = std::min<double>(i + 1, to) - std::max<double>(i, from);
        if (w <= 0)
            continue;
        for (int c = 0; c < 4; ++c)
            sum[c] += static_cast<float>(w) * line[static_cast<std::size_t>(i * stride + c)];
        weight += w;
    }
    for (int c = 0; c < 4; ++c)
        out[c] = weight > 0 ? static_cast<float>(sum[c] / weight) : 0.0f;
}

}  // namespace

std::uint32_t CButtonImageSet::BlendNeutral(std::uint32_t pixel, COLORREF background, DWORD frameValue)
{
    const int r = static_cast<int>((pixel >> 16) & 0xFF);
    const int g = static_cast<int>((pixel >> 8) & 0xFF);
    const int b = static_cast<int>(pixel & 0xFF);
    const int sum = r + g + b;
    // Black has no ratios; it counts as perfectly neutral.
    int spread = 0;
    if (sum > 0) {
        const int rr = r * 1000 / sum;
        const int gr = g * 1000 / sum;
        const int br = b * 1000 / sum;
        spread = std::max({rr, gr, br}) - std::min({rr, gr, br});
    }
    const int frame = static_cast<int>(frameValue);
    if (frame <= 0 || spread >= frame)
        return pixel;
    // The neutral pixel's brightness in the background's hue, reached fully
    // by a perfectly neutral pixel: channel + (tinted - channel) * weight
    // with weight = (frame - spread) / frame, rounded, in whole numbers.
    const int weight = frame - spread;
    auto blend = [&](int channel, int bg) {
        const int num = (channel * bg - channel * 255) * weight;  // (tinted - channel) * 255 * frame
        const int den = 255 * frame;
        const int delta = num >= 0 ? (num + den / 2) / den : -((-num + den / 2) / den);
        return static_cast<std::uint32_t>(channel + delta);
    };
    return (pixel & 0xFF000000u) | (blend(r, GetRValue(background)) << 16) | (blend(g, GetGValue(background)) << 8) |
           blend(b, GetBValue(background));
}

CButtonImageSet::CButtonImageSet(std::shared_ptr<const CSkinBitmap> bitmap, COLORREF background, DWORD frameValue)
    : m_bitmap(std::move(bitmap)), m_background(background), m_frameValue(frameValue)
{
}

int CButtonImageSet::CellWidth() const
{
    return m_bitmap != nullptr && m_bitmap->Pixels().height > 0 ? m_bitmap->Pixels().width / kCells : 0;
}

// A cell is keyed and blended when its state is first shown: most buttons
// are never hot, pressed or disabled.
const platform::PixelImage& CButtonImageSet::Cell(int cell)
{
    platform::PixelImage& out = m_cells[static_cast<std::size_t>(cell)];
    if (out.width != 0)
        return out;
    const platform::PixelImage& src = m_bitmap->Pixels();
    const int cellWidth = CellWidth();
    const std::uint32_t key = src.pixels[0] & kRgbMask;
    const std::uint32_t behind = Argb(m_background);
    // The art has few colours: each is blended once, and remembered in a
    // small table indexed by the colour's low bits (a tree costs more per
    // pixel than the blend it saves).
    struct Blended {
        std::uint32_t from = 0;  // opaque colour; 0 (transparent black) never occurs
        std::uint32_t to = 0;
    };
    std::vector<Blended> blended(1024);
    out.width = cellWidth;
    out.height = src.height;
    out.pixels.resize(static_cast<std::size_t>(cellWidth) * src.height);
    for (int y = 0; y < src.height; ++y) {
        const std::uint32_t* in = src.pixels.data() + static_cast<std::size_t>(y) * src.width + cell * cellWidth;
        std::uint32_t* to = out.pixels.data() + static_cast<std::size_t>(y) * cellWidth;
        for (int x = 0; x < cellWidth; ++x) {
            const std::uint32_t p = in[x];
            if ((p & kRgbMask) == key) {
                to[x] = behind;
                continue;
            }
            const std::uint32_t opaque = p | 0xFF000000u;
            Blended& slot = blended[(opaque ^ (opaque >> 10) ^ (opaque >> 20)) & 1023u];
            if (slot.from != opaque)
                slot = {opaque, BlendNeutral(opaque, m_background, m_frameValue)};
            to[x] = slot.to;
        }
    }
    return out;
}

const platform::PixelImage& CButtonImageSet::Image(ButtonImageState state, int width, int height, double pixelRatio)
{
    static const platform::PixelImage none;
    if (CellWidth() <= 0 || width <= 0 || height <= 0)
        return none;
    const int cell = static_cast<int>(state);
    auto it = m_scaled.find({cell, width, height});
    if (it == m_scaled.end()) {
        // Source pixels per logical pixel, from the bitmap's resolution.
        const double sourceRatio = static_cast<double>(m_bitmap->Pixels().height) / m_bitmap->LogicalHeight();
        const int edgeSource = static_cast<int>(std::lround(kEdge * sourceRatio));
        const int edgeTarget = static_cast<int>(std::lround(kEdge * pixelRatio));
        it = m_scaled
                 .emplace(std::array<int, 3>{cell, width, height},
                          ScaleKeepingEdges(Cell(cell), width, height, edgeSource,
                                            edgeSource, edgeTarget, edgeTarget))
                 .first;
    }
    return it->second;
}

platform::PixelImage ScaleKeepingEdges(const platform::PixelImage& image, int width, int height, int edgeX, int edgeY,
                                       int targetEdgeX, int targetEdgeY)
{
    platform::PixelImage out;
    if (image.width <= 0 || image.height <= 0 || width <= 0 || height <= 0)
        return out;
    const auto mapX = AxisMap(image.width, edgeX, width, targetEdgeX);
    const auto mapY = AxisMap(image.height, edgeY, height, targetEdgeY);
    // Across first: every source row becomes width pixels (4 channels each).
    std::vector<std::vector<float>> rows(static_cast<std::size_t>(image.height));
    std::vector<float> line(static_cast<std::size_t>(image.width) * 4);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t p = image.pixels[static_cast<std::size_t>(y) * image.width + x];
            for (int c = 0; c < 4; ++c)
                line[static_cast<std::size_t>(x * 4 + c)] = static_cast<float>((p >> (24 - 8 * c)) & 0xFF);
        }
        std::vector<float>& row = rows[static_cast<std::size_t>(y)];
        row.resize(static_cast<std::size_t>(width) * 4);
        for (int x = 0; x < width; ++x)
            Accumulate(line, 4, image.width, mapX[static_cast<std::size_t>(x)].first,
                       mapX[static_cast<std::size_t>(x)].second, &row[static_cast<std::size_t>(x) * 4]);
    }
    // Then down each column.
    out.width = width;
    out.height = height;
    out.pixels.resize(static_cast<std::size_t>(width) * height);
    std::vector<float> column(static_cast<std::size_t>(image.height) * 4);
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < image.height; ++y)
            for (int c = 0; c < 4; ++c)
                column[static_cast<std::size_t>(y * 4 + c)] = rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x * 4 + c)];
        for (int y = 0; y < height; ++y) {
            float v[4];
            Accumulate(column, 4, image.height, mapY[static_cast<std::size_t>(y)].first,
                       mapY[static_cast<std::size_t>(y)].second, v);
            std::uint32_t p = 0;
            for (int c = 0; c < 4; ++c)
                p |= static_cast<std::uint32_t>(std::clamp(static_cast<int>(v[c] + 0.5f), 0, 255)) << (24 - 8 * c);
            out.pixels[static_cast<std::size_t>(y) * width + x] = p;
        }
    }
    return out;
}
