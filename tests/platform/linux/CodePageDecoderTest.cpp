// Windows code pages decoded into UTF-8: the built-in 1252 table, the code
// pages iconv reads, the fallback for the ones it cannot, and bytes that are
// not text of their code page.
#include "platform/linux/CodePageDecoder.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::string Decode(unsigned codePage, const std::string& bytes)
{
    return platform::DecodeCodePage(codePage, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

TEST(CodePageDecoder, Western1252IncludingItsC1Range)
{
    EXPECT_EQ(Decode(1252, "caf\xe9 \x80 \x93q\x94 \x9f"), "café € “q” Ÿ");
    // The bytes 1252 leaves undefined read as the C1 controls of that value.
    EXPECT_EQ(Decode(1252, "\x81\x8d\x8f\x90\x9d"), "\u0081\u008D\u008F\u0090\u009D");
}

TEST(CodePageDecoder, SingleByteCodePagesThroughIconv)
{
    EXPECT_EQ(Decode(1251, "\xcf\xf0\xe8\xe2\xe5\xf2"), "Привет");
    EXPECT_EQ(Decode(1253, "\xe1\xe2\xe3"), "αβγ");
    EXPECT_EQ(Decode(1250, "\xb9\xe6"), "ąć");
}

TEST(CodePageDecoder, DoubleByteCodePages)
{
    EXPECT_EQ(Decode(932, "\x93\xfa\x96\x7b \x83""e\x83X\x83g"), "日本 テスト");
    EXPECT_EQ(Decode(936, "\xc4\xe3"), "你");
    EXPECT_EQ(Decode(949, "\xb0\xa1"), "가");
    EXPECT_EQ(Decode(950, "\xa4\xa4"), "中");
}

TEST(CodePageDecoder, BytesThatAreNotTextBecomeReplacementCharacters)
{
    // A lead byte at the end, and one followed by a byte that cannot trail it.
    EXPECT_EQ(Decode(932, "a\x93"), "a\uFFFD");
    EXPECT_EQ(Decode(936, "\xff" "b"), "\uFFFD" "b");
}

TEST(CodePageDecoder, UnknownCodePagesAre1252)
{
    platform::CodePageDecoder decoder(12345);
    EXPECT_EQ(decoder.CodePage(), 1252u);
    std::string out;
    const std::uint8_t e9 = 0xE9;
    decoder.AppendUtf8(&e9, 1, out);
    EXPECT_EQ(out, "é");
    EXPECT_EQ(platform::CodePageDecoder(1251).CodePage(), 1251u);
}

TEST(CodePageDecoder, OneDecoderServesManyTexts)
{
    platform::CodePageDecoder decoder(932);
    std::string out;
    const std::uint8_t lead[] = {0x93};
    const std::uint8_t text[] = {0x93, 0xFA};
    decoder.AppendUtf8(lead, 1, out);  // nothing of it is carried into the next call
    decoder.AppendUtf8(text, 2, out);
    EXPECT_EQ(out, "\uFFFD日");
    // Longer than the decoder's buffer.
    const std::string many(3000, '\xe9');
    EXPECT_EQ(Decode(1251, many).size(), 6000u);
}
