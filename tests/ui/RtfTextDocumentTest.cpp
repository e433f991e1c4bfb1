// The RTF model in Qt's text document: one block per paragraph with its
// alignment and indents in 96-dpi pixels, runs as character formats, and
// plain text in the base font only.
#include "platform/kernel32/Environment.h"
#include "ui/qt/RtfTextDocument.h"
#include "ui/rtf/RtfReader.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

RtfRun TextRun(const std::string& text, RtfCharFormat format = {})
{
    return RtfRun{text, std::move(format)};
}

RtfParagraph Paragraph(std::vector<RtfRun> runs, RtfParagraphFormat format = {})
{
    RtfParagraph p;
    p.format = format;
    p.runs = std::move(runs);
    return p;
}

// The fragments of a block, in order.
std::vector<QTextFragment> Fragments(const QTextBlock& block)
{
    std::vector<QTextFragment> out;
    for (auto it = block.begin(); !it.atEnd(); ++it)
        out.push_back(it.fragment());
    return out;
}

// The horizontal alignment of a block, as a number gtest can print.
int HorizontalAlignment(const QTextBlock& block)
{
    return static_cast<int>(block.blockFormat().alignment() & Qt::AlignHorizontal_Mask);
}

int Flag(Qt::AlignmentFlag flag)
{
    return static_cast<int>(flag);
}

class RtfTextDocumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetEnvironmentVariableA("QT_QPA_PLATFORM", "offscreen");
        if (QApplication::instance() == nullptr)
            m_app = std::make_unique<QApplication>(m_argc, m_argv);
    }

    QFont BaseFont() const
    {
        QFont font("DejaVu Sans");
        font.setPointSize(9);
        return font;
    }

private:
    int m_argc = 1;
    char m_arg0[8] = "test_ui";
    char* m_argv[2] = {m_arg0, nullptr};
    std::unique_ptr<QApplication> m_app;
};

}  // namespace

TEST_F(RtfTextDocumentTest, ParagraphsBecomeBlocksWithAlignmentAndIndents)
{
    RtfDocument doc;
    doc.isRtf = true;
    RtfParagraphFormat centred;
    centred.align = RtfParagraphFormat::Align::Center;
    RtfParagraphFormat indented;
    indented.align = RtfParagraphFormat::Align::Justify;
    indented.leftIndentTwips = 480;
    indented.rightIndentTwips = 1440;
    indented.firstLineIndentTwips = -240;
    doc.paragraphs = {Paragraph({TextRun("title")}, centred), Paragraph({}), Paragraph({TextRun("body")}, indented)};

    QTextDocument target;
    FillTextDocument(doc, target, BaseFont());
    ASSERT_EQ(target.blockCount(), 3);
    EXPECT_EQ(target.toPlainText(), QString("title\n\nbody"));
    EXPECT_EQ(HorizontalAlignment(target.findBlockByNumber(0)), Flag(Qt::AlignHCenter));
    EXPECT_EQ(HorizontalAlignment(target.findBlockByNumber(1)), Flag(Qt::AlignLeft));
    const QTextBlockFormat body = target.findBlockByNumber(2).blockFormat();
    EXPECT_EQ(HorizontalAlignment(target.findBlockByNumber(2)), Flag(Qt::AlignJustify));
    EXPECT_DOUBLE_EQ(body.leftMargin(), 32.0);
    EXPECT_DOUBLE_EQ(body.rightMargin(), 96.0);
    EXPECT_DOUBLE_EQ(body.textIndent(), -16.0);
}

