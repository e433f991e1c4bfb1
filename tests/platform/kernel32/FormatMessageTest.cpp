#include "platform/kernel32/FormatMessage.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/MessageTable.h"
#include "platform/kernel32/WinError.h"

#include <gtest/gtest.h>
#include <cstdarg>
#include <string>
#include <vector>

namespace {

// Formats with the array form; on failure "<error N>".
std::string Fmt(const char* format, const std::vector<DWORD_PTR>& args, DWORD flags = 0)
{
    char buf[512];
    SetLastError(0xDEAD);
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY | flags, format, 0, 0,
                                   buf, sizeof buf, args.data(), static_cast<DWORD>(args.size()));
    if (n == 0 && GetLastError() != ERROR_SUCCESS)
        return "<error " + std::to_string(GetLastError()) + ">";
    return std::string(buf, n);
}

DWORD_PTR P(const void* p) { return reinterpret_cast<DWORD_PTR>(p); }

// The va_list form, as a variadic caller uses it.
std::string FmtV(const char* format, ...)
{
    char buf[512];
    va_list args;
    va_start(args, format);
    SetLastError(0xDEAD);
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_STRING, format, 0, 0, buf, sizeof buf, &args);
    va_end(args);
    if (n == 0 && GetLastError() != ERROR_SUCCESS)
        return "<error " + std::to_string(GetLastError()) + ">";
    return std::string(buf, n);
}

std::string System(DWORD id, DWORD flags = FORMAT_MESSAGE_IGNORE_INSERTS, DWORD lang = 0)
{
    char buf[512];
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | flags, nullptr, id, lang, buf, sizeof buf, nullptr);
    if (n == 0)
        return "<error " + std::to_string(GetLastError()) + ">";
    return std::string(buf, n);
}

}  // namespace

TEST(FormatMessage, InsertsWithPrintfConversions)
{
    EXPECT_EQ(Fmt("%1!d!.%2!d!.%3!d!.%4!d!", {10, 0, 2, 1234}), "10.0.2.1234");
    EXPECT_EQ(Fmt("(0x%1!08x!) %2!s!", {0x2A, P("text")}), "(0x0000002a) text");
    EXPECT_EQ(Fmt("[%1!24s!]", {P("right")}), "[                   right]");
    EXPECT_EQ(Fmt("[%1!-6s!|%2!.2s!]", {P("ab"), P("abcdef")}), "[ab    |ab]");
    EXPECT_EQ(Fmt("%5!8d!|", {1, 2, 3, 4, static_cast<DWORD_PTR>(-42)}), "     -42|");
    EXPECT_EQ(Fmt("%1 and %1!s! again, %2", {P("one"), P("two")}), "one and one again, two");
    EXPECT_EQ(Fmt("%2%1", {P("b"), P("a")}), "ab");
    EXPECT_EQ(Fmt("%1!u! %1!X! %1!o! %1!#x!", {255}), "255 FF 377 0xff");
    EXPECT_EQ(Fmt("%1!c!%2!C!", {'A', 0x00E4}), "A\xC3\xA4");
    EXPECT_EQ(Fmt("%1!S!|%1!.1ls!", {P(u"\u65E5\u672C")}), "\xE6\x97\xA5\xE6\x9C\xAC|\xE6\x97\xA5");
    EXPECT_EQ(Fmt("%1!I64d! %2!lld! %3!ld! %4!hd!", {static_cast<DWORD_PTR>(-5), 1ull << 40, 0xFFFFFFFFu, 0x12345}),
              "-5 1099511627776 -1 9029");
    EXPECT_EQ(Fmt("%1!+d! %2!05d!", {7, 42}), "+7 00042");
    EXPECT_EQ(Fmt("%1!p!", {0x1234}), "0000000000001234");
    EXPECT_EQ(Fmt("%1", {0}), "(null)");
}

TEST(FormatMessage, InsertNumbersUpToNinetyNine)
{
    std::vector<DWORD_PTR> args(99);
    for (std::size_t i = 0; i < args.size(); ++i)
        args[i] = i + 1;
    EXPECT_EQ(Fmt("%10!d! %99!d! %9!d!9", args), "10 99 99");
    // Three digits are an insert of two digits and a literal digit.
    std::vector<DWORD_PTR> texts(12, P("x"));
    texts[11] = P("twelve");
    EXPECT_EQ(Fmt("%123!d!", texts), "twelve3!d!");
}

