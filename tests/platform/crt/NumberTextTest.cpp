#include "platform/crt/NumberText.h"

#include <clocale>
#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace {
std::string G(double v, int digits = 9)
{
    char buf[64];
    return _gcvt(v, digits, buf);
}
}  // namespace

TEST(Gcvt, FixedFormKeepsThePointAndDropsTrailingZeros)
{
    EXPECT_EQ(G(39448.5), "39448.5");
    EXPECT_EQ(G(0.0), "0.");
    EXPECT_EQ(G(39448.0), "39448.");
    EXPECT_EQ(G(-1.25), "-1.25");
    EXPECT_EQ(G(0.5), "0.5");
    EXPECT_EQ(G(0.1), "0.1");
    EXPECT_EQ(G(123456789.0), "123456789.");
    // Five integer digits leave four decimals: a time with seconds is rounded.
    EXPECT_EQ(G(39448.0 + (10 * 3600 + 30 * 60 + 15) / 86400.0), "39448.4377");
    EXPECT_EQ(G(46364.04378472222), "46364.0438");
    EXPECT_EQ(G(39448.99999999), "39449.");
}

TEST(Gcvt, ExponentFormOutsideTheFixedRange)
{
    EXPECT_EQ(G(0.05), "5.e-002");
    EXPECT_EQ(G(1234567890.0), "1.23456789e+009");
    EXPECT_EQ(G(1e10), "1.e+010");
    EXPECT_EQ(G(-2.5e-7), "-2.5e-007");
    EXPECT_EQ(G(999999999.6), "1.e+009");  // rounding decides the form
}

TEST(StrToDouble, FollowsStrtodRules)
{
    const char* end = nullptr;
    EXPECT_EQ(platform::StrToDouble("39448.5", &end), 39448.5);
    EXPECT_EQ(*end, '\0');
    EXPECT_EQ(platform::StrToDouble("  39448.5abc", &end), 39448.5);
    EXPECT_STREQ(end, "abc");
    EXPECT_EQ(platform::StrToDouble("0."), 0.0);
    EXPECT_EQ(platform::StrToDouble("abc", &end), 0.0);
    EXPECT_STREQ(end, "abc") << "no number: nothing is consumed";
    EXPECT_EQ(platform::StrToDouble(""), 0.0);
    EXPECT_EQ(platform::StrToDouble("-1.25"), -1.25);
    EXPECT_EQ(platform::StrToDouble("+7e2"), 700.0);
    EXPECT_EQ(platform::StrToDouble("1.e+010"), 1e10);
    EXPECT_EQ(platform::StrToDouble("0x10"), 16.0);
    EXPECT_EQ(platform::StrToDouble("0xg", &end), 0.0);
    EXPECT_STREQ(end, "xg");
    EXPECT_TRUE(std::isinf(platform::StrToDouble("1e999")));
    EXPECT_EQ(platform::StrToDouble("1e-999"), 0.0);
}

TEST(StrToDouble, IgnoresTheProcessLocale)
{
    const char* set = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_EQ(platform::StrToDouble("39448.5"), 39448.5);
    EXPECT_EQ(G(39448.5), "39448.5");
    if (set != nullptr)
        std::setlocale(LC_NUMERIC, "C");
}
