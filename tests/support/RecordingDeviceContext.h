// A device context for tests: reports the dots per inch it was given and
// keeps every DrawImage call, with a copy of the image drawn.
#pragma once

#include "platform/gdi32/DeviceContext.h"

#include <vector>

namespace testsupport {

struct DrawCall {
    platform::PixelImage image;
    int x, y, w, h;
    int sx, sy, sw, sh;
};

class RecordingDeviceContext : public platform::DeviceContext {
public:
    explicit RecordingDeviceContext(int dpiX = 96, int dpiY = 96) : m_dpiX(dpiX), m_dpiY(dpiY) {}

    int Caps(int index) const override
    {
        return index == LOGPIXELSX ? m_dpiX : index == LOGPIXELSY ? m_dpiY : 0;
    }

    void DrawImage(const platform::PixelImage& image, int x, int y, int w, int h, int sx, int sy, int sw,
                   int sh) override
    {
        m_calls.push_back(DrawCall{image, x, y, w, h, sx, sy, sw, sh});
    }

    const std::vector<DrawCall>& Calls() const { return m_calls; }

private:
    int m_dpiX;
    int m_dpiY;
    std::vector<DrawCall> m_calls;
};

}  // namespace testsupport
