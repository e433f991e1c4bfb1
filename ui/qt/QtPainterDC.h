// A device context over a QPainter: the dialogs' paint handlers draw through
// it. Geometry is in the widget's logical pixels of 96 dots per inch.
#pragma once

#include "platform/gdi32/DeviceContext.h"

class QPainter;

class QtPainterDC : public platform::DeviceContext {
public:
    explicit QtPainterDC(QPainter& painter) : m_painter(painter) {}
    int Caps(int index) const override;
    void DrawImage(const platform::PixelImage& image, int x, int y, int w, int h, int sx, int sy, int sw,
                   int sh) override;

private:
    QPainter& m_painter;
};
