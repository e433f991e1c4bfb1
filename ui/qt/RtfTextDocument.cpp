#include "ui/qt/RtfTextDocument.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace {

qreal TwipsToPixels(int twips)
{
    return twips * 96.0 / 1440.0;
}

QColor Rgb(std::uint32_t rgb)
{
    return QColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>(rgb & 0xFF));
}

Qt::Alignment Alignment(RtfParagraphFormat::Align align)
{
    switch (align) {
    case RtfParagraphFormat::Align::Right: return Qt::AlignRight;
    case RtfParagraphFormat::Align::Center: return Qt::AlignHCenter;
    case RtfParagraphFormat::Align::Justify: return Qt::AlignJustify;
    case RtfParagraphFormat::Align::Left: break;
    }
    return Qt::AlignLeft;
}

QTextBlockFormat BlockFormat(const RtfParagraphFormat& format)
{
    QTextBlockFormat block;
    block.setAlignment(Alignment(format.align));
    block.setLeftMargin(TwipsToPixels(format.leftIndentTwips));
    block.setRightMargin(TwipsToPixels(format.rightIndentTwips));
    block.setTextIndent(TwipsToPixels(format.firstLineIndentTwips));
    return block;
}

QTextCharFormat CharFormat(const RtfCharFormat& format)
{
    QTextCharFormat chars;
    chars.setFontWeight(format.bold ? QFont::Bold : QFont::Normal);
    chars.setFontItalic(format.italic);
    chars.setFontUnderline(format.underline);
    chars.setFontStrikeOut(format.strike);
    if (format.fontSizeHalfPoints > 0)
        chars.setFontPointSize(format.fontSizeHalfPoints / 2.0);
    if (!format.fontName.empty())
        chars.setFontFamilies(QStringList{QString::fromStdString(format.fontName)});
    if (format.hasColor)
        chars.setForeground(Rgb(format.color));
    if (format.hasBackground)
        chars.setBackground(Rgb(format.background));
    return chars;
}

}  // namespace

void FillTextDocument(const RtfDocument& doc, QTextDocument& target, const QFont& baseFont)
{
    target.clear();
    target.setDefaultFont(baseFont);
    QTextCursor cursor(&target);
    const QTextCharFormat plain;
    for (std::size_t i = 0; i < doc.paragraphs.size(); ++i) {
        const RtfParagraph& paragraph = doc.paragraphs[i];
        const QTextBlockFormat block = doc.isRtf ? BlockFormat(paragraph.format) : QTextBlockFormat();
        if (i == 0)
            cursor.setBlockFormat(block);
        else
            cursor.insertBlock(block, plain);
        // The runs' text is UTF-8 with "\t" for tabs and U+2028 (Qt's
        // QChar::LineSeparator) for line breaks inside the paragraph. A
        // paragraph break character that came as \'0d or \u10 stays a line
        // break: one block per paragraph.
        for (const RtfRun& run : paragraph.runs) {
            QString text = QString::fromStdString(run.text);
            for (QChar& c : text) {
                if (c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator)
                    c = QChar::LineSeparator;
            }
            cursor.insertText(text, doc.isRtf ? CharFormat(run.format) : plain);
        }
    }
}