TEST_F(RtfTextDocumentTest, RunsKeepTheirCharacterFormats)
{
    RtfCharFormat bold;
    bold.bold = true;
    bold.fontSizeHalfPoints = 26;
    bold.fontName = "Liberation Serif";
    RtfCharFormat red;
    red.hasColor = true;
    red.color = 0xFF0000;
    red.hasBackground = true;
    red.background = 0x00FF00;
    red.italic = true;
    red.underline = true;
    red.strike = true;
    RtfDocument doc;
    doc.isRtf = true;
    doc.paragraphs = {Paragraph({TextRun("plain "), TextRun("bold", bold), TextRun(" red", red)})};

    QTextDocument target;
    FillTextDocument(doc, target, BaseFont());
    const std::vector<QTextFragment> fragments = Fragments(target.firstBlock());
    ASSERT_EQ(fragments.size(), 3u);

    EXPECT_EQ(fragments[0].text(), QString("plain "));
    EXPECT_EQ(fragments[0].charFormat().fontWeight(), QFont::Normal);
    EXPECT_DOUBLE_EQ(fragments[0].charFormat().fontPointSize(), 12.0);
    EXPECT_FALSE(fragments[0].charFormat().hasProperty(QTextFormat::ForegroundBrush));

    const QTextCharFormat b = fragments[1].charFormat();
    EXPECT_EQ(fragments[1].text(), QString("bold"));
    EXPECT_EQ(b.fontWeight(), QFont::Bold);
    EXPECT_DOUBLE_EQ(b.fontPointSize(), 13.0);
    EXPECT_EQ(b.fontFamilies().toStringList(), QStringList{"Liberation Serif"});

    const QTextCharFormat r = fragments[2].charFormat();
    EXPECT_EQ(r.foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(r.background().color(), QColor(0, 255, 0));
    EXPECT_TRUE(r.fontItalic());
    EXPECT_TRUE(r.fontUnderline());
    EXPECT_TRUE(r.fontStrikeOut());
    EXPECT_EQ(r.fontWeight(), QFont::Normal);
}

TEST_F(RtfTextDocumentTest, TabsAndLineBreaksStayInTheirBlock)
{
    RtfDocument doc;
    doc.isRtf = true;
    doc.paragraphs = {Paragraph({TextRun("a\tb\u2028c"), TextRun("d\ne")})};
    QTextDocument target;
    FillTextDocument(doc, target, BaseFont());
    ASSERT_EQ(target.blockCount(), 1);
    const QString text = target.firstBlock().text();
    EXPECT_EQ(text, QString("a\tb") + QChar(QChar::LineSeparator) + "cd" + QChar(QChar::LineSeparator) + "e");
}

TEST_F(RtfTextDocumentTest, PlainTextIsInTheBaseFontOnly)
{
    const std::string bytes = "first line\nsecond line";
    const RtfDocument doc = RtfReader::Read(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    ASSERT_FALSE(doc.isRtf);
    QTextDocument target;
    FillTextDocument(doc, target, BaseFont());
    EXPECT_EQ(target.blockCount(), 2);
    EXPECT_EQ(target.toPlainText(), QString("first line\nsecond line"));
    EXPECT_EQ(target.defaultFont().family(), BaseFont().family());
    EXPECT_EQ(target.defaultFont().pointSize(), 9);
    for (QTextBlock block = target.firstBlock(); block.isValid(); block = block.next()) {
        for (const QTextFragment& f : Fragments(block)) {
            EXPECT_FALSE(f.charFormat().hasProperty(QTextFormat::FontPointSize));
            EXPECT_FALSE(f.charFormat().hasProperty(QTextFormat::FontWeight));
        }
    }
}

TEST_F(RtfTextDocumentTest, FillingReplacesTheWholeContent)
{
    QTextDocument target;
    target.setPlainText("old\nold\nold\nold");
    RtfDocument doc;
    doc.isRtf = true;
    RtfParagraphFormat right;
    right.align = RtfParagraphFormat::Align::Right;
    doc.paragraphs = {Paragraph({TextRun("new")}, right)};
    FillTextDocument(doc, target, BaseFont());
    EXPECT_EQ(target.blockCount(), 1);
    EXPECT_EQ(target.toPlainText(), QString("new"));
    EXPECT_EQ(HorizontalAlignment(target.firstBlock()), Flag(Qt::AlignRight));

    FillTextDocument(RtfDocument{}, target, BaseFont());
    EXPECT_EQ(target.blockCount(), 1);  // Qt's document always has a block
    EXPECT_TRUE(target.isEmpty());
}

TEST_F(RtfTextDocumentTest, TheSampleDescriptionAsTheDialogShowsIt)
{
    const std::string path = std::string(NOTIFIER_SOURCE_DIR) + "/resources/sample-update/descriptions/1033.rtf";
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const RtfDocument doc =
        RtfReader::Read(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size()));
    QTextDocument target;
    FillTextDocument(doc, target, BaseFont());
    ASSERT_EQ(target.blockCount(), static_cast<int>(doc.paragraphs.size()));
    const QTextBlock title = target.firstBlock();
    EXPECT_EQ(title.text(), QString("Brelvo Glimmary 2.1"));
    EXPECT_EQ(Fragments(title).at(0).charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(Fragments(title).at(0).charFormat().fontFamilies().toStringList(), QStringList{"Arial"});
    const QTextBlock bullet = target.findBlockByNumber(4);
    EXPECT_TRUE(bullet.text().startsWith(QString::fromUtf8("•\tAlbums")));
    EXPECT_DOUBLE_EQ(bullet.blockFormat().leftMargin(), 32.0);
    EXPECT_DOUBLE_EQ(bullet.blockFormat().textIndent(), -16.0);
}
