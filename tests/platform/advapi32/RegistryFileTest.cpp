// Registry files: what the parser reads, where it stops, and that a written
// file reads back to the same keys and values byte for byte.
#include "platform/advapi32/Registry.h"
#include "platform/advapi32/RegistryFile.h"

#include <gtest/gtest.h>
#include <random>
#include <sstream>

using platform::FormatRegFile;
using platform::ParseRegFile;
using platform::RegFileDocument;
using platform::RegFileError;
using platform::RegFileKey;
using platform::RegFileValue;

namespace {

std::vector<BYTE> Bytes(const std::string& s) { return std::vector<BYTE>(s.begin(), s.end()); }

RegFileDocument Parse(const std::string& text)
{
    RegFileDocument doc;
    RegFileError error;
    EXPECT_TRUE(ParseRegFile(text, doc, error)) << "line " << error.line << ": " << error.message;
    return doc;
}

RegFileError ParseError(const std::string& text)
{
    RegFileDocument doc;
    RegFileError error;
    EXPECT_FALSE(ParseRegFile(text, doc, error)) << text;
    return error;
}

std::string ToUtf16Le(const std::string& ascii)
{
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

const char* const kSample =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "; the updater\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brelvo\\Brelvo Software Updater]\r\n"
    "\"NewUpdate\"=\"C:\\\\Updates\\\\\\\"new\\\"\"\r\n"
    "@=\"default\"\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brelvo\\Brelvo Software Updater\\Notification]\r\n"
    "\"BSU\"=dword:00000002\r\n"
    "\"Bin\"=hex:00,ff,\\\r\n"
    "  10\r\n"
    "\"Path\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,00,00\r\n"
    "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
    "\"Q\"=hex(b):01,00,00,00,00,00,00,00\r\n"
    "\"Old\"=-\r\n"
    "\r\n"
    "[-HKEY_CURRENT_USER\\Software\\Gone]\r\n";

TEST(RegistryFile, ReadsEveryFormOfKeyAndValue)
{
    const RegFileDocument doc = Parse(kSample);
    ASSERT_EQ(doc.keys.size(), 3u);
    const RegFileKey& u = doc.keys[0];
    EXPECT_EQ(u.path, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Brelvo\\Brelvo Software Updater");
    EXPECT_FALSE(u.remove);
    ASSERT_EQ(u.values.size(), 2u);
    EXPECT_EQ(u.values[0].name, "NewUpdate");
    EXPECT_EQ(u.values[0].type, REG_SZ);
    EXPECT_EQ(u.values[0].data, Bytes(std::string("C:\\Updates\\\"new\"\0", 17)));
    EXPECT_EQ(u.values[1].name, "") << "@ is the default value";
    EXPECT_EQ(u.values[1].data, Bytes(std::string("default\0", 8)));

    const RegFileKey& n = doc.keys[1];
    ASSERT_EQ(n.values.size(), 6u);
    EXPECT_EQ(n.values[0].type, REG_DWORD);
    EXPECT_EQ(n.values[0].data, Bytes(std::string("\2\0\0\0", 4)));
    EXPECT_EQ(n.values[1].type, REG_BINARY);
    EXPECT_EQ(n.values[1].data, Bytes(std::string("\0\xff\x10", 3))) << "continued on the next line";
    EXPECT_EQ(n.values[2].type, REG_EXPAND_SZ);
    EXPECT_EQ(n.values[2].data, Bytes(std::string("%TEMP%\0", 7))) << "UTF-16LE becomes UTF-8";
    EXPECT_EQ(n.values[3].type, REG_MULTI_SZ);
    EXPECT_EQ(n.values[3].data, Bytes(std::string("a\0b\0\0", 5)));
    EXPECT_EQ(n.values[4].type, REG_QWORD);
    EXPECT_EQ(n.values[4].data.size(), 8u) << "a QWORD is not text";
    EXPECT_TRUE(n.values[5].remove);
    EXPECT_EQ(n.values[5].line, 15);

    EXPECT_TRUE(doc.keys[2].remove);
    EXPECT_EQ(doc.keys[2].path, "HKEY_CURRENT_USER\\Software\\Gone");
}

TEST(RegistryFile, ReadsUtf16FilesLfLineEndsAndTheOlderFormat)
{
    std::string lf = kSample;
    for (std::size_t p; (p = lf.find("\r\n")) != std::string::npos;)
        lf.replace(p, 2, "\n");
    const RegFileDocument crlf = Parse(kSample);
    EXPECT_EQ(Parse(lf).keys, crlf.keys);
    EXPECT_EQ(Parse(ToUtf16Le(kSample)).keys, crlf.keys);
    EXPECT_EQ(Parse("\xEF\xBB\xBF" + std::string(kSample)).keys, crlf.keys);

    // REGEDIT4 files hold narrow text in hex(2).
    const RegFileDocument old = Parse("REGEDIT4\n\n[HKEY_USERS\\x]\n\"p\"=hex(2):25,41,25,00\n");
    ASSERT_EQ(old.keys.size(), 1u);
    EXPECT_EQ(old.keys[0].values[0].data, Bytes(std::string("%A%\0", 4)));
}

TEST(RegistryFile, ErrorsNameTheirLineAndTheParserStaysInsideItsInput)
{
    EXPECT_EQ(ParseError("").message, "not a registry file: it is empty");
    EXPECT_EQ(ParseError("REGEDIT5\n").line, 1);
    const std::string h = "Windows Registry Editor Version 5.00\n";
    EXPECT_EQ(ParseError(h + "\"v\"=\"x\"\n").line, 2) << "a value before any key";
    EXPECT_EQ(ParseError(h + "[HKEY_USERS\\x]\n\"v\"=dword:123456789\n").line, 3);
    EXPECT_EQ(ParseError(h + "[HKEY_USERS\\x]\n\"v\"=dword:\n").line, 3);
    EXPECT_EQ(ParseError(h + "[HKEY_USERS\\x]\n\"v\"=hex:0g\n").line, 3);
    EXPECT_EQ(ParseError(h + "[HKEY_USERS\\x]\n\"v\"=hex:123\n").line, 3);
    EXPECT_EQ(ParseError(h + "[HKEY_USERS\\x]\n\"v\"=hex(2):41\n").line, 3) << "odd UTF-16";
    EXPECT_EQ(ParseError(h + "[HKEY_USERS\\x]\n\"v\"=hex(2):00,d8\n").line, 3) << "a lone high surrogate";
    EXPECT_EQ(ParseError(h + "[HKEY_USERS\\x]\n\"v=\"x\"\n").line, 3);
    EXPECT_EQ(ParseError(h + "[HKEY_USERS\\x]\n\"v\"=\"open\n").line, 3);
    EXPECT_EQ(ParseError(h + "[HKEY_USERS\\x]\n\"v\"=\"x\" y\n").line, 3);
    EXPECT_EQ(ParseError(h + "[HKEY_USERS\\x]\n\"v\"=text\n").line, 3);
    EXPECT_EQ(ParseError(h + "[HKEY_USERS\\x]\n\"v\"\n").line, 3);
    EXPECT_EQ(ParseError(h + "[HKEY_USERS\\x\n").line, 2);
    EXPECT_EQ(ParseError(h + "[]\n").line, 2);
    EXPECT_EQ(ParseError(h + "[HKEY_USERS\\x] y\n").line, 2);
    EXPECT_EQ(ParseError(h + "[-HKEY_USERS\\x]\n\"v\"=\"x\"\n").line, 3) << "a value of a deleted key";
    static const char nulInName[] = "[HKEY_USERS\\x]\n\"a\0b\"=\"x\"\n";
    EXPECT_EQ(ParseError(h + std::string(nulInName, sizeof nulInName - 1)).message, "NUL character in a value name");
    EXPECT_EQ(ParseError("\xFF\xFE\x41").line, 0) << "odd UTF-16 file";

    // Hex data continued past the end of the file simply ends.
    const RegFileDocument doc = Parse(h + "[HKEY_USERS\\x]\n\"v\"=hex:01,\\");
    ASSERT_EQ(doc.keys.size(), 1u);
    EXPECT_EQ(doc.keys[0].values[0].data, Bytes("\1"));
}

TEST(RegistryFile, ReadsWhatRegeditWritesBeyondTheStrictForm)
{
    // A string value holding a line break is written across two lines inside
    // its quotes; the bytes between the quotes are the value, and reading
    // goes on with the next line. Dwords may carry zeros beyond eight digits.
    const std::string text = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_USERS\\x]\r\n"
                             "\"Note\"=\"first line\r\nsecond \\\"line\\\"\"\r\n"
                             "\"Small\"=dword:000000018\r\n"
                             "\"Max\"=dword:0ffffffff\r\n";
    for (const std::string& file : {text, ToUtf16Le(text)}) {
        const RegFileDocument doc = Parse(file);
        ASSERT_EQ(doc.keys.size(), 1u);
        ASSERT_EQ(doc.keys[0].values.size(), 3u);
        EXPECT_EQ(doc.keys[0].values[0].data, Bytes(std::string("first line\r\nsecond \"line\"\0", 26)));
        EXPECT_EQ(doc.keys[0].values[1].line, 6) << "lines are still counted";
        EXPECT_EQ(doc.keys[0].values[1].data, Bytes(std::string("\x18\0\0\0", 4)));
        EXPECT_EQ(doc.keys[0].values[2].data, Bytes("\xff\xff\xff\xff"));
    }
    const std::string h = "Windows Registry Editor Version 5.00\n[HKEY_USERS\\x]\n";
    EXPECT_EQ(Parse(h + "\"v\"=\"a\nb\"\n").keys[0].values[0].data, Bytes(std::string("a\nb\0", 4)));
    // Still refused, with the line named: a number beyond 32 bits, a value
    // name over a line break, text after a string that closes on a later line.
    EXPECT_EQ(ParseError(h + "\"v\"=dword:100000000\n").line, 3);
    EXPECT_EQ(ParseError(h + "\"v\nw\"=\"x\"\n").line, 3);
    EXPECT_EQ(ParseError(h + "\"v\"=\"a\nb\" c\n").line, 4);
}

TEST(RegistryFile, WrittenFilesReadBackToTheSameBytes)
{
    RegFileDocument doc;
    RegFileKey k;
    k.path = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Odd \"names\"\\and ] brackets";
    auto add = [&k](std::string name, DWORD type, const std::string& data) {
        RegFileValue v;
        v.name = std::move(name);
        v.type = type;
        v.data = Bytes(data);
        k.values.push_back(v);
    };
    add("plain", REG_SZ, std::string("text\0", 5));
    add("quote\"and\\slash", REG_SZ, std::string("a\"b\\c\0", 6));
    add("", REG_SZ, std::string("", 0));
    add("no terminator", REG_SZ, "abc");
    add("inner nul", REG_SZ, std::string("a\0b\0", 4));
    add("newline", REG_SZ, std::string("line1\r\nline2\0", 13));
    add("not utf8", REG_SZ, std::string("\xff\xfe\x80\0", 4));
    add("not utf8 expand", REG_EXPAND_SZ, std::string("%X%\xc3\0", 5));
    add("utf8", REG_MULTI_SZ, std::string("\xc3\xa4\0\xf0\x9f\x98\x80\0\0", 9));
    add("dword", REG_DWORD, std::string("\x78\x56\x34\x12", 4));
    add("short dword", REG_DWORD, std::string("\1\2", 2));
    add("long", REG_BINARY, std::string(300, '\x5a'));
    add("none", REG_NONE, "");
    add("custom", 0xabcdef01, std::string("\0\1", 2));
    doc.keys.push_back(k);
    RegFileKey gone;
    gone.path = "HKEY_USERS\\gone";
    gone.remove = true;
    doc.keys.push_back(gone);

    std::string text, problem;
    ASSERT_TRUE(FormatRegFile(doc, text, problem)) << problem;
    EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\r\n\r\n", 0), 0u);
    EXPECT_NE(text.find("\"plain\"=\"text\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"quote\\\"and\\\\slash\"=\"a\\\"b\\\\c\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"dword\"=dword:12345678\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"no terminator\"=hex(1):61,00,62,00,63,00\r\n"), std::string::npos);
    EXPECT_NE(text.find("[-HKEY_USERS\\gone]\r\n"), std::string::npos);
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        EXPECT_LE(line.size(), 81u) << "over 80 columns: " << line;  // the \r counts here

    const RegFileDocument back = Parse(text);
    EXPECT_EQ(back.keys, doc.keys);
}

TEST(RegistryFile, WhatTheFormatCannotHoldIsRefused)
{
    RegFileDocument doc;
    RegFileKey k;
    k.path = "HKEY_USERS\\x";
    RegFileValue v;
    v.name = "two\nlines";
    k.values.push_back(v);
    doc.keys.push_back(k);
    std::string text, problem;
    EXPECT_FALSE(FormatRegFile(doc, text, problem));
    EXPECT_NE(problem.find("line break"), std::string::npos);
    doc.keys[0].values.clear();
    doc.keys[0].path = "-HKEY_USERS";
    EXPECT_FALSE(FormatRegFile(doc, text, problem));
}

TEST(RegistryFile, Utf16ConversionKeepsAnyBytes)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        std::string s(static_cast<std::size_t>(rng() % 40), '\0');
        for (char& c : s)
            c = static_cast<char>(rng() % 3 == 0 ? rng() % 128 : rng() % 256);
        const std::vector<BYTE> wide = platform::Utf8ToUtf16Le(s);
        std::string back;
        ASSERT_TRUE(platform::Utf16LeToUtf8(wide.data(), wide.size(), back));
        EXPECT_EQ(back, s);
    }
    const std::vector<BYTE> smile = platform::Utf8ToUtf16Le("\xf0\x9f\x98\x80");
    EXPECT_EQ(smile, (std::vector<BYTE>{0x3d, 0xd8, 0x00, 0xde})) << "a surrogate pair";
}

}  // namespace
