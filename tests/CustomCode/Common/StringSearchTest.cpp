// cmString: Find, slicing and in-place editing, with UTF-8 character positions.
#include "CustomCode/Common/cmString.h"

#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>
#include <string>

namespace {
std::string S(const cmString& s) { return std::string(s.GetText(), s.GetLengthInTchars()); }
const char kInsertCheck[] = "INVALID ARG: Evaluation of '(nOffset<=GetLengthInTchars())' failed.  Returning E_INVALIDARG.\n";
}  // namespace

TEST(StringFind, BackwardForABackslashCountsFromTheEnd)
{
    const cmString path("a\\b\\c");
    LONG pos = 0;
    EXPECT_TRUE(path.Find('\\', pos, cmString::BACKWARD));
    EXPECT_EQ(pos, 3);
    pos = 2;
    EXPECT_TRUE(path.Find('\\', pos, cmString::BACKWARD));
    EXPECT_EQ(pos, 1);
    pos = 4;  // only 'a' is left to look at
    EXPECT_FALSE(path.Find('\\', pos, cmString::BACKWARD));
    EXPECT_EQ(pos, -1);
    pos = 1;
    EXPECT_TRUE(path.Find("\\", pos, cmString::BACKWARD));
    EXPECT_EQ(pos, 3);
}

TEST(StringFind, ForwardFromAPosition)
{
    const cmString s("abcabc");
    LONG pos = 0;
    EXPECT_TRUE(s.Find("bc", pos));
    EXPECT_EQ(pos, 1);
    pos = 2;
    EXPECT_TRUE(s.Find("bc", pos, cmString::FORWARD));
    EXPECT_EQ(pos, 4);
    pos = 5;
    EXPECT_FALSE(s.Find("bc", pos));
    EXPECT_EQ(pos, -1);
    pos = 0;
    EXPECT_TRUE(s.Find('c', pos));
    EXPECT_EQ(pos, 2);
    // A text of several characters searched backwards ends before the start point.
    pos = 0;
    EXPECT_TRUE(s.Find("ab", pos, cmString::BACKWARD));
    EXPECT_EQ(pos, 3);
    pos = 2;
    EXPECT_TRUE(s.Find("ab", pos, cmString::BACKWARD));
    EXPECT_EQ(pos, 0);
}

TEST(StringFind, PositionsOutsideTheTextReset)
{
    const cmString s("abc");
    LONG pos = -1;
    EXPECT_FALSE(s.Find("a", pos));
    EXPECT_EQ(pos, 0);
    pos = 4;
    EXPECT_FALSE(s.Find('a', pos, cmString::BACKWARD));
    EXPECT_EQ(pos, 0);
    pos = 3;  // at the end: inside the range, nothing found
    EXPECT_FALSE(s.Find("a", pos));
    EXPECT_EQ(pos, -1);
    pos = 0;
    EXPECT_FALSE(s.Find(static_cast<LPCSTR>(nullptr), pos));
    EXPECT_EQ(pos, -1);
}

TEST(StringFind, Utf8PositionsCountCharacters)
{
    // "äöü/日本/x": 8 characters in 15 bytes.
    const cmString s("\xC3\xA4\xC3\xB6\xC3\xBC/\xE6\x97\xA5\xE6\x9C\xAC/x");
    EXPECT_EQ(s.GetLengthInTchars(), 15u);
    EXPECT_EQ(s.GetLengthInCharacters(), 8u);
    LONG pos = 0;
    EXPECT_TRUE(s.Find('/', pos));
    EXPECT_EQ(pos, 3);
    pos = 0;
    EXPECT_TRUE(s.Find('/', pos, cmString::BACKWARD));
    EXPECT_EQ(pos, 6);
    pos = 0;
    EXPECT_TRUE(s.Find("\xE6\x9C\xAC", pos));
    EXPECT_EQ(pos, 5);
    pos = 10;  // beyond the 8 characters, though within the bytes
    EXPECT_FALSE(s.Find('/', pos));
    EXPECT_EQ(pos, 0);
    EXPECT_EQ(S(s.Mid(4, 2)), "\xE6\x97\xA5\xE6\x9C\xAC");
    EXPECT_EQ(S(s.Left(2)), "\xC3\xA4\xC3\xB6");
    EXPECT_EQ(S(s.Right(3)), "\xE6\x9C\xAC/x");
    // A trail byte on its own is a character of its own and never splits a match.
    const cmString broken("\x80\xC3\xA4");
    EXPECT_EQ(broken.GetLengthInCharacters(), 2u);
    pos = 0;
    EXPECT_FALSE(cmString("\xC3\xA4").Find("\xA4", pos));
}

TEST(StringSlice, MidLeftRightBoundaries)
{
    const cmString s("abcdef");
    EXPECT_EQ(S(s.Mid(2, 100)), "cdef");
    EXPECT_EQ(S(s.Mid(6)), "");
    EXPECT_EQ(S(s.Mid(7, 1)), "");
    EXPECT_EQ(S(s.Mid(0)), "abcdef");
    EXPECT_EQ(S(s.Mid(1, 0)), "");
    EXPECT_EQ(S(s.Left(3)), "abc");
    EXPECT_EQ(S(s.Left(10)), "abcdef");
    EXPECT_EQ(S(s.Right(2)), "ef");
    EXPECT_EQ(S(s.Right(10)), "abcdef");
    EXPECT_EQ(S(s.Right(0)), "");
}

