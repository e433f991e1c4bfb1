#include "ui/qt/QtSkinText.h"

#include "platform/user32/WinUser.h"

#include <QFontMetrics>
#include <QRect>

QFont ToQFont(const CFontDesc& desc)
{
    QFont font(QString::fromStdString(desc.family));
    font.setPixelSize(desc.pixelHeight > 0 ? desc.pixelHeight : 11);
    // Qt's weights run from 100 to 900 as the Windows ones do.
    font.setWeight(static_cast<QFont::Weight>(desc.weight));
    font.setStyleStrategy(QFont::PreferDefault);
    return font;
}

int ToQtTextFlags(UINT format)
{
    int flags = 0;
    if ((format & DT_CENTER) != 0)
        flags |= Qt::AlignHCenter;
    else if ((format & DT_RIGHT) != 0)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignLeft;
    flags |= (format & DT_VCENTER) != 0 ? Qt::AlignVCenter : Qt::AlignTop;
    if ((format & DT_SINGLELINE) != 0)
        flags |= Qt::TextSingleLine;
    else if ((format & DT_WORDBREAK) != 0)
        flags |= Qt::TextWordWrap;
    // "&x" underlines x unless prefixes are off; then "&" is drawn as it is.
    if ((format & DT_NOPREFIX) == 0)
        flags |= Qt::TextShowMnemonic;
    return flags;
}

QString ToQString(const std::string& utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

CTextExtent MeasureQtText(const std::string& utf8, const CFontDesc& font, int width, UINT format)
{
    const QFontMetrics metrics(ToQFont(font));
    const int flags = ToQtTextFlags(format) & ~(Qt::AlignVCenter | Qt::AlignHCenter | Qt::AlignRight);
    const QRect bound(0, 0, width > 0 && (format & DT_WORDBREAK) != 0 ? width : 1 << 20, 1 << 20);
    const QRect r = metrics.boundingRect(bound, flags | Qt::AlignLeft | Qt::AlignTop, ToQString(utf8));
    return CTextExtent{r.width(), r.height()};
}
