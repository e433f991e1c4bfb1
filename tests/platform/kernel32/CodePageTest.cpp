#include "platform/kernel32/CodePage.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WinError.h"

#include <gtest/gtest.h>
#include <string>

TEST(CodePage, Utf8AndUtf16RoundTripIncludingSurrogatePairs)
{
    const std::string text = "a\xC3\xA4\xE6\x97\xA5\xF0\x9F\x98\x80";  // a ä 日 😀
    const std::u16string wide = platform::Utf8ToUtf16(text.data(), text.size());
    EXPECT_EQ(wide, std::u16string(u"a\u00E4\u65E5\U0001F600"));
    EXPECT_EQ(platform::Utf16ToUtf8(wide.data(), wide.size()), text);
}

TEST(CodePage, MalformedInputBecomesReplacementCharacters)
{
    bool invalid = false;
    // A lone trail byte, an overlong form, a truncated sequence, an encoded surrogate.
    const std::string bad = "\x80|\xC0\xAF|\xE6\x97|\xED\xA0\x80";
    const std::u16string wide = platform::Utf8ToUtf16(bad.data(), bad.size(), &invalid);
    EXPECT_TRUE(invalid);
    EXPECT_EQ(wide, std::u16string(u"\uFFFD|\uFFFD\uFFFD|\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD"));

    const char16_t lone[] = {u'x', 0xD800, u'y', 0xDC00};
    EXPECT_EQ(platform::Utf16ToUtf8(lone, 4, &invalid), "x\xEF\xBF\xBDy\xEF\xBF\xBD");
    EXPECT_TRUE(invalid);
}

TEST(CodePage, SequenceLengthStaysInsideTheAvailableBytes)
{
    const unsigned char three[] = {0xE6, 0x97, 0xA5};
    EXPECT_EQ(platform::Utf8SequenceLength(three, 3), 3u);
    EXPECT_EQ(platform::Utf8SequenceLength(three, 2), 0u);
    const unsigned char above[] = {0xF4, 0x90, 0x80, 0x80};  // beyond U+10FFFF
    EXPECT_EQ(platform::Utf8SequenceLength(above, 4), 0u);
}

TEST(CodePage, Win32CallsFollowTheSizeRules)
{
    EXPECT_EQ(GetACP(), CP_UTF8);
    // -1 includes the terminator; size 0 asks for the size.
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "h\xC3\xA4", -1, nullptr, 0), 3);
    char16_t wide[3];
    EXPECT_EQ(MultiByteToWideChar(CP_THREAD_ACP, 0, "h\xC3\xA4", -1, wide, 3), 3);
    EXPECT_EQ(std::u16string(wide), u"h\u00E4");

    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "hello", -1, wide, 3), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xFF", 1, wide, 3), 0);
    EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);

    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "a", 1, wide, 3), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    char narrow[8];
    BOOL usedDefault = FALSE;
    const char16_t lone[] = {u'a', 0xDC00, 0};
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, lone, -1, narrow, sizeof narrow, "?", &usedDefault), 3);
    EXPECT_STREQ(narrow, "a?");
    EXPECT_TRUE(usedDefault);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"\u65E5", 1, nullptr, 0, nullptr, nullptr), 3);
}
