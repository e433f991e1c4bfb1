// A device context and skin canvas over a QPainter: the dialogs' paint
// handlers and the skin draw through it. Geometry is in logical pixels of 96
// dots per inch; the painter's device maps them to device pixels.
#pragma once

#include "platform/gdi32/DeviceContext.h"
#include "platform/user32/WinUser.h"
#include "ui/DialogCanvas.h"

class QPainter;

class QtPainterDC : public platform::DeviceContext, public IDialogCanvas {
public:
    explicit QtPainterDC(QPainter& painter) : m_painter(painter) {}
    int Caps(int index) const override;
    void DrawImage(const platform::PixelImage& image, int x, int y, int w, int h, int sx, int sy, int sw,
                   int sh) override;

    double PixelRatio() const override;
    void FillRect(const RECT& r, COLORREF colour) override;
    void FillEllipse(const RECT& r, COLORREF colour) override;
    void DrawFocusRect(const RECT& r, COLORREF colour) override;
    void DrawImage(const platform::PixelImage& image, const RECT& target) override;
    void DrawText(const std::string& utf8, const RECT& r, const CFontDesc& font, COLORREF colour,
                  UINT format) override;
    CTextExtent MeasureText(const std::string& utf8, const CFontDesc& font, int width, UINT format) const override;
    void DrawThemeIcon(const std::string& name, const RECT& r) override;

private:
    QPainter& m_painter;
};
