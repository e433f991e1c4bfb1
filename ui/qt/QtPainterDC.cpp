#include "ui/qt/QtPainterDC.h"

#include <QImage>
#include <QPainter>

int QtPainterDC::Caps(int index) const
{
    return index == LOGPIXELSX || index == LOGPIXELSY ? 96 : 0;
}

void QtPainterDC::DrawImage(const platform::PixelImage& image, int x, int y, int w, int h, int sx, int sy, int sw,
                            int sh)
{
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() < static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
        return;
    // 0xAARRGGBB words are QImage's ARGB32 layout; the image is borrowed.
    const QImage source(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height,
                        image.width * 4, QImage::Format_ARGB32);
    // A negative source extent mirrors that direction.
    QImage part = source.copy(QRect(sw < 0 ? sx + sw : sx, sh < 0 ? sy + sh : sy, sw < 0 ? -sw : sw, sh < 0 ? -sh : sh));
    if (sw < 0 || sh < 0)
        part = part.mirrored(sw < 0, sh < 0);
    m_painter.drawImage(QRect(x, y, w, h), part);
}
