// cmString::CompareWildcard: first-occurrence matching without backtracking.
#include "CustomCode/Common/cmDebugSupport.h"
#include "CustomCode/Common/cmString.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

TEST(StringWildcard, Matches)
{
    EXPECT_TRUE(cmString::CompareWildcard("*.txt", "a.txt"));
    EXPECT_TRUE(cmString::CompareWildcard("a?c", "abc"));
    EXPECT_TRUE(cmString::CompareWildcard("*", "anything at all"));
    EXPECT_TRUE(cmString::CompareWildcard("*", ""));
    EXPECT_TRUE(cmString::CompareWildcard("", ""));
    EXPECT_TRUE(cmString::CompareWildcard("abc", "abc"));
    EXPECT_TRUE(cmString::CompareWildcard("a*", "a"));          // the rest of the mask is one asterisk
    EXPECT_TRUE(cmString::CompareWildcard("Setup*.exe", "Setup_1.2.exe"));
    EXPECT_TRUE(cmString::CompareWildcard("*b*", "abc"));
    EXPECT_TRUE(cmString::CompareWildcard("*b?d", "abcd"));
    EXPECT_TRUE(cmString::CompareWildcard("a*c*", "abcde"));
}

TEST(StringWildcard, Mismatches)
{
    EXPECT_FALSE(cmString::CompareWildcard("*a", "aXa"));        // the run is matched at its first occurrence
    EXPECT_FALSE(cmString::CompareWildcard("*.txt", "a.txt.txt"));
    EXPECT_FALSE(cmString::CompareWildcard("*?", "abc"));        // a mask beginning '*?' matches nothing
    EXPECT_FALSE(cmString::CompareWildcard("*?", ""));
    EXPECT_FALSE(cmString::CompareWildcard("**", "abc"));
    EXPECT_FALSE(cmString::CompareWildcard("*.txt", "a.doc"));
    EXPECT_FALSE(cmString::CompareWildcard("a?c", "ac"));
    EXPECT_FALSE(cmString::CompareWildcard("abc", "ABC"));       // case-sensitive
    EXPECT_FALSE(cmString::CompareWildcard("abc", "abcd"));
    EXPECT_FALSE(cmString::CompareWildcard("abcd", "abc"));
    EXPECT_FALSE(cmString::CompareWildcard("", "a"));
    EXPECT_FALSE(cmString::CompareWildcard("a", ""));
    EXPECT_FALSE(cmString::CompareWildcard("?", "\xC3\xA4"));    // '?' is one byte
    EXPECT_TRUE(cmString::CompareWildcard("??", "\xC3\xA4"));
    EXPECT_FALSE(cmString::CompareWildcard(nullptr, "a"));
    EXPECT_TRUE(cmString::CompareWildcard(nullptr, nullptr));
}

TEST(StringWildcard, TheResultIsReportedAsTrueOrFalse)
{
    const DWORD saved = cmDebugFlags<0x10>();
    cmDebugFlags<0x10>() |= CM_DEBUG_RETURN;
    testsupport::LogCapture log;
    cmString::CompareWildcard("a*", "abc");
    cmString::CompareWildcard("a*", "xbc");
    cmDebugFlags<0x10>() = saved;
    EXPECT_TRUE(log.Contains("cmString::CompareWildcard: Returning true as 0x1\n"));
    EXPECT_TRUE(log.Contains("cmString::CompareWildcard: Returning false as 0x0\n"));
}
