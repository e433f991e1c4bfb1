// The RTF reader against what a rich-edit control shows for the same bytes:
// group scoping, paragraphs, the font and colour tables, code pages, \uN,
// the destinations it skips, plain text, and input built to hurt it.
#include "platform/kernel32/CodePage.h"
#include "ui/rtf/RtfReader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

RtfDocument Read(const std::string& bytes)
{
    return RtfReader::Read(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::string ParagraphText(const RtfParagraph& p)
{
    std::string text;
    for (const RtfRun& r : p.runs)
        text += r.text;
    return text;
}

// The run whose text is exactly text; fails the test when there is none.
const RtfRun& RunWithText(const RtfDocument& doc, const std::string& text)
{
    for (const RtfParagraph& p : doc.paragraphs)
        for (const RtfRun& r : p.runs)
            if (r.text == text)
                return r;
    ADD_FAILURE() << "no run \"" << text << "\" in \"" << doc.PlainText() << "\"";
    static const RtfRun none;
    return none;
}

std::string SampleDescription(const char* language)
{
    std::ifstream in(std::string(NOTIFIER_SOURCE_DIR) + "/resources/sample-update/descriptions/" + language + ".rtf",
                     std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

// --- groups and character formats ---------------------------------------

TEST(RtfReaderGroups, FormatsEndWithTheirGroup)
{
    const RtfDocument doc = Read(R"({\rtf1 a{\b b{\i c}d}e})");
    ASSERT_TRUE(doc.isRtf);
    EXPECT_EQ(doc.PlainText(), "abcde");
    EXPECT_FALSE(RunWithText(doc, "a").format.bold);
    EXPECT_TRUE(RunWithText(doc, "b").format.bold);
    EXPECT_FALSE(RunWithText(doc, "b").format.italic);
    EXPECT_TRUE(RunWithText(doc, "c").format.bold);
    EXPECT_TRUE(RunWithText(doc, "c").format.italic);
    EXPECT_TRUE(RunWithText(doc, "d").format.bold);
    EXPECT_FALSE(RunWithText(doc, "d").format.italic);
    EXPECT_FALSE(RunWithText(doc, "e").format.bold);
}

TEST(RtfReaderGroups, ZeroParameterTurnsAToggleOff)
{
    const RtfDocument doc = Read(R"({\rtf1\b\i\ul\strike a\b0 b\i0 c\ul0 d\strike0 e\ul f\ulnone g})");
    const RtfCharFormat& a = RunWithText(doc, "a").format;
    EXPECT_TRUE(a.bold && a.italic && a.underline && a.strike);
    EXPECT_FALSE(RunWithText(doc, "b").format.bold);
    EXPECT_TRUE(RunWithText(doc, "b").format.italic);
    EXPECT_FALSE(RunWithText(doc, "c").format.italic);
    EXPECT_FALSE(RunWithText(doc, "d").format.underline);
    EXPECT_FALSE(RunWithText(doc, "e").format.strike);
    EXPECT_TRUE(RunWithText(doc, "f").format.underline);
    EXPECT_FALSE(RunWithText(doc, "g").format.underline);
}

TEST(RtfReaderGroups, PlainResetsCharactersButNotParagraph)
{
    const RtfDocument doc = Read(R"({\rtf1\qc\b\i\fs40 big\plain  small})");
    EXPECT_EQ(RunWithText(doc, "big").format.fontSizeHalfPoints, 40);
    EXPECT_EQ(RunWithText(doc, " small").format, RtfCharFormat());
    ASSERT_EQ(doc.paragraphs.size(), 1u);
    EXPECT_EQ(doc.paragraphs[0].format.align, RtfParagraphFormat::Align::Center);
}

TEST(RtfReaderGroups, TextOfOneFormatIsOneRun)
{
    const RtfDocument doc = Read(R"({\rtf1 one {two} {\b0 three}\fs24  four})");
    ASSERT_EQ(doc.paragraphs.size(), 1u);
    ASSERT_EQ(doc.paragraphs[0].runs.size(), 1u);
    EXPECT_EQ(doc.paragraphs[0].runs[0].text, "one two three four");
}

TEST(RtfReaderGroups, FontSizeDefaultsAndBounds)
{
    const auto size = [](const std::string& word) {
        const RtfDocument doc = Read("{\\rtf1" + word + " x}");
        return doc.paragraphs.empty() || doc.paragraphs[0].runs.empty()
                   ? -1
                   : doc.paragraphs[0].runs[0].format.fontSizeHalfPoints;
    };
    EXPECT_EQ(size(""), 24);
    EXPECT_EQ(size("\\fs18"), 18);
    EXPECT_EQ(size("\\fs18\\fs"), 24);
    EXPECT_EQ(size("\\fs0"), 24);
    EXPECT_EQ(size("\\fs-4"), 24);
    EXPECT_EQ(size("\\fs30000"), 3276);
}

// --- paragraphs -----------------------------------------------------------

TEST(RtfReaderParagraphs, ParKeepsTheFormatPardResetsIt)
{
    const RtfDocument doc = Read(R"({\rtf1\qc\li720 one\par two\par\pard three})");
    ASSERT_EQ(doc.paragraphs.size(), 3u);
    EXPECT_EQ(doc.paragraphs[0].format.align, RtfParagraphFormat::Align::Center);
    EXPECT_EQ(doc.paragraphs[1].format.align, RtfParagraphFormat::Align::Center);
    EXPECT_EQ(doc.paragraphs[1].format.leftIndentTwips, 720);
    EXPECT_EQ(doc.paragraphs[2].format, RtfParagraphFormat());
    EXPECT_EQ(doc.PlainText(), "one\ntwo\nthree");
}

TEST(RtfReaderParagraphs, ParagraphFormatInAGroupEndsWithIt)
{
    const RtfDocument doc = Read(R"({\rtf1{\qr right\par}left\par})");
    ASSERT_EQ(doc.paragraphs.size(), 2u);
    EXPECT_EQ(doc.paragraphs[0].format.align, RtfParagraphFormat::Align::Right);
    EXPECT_EQ(doc.paragraphs[1].format.align, RtfParagraphFormat::Align::Left);
}

TEST(RtfReaderParagraphs, AlignmentAndIndents)
{
    const RtfDocument doc =
        Read(R"({\rtf1\ql l\par\qr r\par\qc c\par\qj\li1440\ri720\fi-360 j\par\pard\li99999 wide\par})");
    ASSERT_EQ(doc.paragraphs.size(), 5u);
    EXPECT_EQ(doc.paragraphs[0].format.align, RtfParagraphFormat::Align::Left);
    EXPECT_EQ(doc.paragraphs[1].format.align, RtfParagraphFormat::Align::Right);
    EXPECT_EQ(doc.paragraphs[2].format.align, RtfParagraphFormat::Align::Center);
    const RtfParagraphFormat& j = doc.paragraphs[3].format;
    EXPECT_EQ(j.align, RtfParagraphFormat::Align::Justify);
    EXPECT_EQ(j.leftIndentTwips, 1440);
    EXPECT_EQ(j.rightIndentTwips, 720);
    EXPECT_EQ(j.firstLineIndentTwips, -360);
    EXPECT_EQ(doc.paragraphs[4].format.leftIndentTwips, 32767);
}

TEST(RtfReaderParagraphs, EmptyParagraphsCountButNotTheOneAfterTheLastPar)
{
    EXPECT_EQ(Read(R"({\rtf1 a\par\par b})").PlainText(), "a\n\nb");
    EXPECT_EQ(Read(R"({\rtf1 a\par})").paragraphs.size(), 1u);
    EXPECT_EQ(Read(R"({\rtf1 \par a})").PlainText(), "\na");
    EXPECT_TRUE(Read(R"({\rtf1})").paragraphs.empty());
}

TEST(RtfReaderParagraphs, LineTabAndLineEndsOfTheSource)
{
    // Literal line ends are nothing; a backslash before one is a \par.
    const RtfDocument doc = Read("{\\rtf1 a\\line b\\tab c\r\nd\\\ne}");
    ASSERT_EQ(doc.paragraphs.size(), 2u);
    EXPECT_EQ(ParagraphText(doc.paragraphs[0]), "a\u2028b\tcd");
    EXPECT_EQ(ParagraphText(doc.paragraphs[1]), "e");
}

TEST(RtfReaderParagraphs, TableCellsAreTabsAndRowsParagraphs)
{
    const RtfDocument doc = Read(
        R"({\rtf1\trowd\cellx1000\cellx2000\intbl A1\cell B1\cell\row\trowd\cellx1000\cellx2000\intbl A2\cell B2\cell\row\pard after})");
    EXPECT_EQ(doc.PlainText(), "A1\tB1\t\nA2\tB2\t\nafter");
}

// --- font and colour tables ------------------------------------------------

TEST(RtfReaderTables, ColourTableEntriesForForegroundAndBackground)
{
    const RtfDocument doc = Read(
        R"({\rtf1{\colortbl;\red255\green0\blue0;\red0\green128\blue255;}a\cf1 b\cf2\cb1 c\cf0 d\highlight2 e\cf9\cb0 f})");
    EXPECT_EQ(doc.PlainText(), "abcdef");
    EXPECT_FALSE(RunWithText(doc, "a").format.hasColor);
    EXPECT_TRUE(RunWithText(doc, "b").format.hasColor);
    EXPECT_EQ(RunWithText(doc, "b").format.color, 0xFF0000u);
    const RtfCharFormat& c = RunWithText(doc, "c").format;
    EXPECT_EQ(c.color, 0x0080FFu);
    EXPECT_TRUE(c.hasBackground);
    EXPECT_EQ(c.background, 0xFF0000u);
    EXPECT_FALSE(RunWithText(doc, "d").format.hasColor);  // entry 0 is "auto"
    EXPECT_EQ(RunWithText(doc, "e").format.background, 0x0080FFu);
    EXPECT_FALSE(RunWithText(doc, "f").format.hasColor);  // no entry 9
    EXPECT_FALSE(RunWithText(doc, "f").format.hasBackground);
}

TEST(RtfReaderTables, ColourComponentsAreClamped)
{
    const RtfDocument doc = Read(R"({\rtf1{\colortbl;\red999\green-5\blue16;}\cf1 x})");
    EXPECT_EQ(RunWithText(doc, "x").format.color, 0xFF0010u);
}

TEST(RtfReaderTables, FontTableNamesTheFonts)
{
    const RtfDocument doc = Read(
        R"({\rtf1\deff0{\fonttbl{\f0\fswiss Arial;}{\f1\froman\fcharset0{\*\panose 02020603050405020304}Times New Roman;}}a\f1 b\f5 c{\f0 d}\plain e})");
    EXPECT_EQ(doc.PlainText(), "abcde");
    EXPECT_EQ(RunWithText(doc, "a").format.fontName, "Arial");  // the default font
    EXPECT_EQ(RunWithText(doc, "b").format.fontName, "Times New Roman");
    EXPECT_EQ(RunWithText(doc, "c").format.fontName, "");
    // d in \f0 and e after \plain (the default font again) are one run.
    EXPECT_EQ(RunWithText(doc, "de").format.fontName, "Arial");
}

TEST(RtfReaderTables, FontEntriesWithoutGroupsAndOverlongNames)
{
    const RtfDocument doc = Read("{\\rtf1{\\fonttbl\\f0 Courier New;\\f1 " + std::string(200, 'N') +
                                 ";}\\f0 a\\f1 b}");
    EXPECT_EQ(RunWithText(doc, "a").format.fontName, "Courier New");
    EXPECT_EQ(RunWithText(doc, "b").format.fontName, std::string(31, 'N'));
}

// --- code pages -------------------------------------------------------------

TEST(RtfReaderCodePages, HexBytesAreTheDocumentsCodePage1252ByDefault)
{
    EXPECT_EQ(Read(R"({\rtf1 caf\'e9 na\'efve})").PlainText(), "café naïve");
    EXPECT_EQ(Read(R"({\rtf1\ansi\ansicpg1252 \'80 \'93x\'94})").PlainText(), "€ “x”");
}

TEST(RtfReaderCodePages, AnsiCodePage1251IsCyrillic)
{
    EXPECT_EQ(Read(R"({\rtf1\ansi\ansicpg1251 \'cf\'f0\'e8\'e2\'e5\'f2})").PlainText(), "Привет");
}

TEST(RtfReaderCodePages, FontCharset128ReadsTwoByteShiftJis)
{
    const RtfDocument doc = Read(
        R"({\rtf1\ansi\ansicpg1252{\fonttbl{\f0 Arial;}{\f1\fcharset128 MS Gothic;}}\f1 \'93\'fa\'96\'7b \'83e\'83X\'83g\f0  caf\'e9})");
    EXPECT_EQ(doc.PlainText(), "日本 テスト café");
    EXPECT_EQ(RunWithText(doc, "日本 テスト").format.fontName, "MS Gothic");
}

TEST(RtfReaderCodePages, FontCharsetsSelectTheirCodePages)
{
    const RtfDocument doc = Read(
        R"({\rtf1{\fonttbl{\f0\fcharset0 A;}{\f1\fcharset204 B;}{\f2\fcharset161 C;}{\f3\fcharset238 D;}}\f0\'e9\f1\'e9\f2\'e1\f3\'b9})");
    EXPECT_EQ(doc.PlainText(), "éйαą");
}

TEST(RtfReaderCodePages, ALeadByteWithoutItsTrailByteIsReplaced)
{
    const RtfDocument doc = Read(R"({\rtf1{\fonttbl{\f1\fcharset128 G;}}\f1 \'93\par x})");
    EXPECT_EQ(doc.PlainText(), "\uFFFD\nx");
}

TEST(RtfReaderCodePages, UnknownCodePageFallsBackTo1252)
{
    EXPECT_EQ(Read(R"({\rtf1\ansicpg12345 \'e9})").PlainText(), "é");
}

// --- \uN ---------------------------------------------------------------------

TEST(RtfReaderUnicode, FallbackCharactersAreSkipped)
{
    EXPECT_EQ(Read(R"({\rtf1\uc1 \u8364?x})").PlainText(), "€x");
    EXPECT_EQ(Read(R"({\rtf1 \u8364?x})").PlainText(), "€x");  // \uc1 is the default
    EXPECT_EQ(Read(R"({\rtf1\uc0 \u8364?x})").PlainText(), "€?x");
    EXPECT_EQ(Read(R"({\rtf1\uc2 \u8364??x})").PlainText(), "€x");
}

TEST(RtfReaderUnicode, SkippedUnitsMayBeHexBytesOrControlWordsButNotBraces)
{
    EXPECT_EQ(Read(R"({\rtf1\u8364\'80x})").PlainText(), "€x");
    EXPECT_EQ(Read(R"({\rtf1\u8364\emdash x})").PlainText(), "€x");
    const RtfDocument doc = Read(R"({\rtf1\uc2\u8364{\b x}y})");
    EXPECT_EQ(doc.PlainText(), "€xy");
    EXPECT_TRUE(RunWithText(doc, "x").format.bold);
}

TEST(RtfReaderUnicode, SkipCountBelongsToTheGroup)
{
    EXPECT_EQ(Read(R"({\rtf1{\uc3 a}\u8364?b})").PlainText(), "a€b");
}

TEST(RtfReaderUnicode, NegativeValuesAndSurrogatePairs)
{
    EXPECT_EQ(Read(R"({\rtf1\u-200?})").PlainText(), "\uFF38");
    EXPECT_EQ(Read(R"({\rtf1 a\u-10179?\u-8704?b})").PlainText(), "a\U0001F600b");
    EXPECT_EQ(Read(R"({\rtf1 a\u55357?b})").PlainText(), "a\uFFFDb");
    EXPECT_EQ(Read(R"({\rtf1 a\u56832?b})").PlainText(), "a\uFFFDb");
    EXPECT_EQ(Read(R"({\rtf1 a\u55357?\par b})").PlainText(), "a\uFFFD\nb");
    EXPECT_EQ(Read(R"({\rtf1 \u99999?\u-99999?})").PlainText(), "\uFFFD\uFFFD");
}

// --- control symbols and special characters -----------------------------------

TEST(RtfReaderSymbols, EscapedCharactersAndSpaces)
{
    EXPECT_EQ(Read(R"({\rtf1 \\ \{ \} a\~b c\-d e\_f})").PlainText(), "\\ { } a\u00A0b cd e\u2011f");
}

TEST(RtfReaderSymbols, QuotesDashesAndBullets)
{
    EXPECT_EQ(Read(R"({\rtf1 \emdash\endash\bullet\lquote\rquote\ldblquote\rdblquote})").PlainText(),
              "—–•‘’“”");
}

// --- destinations -------------------------------------------------------------

TEST(RtfReaderDestinations, IgnorableAndKnownDestinationsAreNotShown)
{
    const RtfDocument doc = Read(
        R"({\rtf1{\*\generator Riched20 10.0;}{\stylesheet{\s0 Normal;}{\s1 Heading 1;}}{\info{\title Secret}{\author Someone}})"
        R"({\header head}{\footerl foot}{\*\unknown{\nested deep} text}shown})");
    EXPECT_EQ(doc.PlainText(), "shown");
}

TEST(RtfReaderDestinations, PicturesOfAnySizeAreSkipped)
{
    std::string hex;
    for (int i = 0; i < 200000; ++i)
        hex += "0123456789abcdef"[i % 16];
    const RtfDocument doc = Read("{\\rtf1 before{\\pict\\wmetafile8\\picw100\\pich100 " + hex + "}after}");
    EXPECT_EQ(doc.PlainText(), "beforeafter");
}

TEST(RtfReaderDestinations, BinaryDataMayHoldBraces)
{
    EXPECT_EQ(Read("{\\rtf1 a{\\pict\\bin3 }}}}b}").PlainText(), "ab");
    EXPECT_EQ(Read("{\\rtf1 a{\\pict\\bin999999 }}").PlainText(), "a");
}

TEST(RtfReaderDestinations, FieldsShowTheirResultOnly)
{
    EXPECT_EQ(Read(R"({\rtf1 see {\field{\*\fldinst HYPERLINK "https://x"}{\fldrslt{\ul the site}}}.})").PlainText(),
              "see the site.");
    EXPECT_EQ(Read(R"({\rtf1{\field{\fldinst PAGE}{\fldrslt 7}}})").PlainText(), "7");
}

TEST(RtfReaderDestinations, UnknownWordsWithoutTheStarShowTheirText)
{
    EXPECT_EQ(Read(R"({\rtf1{\madeupword kept} too})").PlainText(), "kept too");
}

TEST(RtfReaderDestinations, HiddenTextIsNotShown)
{
    EXPECT_EQ(Read(R"({\rtf1 shown{\v hidden \u8364?\emdash} and\v  gone\v0  again\v  x\plain  y})").PlainText(),
              "shown and again y");
}

TEST(RtfReaderDestinations, TextAfterTheDocumentsGroupIsNotPartOfIt)
{
    EXPECT_EQ(Read(R"({\rtf1 in} out)").PlainText(), "in");
}

// --- plain text ---------------------------------------------------------------

TEST(RtfReaderPlainText, Utf8LinesBecomeParagraphs)
{
    const RtfDocument doc = Read("Grüße\r\nzweite\rdritte\nvierte\n");
    EXPECT_FALSE(doc.isRtf);
    ASSERT_EQ(doc.paragraphs.size(), 4u);
    EXPECT_EQ(doc.PlainText(), "Grüße\nzweite\ndritte\nvierte");
    EXPECT_EQ(doc.paragraphs[0].runs[0].format, RtfCharFormat());
}

TEST(RtfReaderPlainText, InvalidUtf8IsCodePage1252)
{
    EXPECT_EQ(Read("caf\xe9 \x80\n\x93q\x94").PlainText(), "café €\n“q”");
}

TEST(RtfReaderPlainText, ByteOrderMarkAndBlankLines)
{
    EXPECT_EQ(Read("\xEF\xBB\xBFtext\n\nmore").PlainText(), "text\n\nmore");
}

TEST(RtfReaderPlainText, NearlyRtfAndEmptyInput)
{
    const RtfDocument nearly = Read("{\\rtx1 \\b x}");
    EXPECT_FALSE(nearly.isRtf);
    EXPECT_EQ(nearly.PlainText(), "{\\rtx1 \\b x}");
    const RtfDocument empty = RtfReader::Read(nullptr, 0);
    EXPECT_FALSE(empty.isRtf);
    EXPECT_TRUE(empty.paragraphs.empty());
}

// --- malformed and hostile input ----------------------------------------------

TEST(RtfReaderMalformed, DeepNestingIsFlattenedAndStillRead)
{
    const std::size_t depth = 100000;
    const std::string doc = "{\\rtf1 " + std::string(depth, '{') + "\\b x" + std::string(depth, '}') + " y}";
    const RtfDocument read = Read(doc);
    EXPECT_EQ(read.PlainText(), "x y");
    EXPECT_TRUE(RunWithText(read, "x").format.bold);
    EXPECT_FALSE(RunWithText(read, " y").format.bold);
}

TEST(RtfReaderMalformed, UnclosedGroupsAndExtraBraces)
{
    EXPECT_EQ(Read("{\\rtf1 a" + std::string(100000, '{') + "b").PlainText(), "ab");
    EXPECT_EQ(Read("{\\rtf1 {\\b a}" + std::string(100000, '}')).PlainText(), "a");
    EXPECT_EQ(Read("{\\rtf1 a\\").PlainText(), "a");
}

TEST(RtfReaderMalformed, HugeNumbersAreClamped)
{
    const std::string digits(10 * 1024 * 1024, '9');
    const RtfDocument doc =
        Read("{\\rtf1\\fs" + digits + " a\\pard\\li-" + digits + " b\\u" + digits + " c\\cf" + digits + " d}");
    ASSERT_EQ(doc.paragraphs.size(), 1u);
    ASSERT_FALSE(doc.paragraphs[0].runs.empty());
    EXPECT_EQ(doc.paragraphs[0].runs[0].format.fontSizeHalfPoints, 3276);
    EXPECT_EQ(doc.paragraphs[0].format.leftIndentTwips, -32768);
    EXPECT_EQ(doc.PlainText(), "ab\uFFFDd");  // \uN's fallback 'c' skipped
}

TEST(RtfReaderMalformed, OverlongControlWordsAreCutAndIgnored)
{
    const RtfDocument doc = Read("{\\rtf1\\" + std::string(100000, 'b') + " x\\" + std::string(40, 'b') + " y}");
    EXPECT_EQ(doc.PlainText(), "xy");
    EXPECT_FALSE(RunWithText(doc, "xy").format.bold);
}

TEST(RtfReaderMalformed, EveryTruncationOfASampleIsBoundedValidText)
{
    const std::string sample = SampleDescription("1033");
    ASSERT_FALSE(sample.empty());
    const std::size_t full = Read(sample).paragraphs.size();
    for (std::size_t n = 0; n <= sample.size(); ++n) {
        const RtfDocument doc = Read(sample.substr(0, n));
        const std::string text = doc.PlainText();
        ASSERT_LE(text.size(), 3 * n) << n;
        ASSERT_TRUE(platform::IsUtf8(text.data(), text.size())) << n;
        ASSERT_LE(doc.paragraphs.size(), full) << n;
    }
}

TEST(RtfReaderMalformed, OutputStaysWithinAFewBytesPerInputByte)
{
    const std::string cases[] = {
        "{\\rtf1 " + std::string(50000, '\xe9'),
        "{\\rtf1 " + [] { std::string s; for (int i = 0; i < 20000; ++i) s += "\\_"; return s; }(),
        "{\\rtf1 " + [] { std::string s; for (int i = 0; i < 20000; ++i) s += "\\par"; return s; }(),
        "{\\rtf1{\\fonttbl{\\f1 " + std::string(1000, 'F') + ";}}" +
            [] { std::string s; for (int i = 0; i < 20000; ++i) s += i % 2 ? "\\f1 a" : "\\f0 a"; return s; }(),
    };
    for (const std::string& input : cases) {
        const RtfDocument doc = Read(input);
        std::size_t bytes = 0;
        for (const RtfParagraph& p : doc.paragraphs)
            for (const RtfRun& r : p.runs)
                bytes += r.text.size() + r.format.fontName.size();
        EXPECT_LE(bytes, 6 * input.size());
        EXPECT_LE(doc.paragraphs.size(), input.size() / 4 + 1);
    }
}

TEST(RtfReaderMalformed, ZeroBytesAreNotText)
{
    const std::string doc("{\\rtf1 a\0b\\'00c}", 16);
    EXPECT_EQ(Read(doc).PlainText(), "abc");
}

// --- the sample update's descriptions ----------------------------------------

TEST(RtfReaderSample, EnglishDescription)
{
    const RtfDocument doc = Read(SampleDescription("1033"));
    ASSERT_TRUE(doc.isRtf);
    ASSERT_EQ(doc.paragraphs.size(), 10u);
    const RtfParagraph& title = doc.paragraphs[0];
    ASSERT_EQ(title.runs.size(), 1u);
    EXPECT_EQ(title.runs[0].text, "Brelvo Glimmary 2.1");
    EXPECT_TRUE(title.runs[0].format.bold);
    EXPECT_EQ(title.runs[0].format.fontSizeHalfPoints, 26);
    EXPECT_EQ(title.runs[0].format.fontName, "Arial");

    const std::string text = doc.PlainText();
    EXPECT_NE(text.find("This update brings Glimmary and Glimmary Viewer to version 2.1."), std::string::npos);
    EXPECT_NE(text.find("Please close Glimmary and Glimmary Viewer before you start the installation."),
              std::string::npos);
    EXPECT_NE(text.find("(for example café or naïve)"), std::string::npos);
    EXPECT_EQ(ParagraphText(doc.paragraphs[3]), "Changes in this update");
    EXPECT_TRUE(doc.paragraphs[3].runs[0].format.bold);

    const RtfParagraph& bullet = doc.paragraphs[4];
    EXPECT_EQ(ParagraphText(bullet), "•\tAlbums with many thousands of pictures open up to twice as fast.");
    EXPECT_EQ(bullet.format.leftIndentTwips, 480);
    EXPECT_EQ(bullet.format.firstLineIndentTwips, -240);
    EXPECT_FALSE(bullet.runs[0].format.bold);
    EXPECT_EQ(bullet.runs[0].format.fontSizeHalfPoints, 20);

    EXPECT_EQ(ParagraphText(doc.paragraphs[8]), "•\tSeveral security fixes.");
    EXPECT_EQ(ParagraphText(doc.paragraphs[9]), "For more details, click More Details.");
    EXPECT_EQ(doc.paragraphs[9].format.leftIndentTwips, 0);
}

TEST(RtfReaderSample, GermanDescription)
{
    const RtfDocument doc = Read(SampleDescription("1031"));
    ASSERT_EQ(doc.paragraphs.size(), 10u);
    const std::string text = doc.PlainText();
    EXPECT_NE(text.find("Große Alben öffnen sich schneller"), std::string::npos);
    EXPECT_NE(text.find("Bitte schließen Sie Glimmary"), std::string::npos);
    EXPECT_NE(text.find("(etwa Äpfel oder Bücher)"), std::string::npos);
    EXPECT_EQ(ParagraphText(doc.paragraphs[9]), "Weitere Informationen erhalten Sie mit „Weitere Details“.");
    EXPECT_EQ(ParagraphText(doc.paragraphs[3]), "Änderungen in diesem Update");
    EXPECT_TRUE(doc.paragraphs[3].runs[0].format.bold);
}
