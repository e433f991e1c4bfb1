// cmString: construction, assignment, access, buffers, comparison, conversions.
#include "CustomCode/Common/cmBuffer.h"
#include "CustomCode/Common/cmString.h"

#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <string>

namespace {
std::string S(const cmString& s) { return std::string(s.GetText(), s.GetLengthInTchars()); }
}  // namespace

TEST(String, EmptyTextIsNeverNull)
{
    cmString a;
    ASSERT_NE(a.GetText(), nullptr);
    EXPECT_STREQ(a.GetText(), "");
    EXPECT_TRUE(a.IsEmpty());
    cmString b(static_cast<LPCSTR>(nullptr));
    EXPECT_STREQ(b.GetText(), "");
    cmString c(nullptr);
    EXPECT_STREQ(static_cast<LPCSTR>(c), "");
    cmString d("abc");
    d = static_cast<LPCSTR>(nullptr);
    ASSERT_NE(d.GetText(), nullptr);
    EXPECT_EQ(d.GetLengthInTchars(), 0u);
    cmString e = cmString("x").Mid(5);
    EXPECT_STREQ(e.GetText(), "");
}

TEST(String, ConstructionForms)
{
    EXPECT_EQ(S(cmString("abc")), "abc");
    const cmString counted("a\0b", 3);  // exactly the bytes given, NULs included
    EXPECT_EQ(counted.GetLengthInTchars(), 3u);
    EXPECT_EQ(S(counted), std::string("a\0b", 3));
    EXPECT_EQ(S(cmString("abcdef", 2)), "ab");
    EXPECT_EQ(S(cmString('x')), "x");
    EXPECT_EQ(S(cmString(u"gr\u00FC\u00DF \u65E5")), "gr\xC3\xBC\xC3\x9F \xE6\x97\xA5");
    const char16_t withNul[] = {u'a', 0, u'b'};
    EXPECT_EQ(S(cmString(withNul, 3)), std::string("a\0b", 3));
    const char16_t lone[] = {0xD800, u'z'};
    EXPECT_EQ(S(cmString(lone, 2)), "\xEF\xBF\xBDz");
    EXPECT_EQ(S(cmString(static_cast<const char16_t*>(nullptr))), "");
}

TEST(String, CopiesOwnTheirBuffers)
{
    cmString a("shared?");
    cmString b(a);
    EXPECT_NE(a.GetText(), b.GetText());
    b.MakeUpper();
    EXPECT_EQ(S(a), "shared?");
    cmString c;
    c = a;
    EXPECT_NE(c.GetText(), a.GetText());
    EXPECT_EQ(c.GetCapacity(), a.GetLengthInTchars() + 1);
    cmString moved(std::move(c));
    EXPECT_EQ(S(moved), "shared?");
    EXPECT_STREQ(c.GetText(), "");
}

TEST(String, SelfAssignmentAndAssigningFromOwnText)
{
    cmString a("keep me");
    const LPCSTR before = a.GetText();
    cmString& self = a;
    a = self;
    EXPECT_EQ(S(a), "keep me");
    a = a.GetText();
    EXPECT_EQ(a.GetText(), before);
    a = a.GetText() + 5;  // a tail of its own text
    EXPECT_EQ(S(a), "me");
    EXPECT_EQ(a.GetCapacity(), 3u);
}

TEST(String, CharacterAccessGivesBlankPastTheEnd)
{
    const cmString s("ab");
    EXPECT_EQ(s.GetAt(0), 'a');
    EXPECT_EQ(s[1], 'b');
    EXPECT_EQ(s.GetAt(2), ' ');
    EXPECT_EQ(s.GetAt(100), ' ');
    EXPECT_EQ(s.GetAt(-1), ' ');
    EXPECT_EQ(cmString().GetAt(0), ' ');
    const cmString u("\xC3\xA4");
    EXPECT_EQ(u.GetAt(1), '\xA4');  // bytes, not characters
}

TEST(String, GetBufferAndReleaseBuffer)
{
    cmString s("abc");
    LPSTR p = s.GetBuffer(10);
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(s.IsLocked());
    EXPECT_GE(s.GetCapacity(), 11u);
    EXPECT_EQ(std::string(p, 11), std::string("abc\0\0\0\0\0\0\0\0", 11));  // old bytes, then zeros
    std::memcpy(p, "hello", 5);
    s.ReleaseBuffer(5);
    EXPECT_FALSE(s.IsLocked());
    EXPECT_EQ(S(s), "hello");

    p = s.GetBuffer(3);  // already large enough: the same buffer
    std::strcpy(p, "hi");
    s.ReleaseBuffer();  // measured up to the first NUL
    EXPECT_EQ(S(s), "hi");

    cmString t;
    p = t.GetBuffer(4);
    std::memset(p, 'x', t.GetCapacity());  // no NUL anywhere
    t.ReleaseBuffer(-1);
    EXPECT_TRUE(t.IsEmpty());
    p = t.GetBuffer(4);
    t.ReleaseBuffer(1000);  // kept inside the buffer
    EXPECT_EQ(t.GetLengthInTchars(), t.GetCapacity() - 1);
    EXPECT_EQ(t.GetText()[t.GetLengthInTchars()], '\0');
}