TEST(FormatMessage, EscapeSequences)
{
    EXPECT_EQ(Fmt("100%% sure%. %!%t|% |%n", {}), "100% sure. !\t| |\r\n");
    EXPECT_EQ(Fmt("stops here%0 not this %1", {}), "stops here");
    EXPECT_EQ(Fmt("%q and %r", {}), "q and \r");
    EXPECT_EQ(Fmt("trailing %", {}), "trailing %");
    EXPECT_EQ(Fmt("%0", {}), "");  // empty result: 0 with ERROR_SUCCESS
}

TEST(FormatMessage, BadFormatsFailClearly)
{
    const std::string invalid = "<error " + std::to_string(ERROR_INVALID_PARAMETER) + ">";
    EXPECT_EQ(Fmt("%1!d", {1}), invalid);       // conversion not closed
    EXPECT_EQ(Fmt("%1!q!", {1}), invalid);      // unknown type
    EXPECT_EQ(Fmt("%1!*d!", {1, 2}), invalid);  // '*' widths are not offered
    EXPECT_EQ(Fmt("%1!f!", {1}), invalid);      // no floating point
    EXPECT_EQ(Fmt("%1!12345d!", {1}), invalid); // width beyond four digits
    EXPECT_EQ(Fmt("%1!lls!", {1}), invalid);
    EXPECT_EQ(Fmt("%1!dd!", {1}), invalid);
    EXPECT_EQ(Fmt("%1!s! %1!I64d!", {P("x")}), invalid);  // one argument read as two types
    // An insert beyond the supplied arguments is refused, not read.
    EXPECT_EQ(Fmt("%1 %2", {P("only")}), invalid);
    EXPECT_EQ(Fmt("%3", {}), invalid);
    // The array flag with the va_list form cannot know the array's length.
    char buf[16];
    SetLastError(0);
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, "%1", 0, 0, buf, sizeof buf,
                             nullptr),
              0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_STRING, "%1", 0, 0, buf, sizeof buf, nullptr), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER, "x", 0, 0, buf,
                             sizeof buf, nullptr),
              0u);
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_FROM_SYSTEM, "x", 0, 0, buf, sizeof buf,
                             nullptr),
              0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(FormatMessage, IgnoreInsertsKeepsThemAsWritten)
{
    EXPECT_EQ(Fmt("%1!08x! and %2 stay, %% goes", {}, FORMAT_MESSAGE_IGNORE_INSERTS), "%1!08x! and %2 stay, % goes");
}

TEST(FormatMessage, OutputMustFitTheBuffer)
{
    char buf[6];
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_STRING, "hello", 0, 0, buf, 6, nullptr), 5u);
    EXPECT_STREQ(buf, "hello");
    SetLastError(0);
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_STRING, "hello!", 0, 0, buf, 6, nullptr), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_STREQ(buf, "");
}

TEST(FormatMessage, VaListArgumentsAreReadByTheirConversions)
{
    EXPECT_EQ(FmtV("(0x%1!08x!) %2!s!", 0x80004005u, "Unspecified"), "(0x80004005) Unspecified");
    EXPECT_EQ(FmtV("%1!d!-%2!d!-%3!d!-%4!d!-%5!d!-%6!d!-%7!d!-%8!d!-%9!d!", 1, 2, 3, 4, 5, 6, 7, 8, 9),
              "1-2-3-4-5-6-7-8-9");
    EXPECT_EQ(FmtV("%2!I64u! after %1!s!", "text", 1ull << 33), "8589934592 after text");
    // An insert the text never uses is still skipped in order.
    EXPECT_EQ(FmtV("%3!s!", "a", "b", "c"), "c");
    EXPECT_EQ(FmtV("%1", "default is !s!"), "default is !s!");
}

TEST(FormatMessage, MaxWidthTurnsLineBreaksIntoBlanksAndWraps)
{
    EXPECT_EQ(Fmt("one\r\ntwo\nthree%nfour", {}, FORMAT_MESSAGE_MAX_WIDTH_MASK), "one two three\r\nfour");
    EXPECT_EQ(Fmt("one\r\ntwo", {}), "one\r\ntwo");
    EXPECT_EQ(Fmt("aaa bbb ccc ddd", {}, 8), "aaa bbb\r\nccc ddd");
    EXPECT_EQ(Fmt("abcdefghij", {}, 4), "abcd\r\nefgh\r\nij");
}

