// Text as the skin draws it in Qt: a font description as a QFont, and the
// DrawText formats as Qt's alignment and text flags.
#pragma once

#include "ui/DialogCanvas.h"

#include <QFont>
#include <QString>

QFont ToQFont(const CFontDesc& desc);
// Qt::AlignmentFlag | Qt::TextFlag for a DrawText format.
int ToQtTextFlags(UINT format);
QString ToQString(const std::string& utf8);
// The size text takes in a font, wrapped at width with DT_WORDBREAK (0: no
// limit).
CTextExtent MeasureQtText(const std::string& utf8, const CFontDesc& font, int width, UINT format);
