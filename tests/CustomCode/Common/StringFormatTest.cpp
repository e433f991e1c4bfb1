// cmString formatting: format text, resource format, system messages, numbers.
#include "CustomCode/Common/cmString.h"

#include <gtest/gtest.h>
#include <string>

namespace {
std::string S(const cmString& s) { return std::string(s.GetText(), s.GetLengthInTchars()); }
}  // namespace

TEST(StringFormat, InsertsFromVariableArguments)
{
    cmString s("old content");
    EXPECT_EQ(s.Format("%1!d!.%2!d!.%3!d!.%4!d!", 6, 1, 0, 7600), S_OK);
    EXPECT_EQ(S(s), "6.1.0.7600");
    EXPECT_EQ(s.Format("(0x%1!08x!) %2!s!", 0x80070002u, "The system cannot find the file specified."), S_OK);
    EXPECT_EQ(S(s), "(0x80070002) The system cannot find the file specified.");
    EXPECT_EQ(s.Format("%1!d!-%2!d!-%3!d!-%4!d!-%5!d!-%6!d!-%7!d!-%8!d!-%9!d!", 2024, 1, 31, 23, 59, 58, 0, 1, -1),
              S_OK);
    EXPECT_EQ(S(s), "2024-1-31-23-59-58-0-1--1");
    EXPECT_EQ(s.Format("[%1!24s!]", "padded"), S_OK);
    EXPECT_EQ(S(s), "[                  padded]");
    EXPECT_EQ(s.Format("%1!5d!|%1!-5d!|", 42), S_OK);
    EXPECT_EQ(S(s), "   42|42   |");
}

TEST(StringFormat, LongResultsGrowTheBuffer)
{
    const std::string big(5000, 'x');
    cmString s;
    ASSERT_EQ(s.Format("<%1>%2!d!", big.c_str(), 7), S_OK);
    EXPECT_EQ(s.GetLengthInTchars(), 5003u);
    EXPECT_EQ(S(s).substr(5000), "x>7");
}

TEST(StringFormat, BadFormatsLeaveTheStringEmpty)
{
    cmString s("before");
    EXPECT_EQ(s.Format("%1!q!", 1), HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.Format(static_cast<LPCSTR>(nullptr)), E_POINTER);
    EXPECT_EQ(s.Format("only %0 this"), S_OK);
    EXPECT_EQ(S(s), "only ");
    EXPECT_EQ(s.Format("%0"), S_OK);
    EXPECT_TRUE(s.IsEmpty());
}

TEST(StringFormat, NumberForm)
{
    cmString s;
    EXPECT_EQ(s.FormatNumber(-123), S_OK);
    EXPECT_EQ(S(s), "-123");
    EXPECT_EQ(s.FormatNumber(0), S_OK);
    EXPECT_EQ(S(s), "0");
}

TEST(StringFormat, SystemMessageOfACode)
{
    cmString s;
    EXPECT_EQ(s.FormatSystemMessage(ERROR_FILE_NOT_FOUND), S_OK);
    EXPECT_EQ(S(s), "The system cannot find the file specified. ");  // line break as a blank
    EXPECT_EQ(s.FormatSystemMessage(static_cast<DWORD>(E_OUTOFMEMORY)), S_OK);
    EXPECT_EQ(S(s), "Not enough memory resources are available to complete this operation. ");
    EXPECT_EQ(s.FormatSystemMessage(193), S_OK);  // inserts stay as they are
    EXPECT_EQ(S(s), "%1 is not a valid Win32 application. ");
    EXPECT_EQ(s.FormatSystemMessage(0x0BADC0DE), S_FALSE);
    EXPECT_TRUE(s.IsEmpty());
}

TEST(StringFormat, FormatFromTheProgramsStringTable)
{
    cmString s;
    // No entry of the program's table has inserts; the resource is the format.
    EXPECT_EQ(s.FormatResource(5868), S_OK);
    EXPECT_EQ(S(s), "Update");
    EXPECT_EQ(s.FormatResource(5872), HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_TRUE(s.IsEmpty());
}
