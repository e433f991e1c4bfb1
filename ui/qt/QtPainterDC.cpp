#include "ui/qt/QtPainterDC.h"

#include "ui/qt/QtSkinText.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QStyle>

namespace {

QColor ToQColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

QRect ToQRect(const RECT& r)
{
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// 0xAARRGGBB words are QImage's ARGB32 layout; the image is borrowed.
QImage Borrow(const platform::PixelImage& image)
{
    return QImage(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height, image.width * 4,
                  QImage::Format_ARGB32);
}

bool Usable(const platform::PixelImage& image)
{
    return image.width > 0 && image.height > 0 &&
           image.pixels.size() >= static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
}

// The stand-ins for a theme icon the desktop does not have.
QStyle::StandardPixmap FallbackIcon(const std::string& name)
{
    if (name == "dialog-error")
        return QStyle::SP_MessageBoxCritical;
    if (name == "dialog-question")
        return QStyle::SP_MessageBoxQuestion;
    if (name == "dialog-warning")
        return QStyle::SP_MessageBoxWarning;
    return QStyle::SP_MessageBoxInformation;
}

}  // namespace

int QtPainterDC::Caps(int index) const
{
    return index == LOGPIXELSX || index == LOGPIXELSY ? 96 : 0;
}

void QtPainterDC::DrawImage(const platform::PixelImage& image, int x, int y, int w, int h, int sx, int sy, int sw,
                            int sh)
{
    if (!Usable(image))
        return;
    const QImage source = Borrow(image);
    // A negative source extent mirrors that direction.
    QImage part = source.copy(QRect(sw < 0 ? sx + sw : sx, sh < 0 ? sy + sh : sy, sw < 0 ? -sw : sw, sh < 0 ? -sh : sh));
    if (sw < 0 || sh < 0)
        part = part.mirrored(sw < 0, sh < 0);
    // Scaled as it is given, each source pixel a block: sharp at any ratio.
    m_painter.save();
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    m_painter.drawImage(QRect(x, y, w, h), part);
    m_painter.restore();
}

double QtPainterDC::PixelRatio() const
{
    const QPaintDevice* device = m_painter.device();
    return device != nullptr ? device->devicePixelRatioF() : 1.0;
}

void QtPainterDC::FillRect(const RECT& r, COLORREF colour)
{
    m_painter.fillRect(ToQRect(r), ToQColor(colour));
}

void QtPainterDC::FillEllipse(const RECT& r, COLORREF colour)
{
    m_painter.save();
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.setPen(Qt::NoPen);
    m_painter.setBrush(ToQColor(colour));
    m_painter.drawEllipse(QRectF(r.left, r.top, r.right - r.left, r.bottom - r.top));
    m_painter.restore();
}

void QtPainterDC::DrawFocusRect(const RECT& r, COLORREF colour)
{
    m_painter.save();
    QPen pen(ToQColor(colour));
    pen.setStyle(Qt::DotLine);
    pen.setCosmetic(true);
    m_painter.setPen(pen);
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawRect(QRectF(r.left + 0.5, r.top + 0.5, r.right - r.left - 1, r.bottom - r.top - 1));
    m_painter.restore();
}

void QtPainterDC::DrawImage(const platform::PixelImage& image, const RECT& target)
{
    if (!Usable(image))
        return;
    m_painter.save();
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    m_painter.drawImage(QRectF(ToQRect(target)), Borrow(image));
    m_painter.restore();
}

void QtPainterDC::DrawText(const std::string& utf8, const RECT& r, const CFontDesc& font, COLORREF colour, UINT format)
{
    if (utf8.empty())
        return;
    m_painter.save();
    m_painter.setFont(ToQFont(font));
    m_painter.setPen(ToQColor(colour));
    const QRect box = ToQRect(r);
    QString text = ToQString(utf8);
    if ((format & DT_END_ELLIPSIS) != 0 && (format & DT_SINGLELINE) != 0)
        text = m_painter.fontMetrics().elidedText(text, Qt::ElideRight, box.width(),
                                                 (format & DT_NOPREFIX) == 0 ? Qt::TextShowMnemonic : 0);
    m_painter.drawText(box, ToQtTextFlags(format), text);
    m_painter.restore();
}

CTextExtent QtPainterDC::MeasureText(const std::string& utf8, const CFontDesc& font, int width, UINT format) const
{
    return MeasureQtText(utf8, font, width, format);
}

void QtPainterDC::DrawThemeIcon(const std::string& name, const RECT& r)
{
    QIcon icon = QIcon::fromTheme(ToQString(name));
    if (icon.isNull())
        icon = QApplication::style()->standardIcon(FallbackIcon(name));
    icon.paint(&m_painter, ToQRect(r));
}
