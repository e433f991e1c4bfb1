#include "platform/ole/OleDate.h"

#include <gtest/gtest.h>

namespace {
SYSTEMTIME At(WORD y, WORD mo, WORD d, WORD h = 0, WORD mi = 0, WORD s = 0)
{
    SYSTEMTIME st{};
    st.wYear = y;
    st.wMonth = mo;
    st.wDay = d;
    st.wHour = h;
    st.wMinute = mi;
    st.wSecond = s;
    return st;
}
}  // namespace

TEST(OleDate, KnownDatesHaveTheirDayNumbers)
{
    double v = -1;
    SYSTEMTIME st = At(1899, 12, 30);
    ASSERT_TRUE(SystemTimeToVariantTime(&st, &v));
    EXPECT_EQ(v, 0.0);
    st = At(2008, 1, 1, 12);
    ASSERT_TRUE(SystemTimeToVariantTime(&st, &v));
    EXPECT_EQ(v, 39448.5);
    st = At(1900, 3, 1);  // the OLE scale has no 29 February 1900
    ASSERT_TRUE(SystemTimeToVariantTime(&st, &v));
    EXPECT_EQ(v, 61.0);
    st = At(1899, 12, 29, 6);  // before day 0 the fraction still counts forward
    ASSERT_TRUE(SystemTimeToVariantTime(&st, &v));
    EXPECT_EQ(v, -1.25);
    st = At(9999, 12, 31, 23, 59, 59);
    ASSERT_TRUE(SystemTimeToVariantTime(&st, &v));
    EXPECT_NEAR(v, 2958465.99998843, 1e-8);
}

TEST(OleDate, MillisecondsAreNotCounted)
{
    SYSTEMTIME st = At(2020, 6, 15, 10, 30, 15);
    double a = 0, b = 0;
    ASSERT_TRUE(SystemTimeToVariantTime(&st, &a));
    st.wMilliseconds = 999;
    st.wDayOfWeek = 6;
    ASSERT_TRUE(SystemTimeToVariantTime(&st, &b));
    EXPECT_EQ(a, b);
}

TEST(OleDate, OutOfRangeTimesFailAndLeaveTheResult)
{
    const SYSTEMTIME bad[] = {At(99, 12, 31), At(10000, 1, 1), At(2020, 0, 1), At(2020, 13, 1),
                              At(2021, 2, 29), At(2020, 4, 31), At(2020, 1, 0), At(2020, 1, 1, 24),
                              At(2020, 1, 1, 0, 60), At(2020, 1, 1, 0, 0, 60)};
    for (const SYSTEMTIME& st : bad) {
        double v = 123.0;
        EXPECT_FALSE(SystemTimeToVariantTime(&st, &v)) << st.wYear << "-" << st.wMonth << "-" << st.wDay;
        EXPECT_EQ(v, 123.0);
    }
    SYSTEMTIME leap = At(2020, 2, 29);
    double v = 0;
    EXPECT_TRUE(SystemTimeToVariantTime(&leap, &v));
}

TEST(OleDate, RoundTripsToTheSecond)
{
    const SYSTEMTIME times[] = {At(2026, 12, 8, 1, 2, 3), At(1899, 12, 29, 6), At(1850, 7, 4, 23, 59, 59),
                                At(100, 1, 1), At(9999, 12, 31, 23, 59, 59), At(2000, 2, 29, 12, 0, 1)};
    for (const SYSTEMTIME& in : times) {
        double v = 0;
        ASSERT_TRUE(SystemTimeToVariantTime(&in, &v));
        SYSTEMTIME out{};
        ASSERT_TRUE(VariantTimeToSystemTime(v, &out)) << v;
        EXPECT_EQ(out.wYear, in.wYear);
        EXPECT_EQ(out.wMonth, in.wMonth);
        EXPECT_EQ(out.wDay, in.wDay);
        EXPECT_EQ(out.wHour, in.wHour);
        EXPECT_EQ(out.wMinute, in.wMinute);
        EXPECT_EQ(out.wSecond, in.wSecond);
    }
    SYSTEMTIME out{};
    ASSERT_TRUE(VariantTimeToSystemTime(39448.5, &out));
    EXPECT_EQ(out.wDayOfWeek, 2);  // 1 January 2008 was a Tuesday
    EXPECT_FALSE(VariantTimeToSystemTime(3e6, &out));
    EXPECT_FALSE(VariantTimeToSystemTime(-1e6, &out));
}

TEST(OleDate, LocalTimeCanBeFixedForTests)
{
    SYSTEMTIME fixed = At(2030, 5, 6, 7, 8, 9);
    platform::SetLocalTimeOverride(&fixed);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    EXPECT_EQ(now.wYear, 2030);
    EXPECT_EQ(now.wSecond, 9);
    platform::SetLocalTimeOverride(nullptr);
    GetLocalTime(&now);
    EXPECT_GE(now.wYear, 2024);
}