TEST(FormatMessage, SystemMessagesInEnglish)
{
    EXPECT_EQ(System(ERROR_FILE_NOT_FOUND), "The system cannot find the file specified.\r\n");
    EXPECT_EQ(System(ERROR_FILE_NOT_FOUND, FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK),
              "The system cannot find the file specified. ");
    EXPECT_EQ(System(0), "The operation completed successfully.\r\n");
    EXPECT_EQ(System(ERROR_ACCESS_DENIED), "Access is denied.\r\n");
    EXPECT_EQ(System(static_cast<DWORD>(E_ACCESSDENIED)), "Access is denied.\r\n");
    EXPECT_EQ(System(static_cast<DWORD>(E_INVALIDARG)), "The parameter is incorrect.\r\n");
    EXPECT_EQ(System(static_cast<DWORD>(E_FAIL)), "Unspecified error\r\n");
    EXPECT_EQ(System(static_cast<DWORD>(E_UNEXPECTED)), "Catastrophic failure\r\n");
    EXPECT_EQ(System(ERROR_RESOURCE_LANG_NOT_FOUND),
              "The specified resource language ID cannot be found in the image file.\r\n");
    EXPECT_EQ(System(193), "%1 is not a valid Win32 application.\r\n");
    EXPECT_EQ(System(ERROR_FILE_NOT_FOUND, FORMAT_MESSAGE_IGNORE_INSERTS, 1033),
              "The system cannot find the file specified.\r\n");
    EXPECT_EQ(System(ERROR_FILE_NOT_FOUND, FORMAT_MESSAGE_IGNORE_INSERTS, 1031),
              "<error " + std::to_string(ERROR_RESOURCE_LANG_NOT_FOUND) + ">");
    EXPECT_EQ(System(0x12345678), "<error " + std::to_string(ERROR_MR_MID_NOT_FOUND) + ">");
    // Inserts of a system text are taken from the arguments like any others.
    const DWORD_PTR args[] = {P("setup.exe")};
    char buf[128];
    ASSERT_GT(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 193, 0, buf, sizeof buf, args, 1), 0u);
    EXPECT_STREQ(buf, "setup.exe is not a valid Win32 application.\r\n");
}

TEST(FormatMessage, EveryCodeTheProgramUsesHasAText)
{
    const DWORD codes[] = {0,   2,   3,   5,   6,   8,   13,  14,  21,   32,   38,   39,   50,   80,   87,   109,
                           112, 122, 123, 126, 131, 145, 161, 183, 203,  234,  259,  288,  317,  1009, 1010, 1011,
                           1012, 1013, 1018, 1113, 1460, 1812, 1813, 1814, 1815};
    for (DWORD c : codes)
        EXPECT_NE(platform::FindSystemMessage(c), nullptr) << c;
    const HRESULT results[] = {E_NOTIMPL, E_NOINTERFACE, E_POINTER, E_ABORT, E_FAIL, E_UNEXPECTED, E_ACCESSDENIED,
                               E_HANDLE,  E_OUTOFMEMORY, E_INVALIDARG};
    for (HRESULT hr : results)
        EXPECT_NE(platform::FindSystemMessage(static_cast<DWORD>(hr)), nullptr) << std::hex << hr;
    EXPECT_EQ(platform::FindSystemMessage(4242), nullptr);
}

TEST(FormatMessage, ModuleMessagesComeFromItsStringTable)
{
    char buf[128];
    ASSERT_GT(FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE, nullptr, 5868, 1033, buf, sizeof buf, nullptr), 0u);
    EXPECT_STREQ(buf, "Update");
    HMODULE test = GetModuleHandleA("rescomp-test");
    ASSERT_GT(FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_MAX_WIDTH_MASK, test, 16, 1031, buf,
                             sizeof buf, nullptr),
              0u);
    EXPECT_STREQ(buf, "Zeile eins Zeile zwei\t\"zitiert\" \\ Ende");
    SetLastError(0);
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE, nullptr, 5872, 1033, buf, sizeof buf, nullptr), 0u);
    EXPECT_EQ(GetLastError(), ERROR_MR_MID_NOT_FOUND);
    ASSERT_GT(FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE, nullptr, 5868, 1031, buf, sizeof buf, nullptr), 0u);
    EXPECT_STREQ(buf, "Aktualisieren");
    // Swedish has no table of its own.
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE, nullptr, 5868, 1053, buf, sizeof buf, nullptr), 0u);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_LANG_NOT_FOUND);
    // Module first, then the system.
    ASSERT_GT(FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 2, 1033, buf,
                             sizeof buf, nullptr),
              0u);
    EXPECT_STREQ(buf, "The system cannot find the file specified.\r\n");
}