TEST(StringSlice, TextBetweenMarkers)
{
    const cmString s("key=[value] rest [other]");
    EXPECT_EQ(S(s.GetTextBetween("[", "]")), "value");
    EXPECT_EQ(S(s.GetTextBetween("key=", " ")), "[value]");
    EXPECT_EQ(S(s.GetTextBetween("[", "#")), "");
    EXPECT_EQ(S(s.GetTextBetween("<", "]")), "");
    EXPECT_EQ(S(cmString("a]b[c").GetTextBetween("[", "]")), "");  // the end marker must follow the start
    EXPECT_EQ(S(s.GetTextBetween("[", static_cast<LPCSTR>(nullptr))), "");
}

TEST(StringEdit, RemoveMidResultCodes)
{
    cmString s("abcdef");
    EXPECT_EQ(s.RemoveMid(1, 2), S_OK);
    EXPECT_EQ(S(s), "adef");
    EXPECT_EQ(s.RemoveMid(4, 5), S_OK);  // at the length: nothing removed
    EXPECT_EQ(S(s), "adef");
    EXPECT_EQ(s.RemoveMid(5, 1), S_FALSE);
    EXPECT_EQ(S(s), "adef");
    EXPECT_EQ(s.RemoveMid(2, 100), S_OK);
    EXPECT_EQ(S(s), "ad");
    cmString u("\xC3\xA4\xC3\xB6\xC3\xBC");
    EXPECT_EQ(u.RemoveMid(1, 1), S_OK);
    EXPECT_EQ(S(u), "\xC3\xA4\xC3\xBC");
    EXPECT_EQ(u.RemoveMid(3, 1), S_FALSE);  // 2 characters, though 4 bytes
}

TEST(StringEdit, InsertStringBoundariesAndCheckLine)
{
    testsupport::LogCapture log;
    cmString s("abc");
    EXPECT_EQ(s.InsertString("X", 0), S_OK);
    EXPECT_EQ(s.InsertString("Y", 2), S_OK);
    EXPECT_EQ(S(s), "XaYbc");
    EXPECT_EQ(s.InsertString("!", 5), S_OK);  // at the length: appends
    EXPECT_EQ(S(s), "XaYbc!");
    EXPECT_TRUE(log.Lines().empty());
    EXPECT_EQ(s.InsertString("?", 7), E_INVALIDARG);
    EXPECT_EQ(S(s), "XaYbc!");
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0], kInsertCheck);
    EXPECT_EQ(s.InsertString(static_cast<LPCSTR>(nullptr), 1), S_OK);
    EXPECT_EQ(S(s), "XaYbc!");

    cmString u("\xC3\xA4\xC3\xB6");  // 2 characters, 4 bytes
    EXPECT_EQ(u.InsertString("-", 1), S_OK);
    EXPECT_EQ(S(u), "\xC3\xA4-\xC3\xB6");
    log.Clear();
    EXPECT_EQ(u.InsertString("-", 4), E_INVALIDARG);  // within the bytes, beyond the characters
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0],
              "INVALID ARG: Evaluation of '(nOffset<=GetLengthInCharacters())' failed.  Returning E_INVALIDARG.\n");
}

TEST(StringEdit, ReplaceAll)
{
    cmString s("a.b.c");
    EXPECT_EQ(s.ReplaceAll(".", "\\"), 2u);
    EXPECT_EQ(S(s), "a\\b\\c");
    // Each pass starts again from the beginning, so new occurrences count too.
    cmString t("aabb");
    EXPECT_EQ(t.ReplaceAll("ab", "a"), 2u);
    EXPECT_EQ(S(t), "aa");
    // A replacement that holds the find text ends after one pass.
    cmString u("xax");
    EXPECT_EQ(u.ReplaceAll("a", "aa"), 1u);
    EXPECT_EQ(S(u), "xaax");
    cmString v("aaa");
    EXPECT_EQ(v.ReplaceAll("a", "ba"), 3u);
    EXPECT_EQ(S(v), "bababa");
    cmString w("none");
    EXPECT_EQ(w.ReplaceAll("", "x"), 0u);
    EXPECT_EQ(w.ReplaceAll("o", static_cast<LPCSTR>(nullptr)), 1u);
    EXPECT_EQ(S(w), "nne");
}

TEST(StringEdit, TrimCountsRemovedCharacters)
{
    cmString s(" \t\r\n text \xC2\xA0\xE3\x80\x80");  // NBSP and ideographic space at the end
    EXPECT_EQ(s.TrimLeft(), 5u);
    EXPECT_EQ(S(s), "text \xC2\xA0\xE3\x80\x80");
    EXPECT_EQ(s.TrimRight(), 3u);
    EXPECT_EQ(S(s), "text");
    EXPECT_EQ(s.TrimLeft(), 0u);
    EXPECT_EQ(s.TrimRight(), 0u);
    cmString blank("   ");
    EXPECT_EQ(blank.TrimRight(), 3u);
    EXPECT_TRUE(blank.IsEmpty());
    cmString none;
    EXPECT_EQ(none.TrimLeft(), 0u);
    EXPECT_EQ(none.TrimRight(), 0u);
    cmString zeroWidth("\xE2\x80\x8Bx");  // U+200B is not white space
    EXPECT_EQ(zeroWidth.TrimLeft(), 0u);
}