TEST(String, LockUnlockAndShrink)
{
    cmString s("text");
    LPSTR p = nullptr;
    EXPECT_EQ(s.Unlock(), E_ACCESSDENIED);
    EXPECT_EQ(s.Lock(&p), S_OK);
    EXPECT_EQ(p, s.GetText());
    EXPECT_EQ(s.Lock(&p), E_ACCESSDENIED);
    EXPECT_EQ(s.Unlock(), S_OK);
    EXPECT_EQ(s.Unlock(), E_ACCESSDENIED);

    s.GetBuffer(100);
    s.ReleaseBuffer();
    EXPECT_EQ(s.GetCapacity(), 101u);
    EXPECT_EQ(s.Shrink(20), S_OK);
    EXPECT_EQ(s.GetCapacity(), 20u);
    EXPECT_EQ(s.Shrink(), S_OK);
    EXPECT_EQ(s.GetCapacity(), 5u);
    EXPECT_EQ(s.Shrink(50), S_OK);  // never grows
    EXPECT_EQ(s.GetCapacity(), 5u);
    EXPECT_EQ(S(s), "text");
}

TEST(String, ComparisonsAndMapOrder)
{
    const cmString a("Apple");
    EXPECT_TRUE(a == "Apple");
    EXPECT_TRUE(a != "apple");
    EXPECT_TRUE(a == cmString("Apple"));
    EXPECT_TRUE(cmString() == static_cast<LPCSTR>(nullptr));
    EXPECT_EQ(a.Compare("apple", cmStringCase::Insensitive), 0);
    EXPECT_LT(a.Compare("apple"), 0);
    EXPECT_GT(a.Compare("APPLE"), 0);
    // Folding goes to lower case, so '_' sorts before letters.
    EXPECT_LT(cmString("_").Compare("A", cmStringCase::Insensitive), 0);
    EXPECT_LT(cmString("abc").Compare("abcd", cmStringCase::Insensitive), 0);
    // Byte order: UTF-8 sorts by code point, above ASCII.
    EXPECT_TRUE(cmString("z") < cmString("\xC3\xA4"));
    EXPECT_TRUE(cmString("b") > cmString("a"));
    std::map<cmString, int> m{{cmString("b"), 2}, {cmString("a"), 1}, {cmString("c"), 3}};
    EXPECT_EQ(S(m.begin()->first), "a");
}

TEST(String, ConcatenationAndAppend)
{
    cmString a("left");
    const cmString b = a + "-" + cmString("right");
    EXPECT_EQ(S(b), "left-right");
    EXPECT_EQ(S("pre" + a), "preleft");
    a += b;
    a += '!';
    a += static_cast<LPCSTR>(nullptr);
    EXPECT_EQ(S(a), "leftleft-right!");
    cmString grow;
    for (int i = 0; i < 1000; ++i)
        grow += "xy";
    EXPECT_EQ(grow.GetLengthInTchars(), 2000u);
    cmString self("ab");
    self += self;  // appending itself
    EXPECT_EQ(S(self), "abab");
    EXPECT_EQ(self.Append(self.GetText() + 1, 2), S_OK);
    EXPECT_EQ(S(self), "ababba");
}

TEST(String, UpperAndLowerFoldAsciiOnly)
{
    cmString s("Mixed \xC3\xA4 Case");
    s.MakeUpper();
    EXPECT_EQ(S(s), "MIXED \xC3\xA4 CASE");
    s.MakeLower();
    EXPECT_EQ(S(s), "mixed \xC3\xA4 case");
}

TEST(String, CopyToNarrowAndWideBuffers)
{
    const cmString s("h\xC3\xA4");
    cmBuffer narrow;
    ASSERT_EQ(s.CopyToBuffer(narrow, cmStringBufferType::Narrow), S_OK);
    ASSERT_EQ(narrow.GetSize(), 4u);
    EXPECT_EQ(std::memcmp(narrow.GetData(), "h\xC3\xA4", 4), 0);

    cmBuffer wide;
    ASSERT_EQ(s.CopyToBuffer(wide, cmStringBufferType::Wide), S_OK);
    ASSERT_EQ(wide.GetSize(), 8u);  // 2 x (length + 1)
    const char16_t expected[4] = {u'h', 0x00E4, 0, 0};
    EXPECT_EQ(std::memcmp(wide.GetData(), expected, 8), 0);

    cmBuffer big;
    big.Allocate(64);
    ASSERT_EQ(s.CopyToBuffer(big, cmStringBufferType::Narrow), S_OK);
    EXPECT_EQ(big.GetSize(), 64u);  // grows only when smaller
    EXPECT_STREQ(reinterpret_cast<const char*>(big.GetData()), "h\xC3\xA4");

    EXPECT_EQ(cmString().CopyToBuffer(narrow, cmStringBufferType::Narrow), E_POINTER);
    EXPECT_EQ(s.CopyToBuffer(narrow, static_cast<cmStringBufferType>(7)), E_INVALIDARG);
}
