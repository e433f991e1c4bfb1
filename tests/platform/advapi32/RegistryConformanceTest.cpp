// The registry functions in the corners where Windows behaves in a way of
// its own: default values, text terminators, buffers too small, key paths,
// roots and the rights that opening and creating need. One group per
// function, each against a fresh store.
#include "platform/advapi32/Registry.h"
#include "tests/platform/advapi32/RegistryTestHelpers.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

using namespace registrytest;

namespace {

constexpr BYTE kFill = 0xbd;

class RegistryConformance : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseFreshStore(::testing::UnitTest::GetInstance()->current_test_info()->name());
        m_key = CreateKey(HKEY_CURRENT_USER, "Software\\Conformance");
    }
    void TearDown() override
    {
        RegCloseKey(m_key);
        SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", nullptr);
    }

    // How many values the key holds.
    DWORD ValueCount() const
    {
        DWORD n = 0;
        char name[64];
        for (DWORD cch = sizeof name; RegEnumValueA(m_key, n, name, &cch, nullptr, nullptr, nullptr, nullptr) == 0;
             cch = sizeof name)
            ++n;
        return n;
    }

    HKEY m_key = nullptr;
};

const BYTE* Bytes(const char* text)
{
    return reinterpret_cast<const BYTE*>(text);
}

// --- RegSetValueExA ---------------------------------------------------------

TEST_F(RegistryConformance, SetValueWithANullNameWritesTheDefaultValueThatAnEmptyNameNames)
{
    ASSERT_EQ(RegSetValueExA(m_key, nullptr, 0, REG_SZ, Bytes("first"), 6), 0);
    EXPECT_EQ(GetRaw(m_key, ""), std::string("first\0", 6));
    // The default value written the way earlier versions, .reg files and
    // brelvo-reg /ve write it: the same value, not a second one.
    SetText(m_key, "", "second");
    EXPECT_EQ(GetRaw(m_key, nullptr), std::string("second\0", 7));
    ASSERT_EQ(RegSetValueExA(m_key, nullptr, 0, REG_DWORD, Bytes("\3\0\0\0"), 4), 0);
    DWORD type = 0;
    EXPECT_EQ(GetRaw(m_key, "", &type), std::string("\3\0\0\0", 4));
    EXPECT_EQ(type, REG_DWORD);
    char name[8] = "xxxxxxx";
    DWORD cch = sizeof name;
    ASSERT_EQ(RegEnumValueA(m_key, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(cch, 0u);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(ValueCount(), 1u);
    EXPECT_EQ(RegDeleteValueA(m_key, nullptr), 0);
    EXPECT_EQ(RegQueryValueExA(m_key, "", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryConformance, SetValueCountsTheTerminatorOfTextWrittenOneByteShort)
{
    // "abc" is followed by its NUL in memory, which a count of 3 leaves out.
    for (DWORD type : {REG_SZ, REG_EXPAND_SZ}) {
        ASSERT_EQ(RegSetValueExA(m_key, "short", 0, type, Bytes("abc"), 3), 0);
        EXPECT_EQ(GetRaw(m_key, "short"), std::string("abc\0", 4)) << type;
    }
    ASSERT_EQ(RegSetValueExA(m_key, "multi", 0, REG_MULTI_SZ, Bytes("a\0b\0"), 4), 0);
    EXPECT_EQ(GetRaw(m_key, "multi"), std::string("a\0b\0", 4)) << "ends in a NUL already";
    ASSERT_EQ(RegSetValueExA(m_key, "multi", 0, REG_MULTI_SZ, Bytes("a\0b"), 3), 0);
    EXPECT_EQ(GetRaw(m_key, "multi"), std::string("a\0b\0", 4));

    // Only text, only a NUL right after the data, only one.
    ASSERT_EQ(RegSetValueExA(m_key, "bin", 0, REG_BINARY, Bytes("abc"), 3), 0);
    EXPECT_EQ(GetRaw(m_key, "bin"), "abc");
    ASSERT_EQ(RegSetValueExA(m_key, "cut", 0, REG_SZ, Bytes("abcd"), 3), 0);
    EXPECT_EQ(GetRaw(m_key, "cut"), "abc") << "the byte after is no terminator";
    ASSERT_EQ(RegSetValueExA(m_key, "done", 0, REG_SZ, Bytes("ab\0\0"), 3), 0);
    EXPECT_EQ(GetRaw(m_key, "done"), std::string("ab\0", 3));
    ASSERT_EQ(RegSetValueExA(m_key, "empty", 0, REG_SZ, Bytes(""), 0), 0);
    EXPECT_EQ(GetRaw(m_key, "empty"), "");

    // The stored size counts the terminator: a buffer of the written size is short.
    BYTE buf[3];
    DWORD cb = sizeof buf;
    std::memset(buf, kFill, sizeof buf);
    EXPECT_EQ(RegQueryValueExA(m_key, "short", nullptr, nullptr, buf, &cb), ERROR_MORE_DATA);
    EXPECT_EQ(cb, 4u);
    EXPECT_EQ(buf[0], kFill) << "a buffer too small stays untouched";
}

// --- RegQueryValueExA -------------------------------------------------------

TEST_F(RegistryConformance, QueryPutsANulAfterUnterminatedTextWhenTheBufferHasRoom)
{
    SetRaw(m_key, "bare", REG_SZ, "abc");
    SetRaw(m_key, "bareMulti", REG_MULTI_SZ, std::string("a\0b", 3));
    SetRaw(m_key, "bin", REG_BINARY, "abc");
    SetText(m_key, "text", "abc");

    auto read = [this](const char* name, DWORD capacity, std::string& got) {
        BYTE buf[8];
        std::memset(buf, kFill, sizeof buf);
        DWORD cb = capacity;
        const LONG st = RegQueryValueExA(m_key, name, nullptr, nullptr, buf, &cb);
        got.assign(reinterpret_cast<const char*>(buf), sizeof buf);
        return st == ERROR_SUCCESS ? static_cast<LONG>(cb) : -st;
    };
    std::string got;
    EXPECT_EQ(read("bare", 8, got), 3) << "the size stays the stored one";
    EXPECT_EQ(got.substr(0, 5), std::string("abc\0\xbd", 5));
    EXPECT_EQ(read("bareMulti", 4, got), 3);
    EXPECT_EQ(got.substr(0, 5), std::string("a\0b\0\xbd", 5));
    EXPECT_EQ(read("bare", 3, got), 3) << "no room: nothing written past the buffer";
    EXPECT_EQ(got.substr(0, 4), "abc\xbd");
    EXPECT_EQ(read("bin", 8, got), 3) << "bytes are not text";
    EXPECT_EQ(got.substr(0, 4), "abc\xbd");
    EXPECT_EQ(read("text", 8, got), 4) << "terminated text gets nothing more";
    EXPECT_EQ(got.substr(0, 5), std::string("abc\0\xbd", 5));
}

TEST_F(RegistryConformance, QueryOfAMissingValueForItsSizeSetsTheSizeToZero)
{
    DWORD type = 0xdeadbeef, cb = 0xdeadbeef;
    EXPECT_EQ(RegQueryValueExA(m_key, "missing", nullptr, &type, nullptr, &cb), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(cb, 0u);
    BYTE buf[10];
    cb = sizeof buf;
    EXPECT_EQ(RegQueryValueExA(m_key, "missing", nullptr, &type, buf, &cb), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(cb, sizeof buf) << "a read into a buffer leaves its size";
    cb = 7;
    EXPECT_EQ(RegQueryValueExA(HKEY_CLASSES_ROOT, "missing", nullptr, nullptr, nullptr, &cb), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(cb, 0u);
}

TEST_F(RegistryConformance, QueryTakesTheBufferSizeBeforeWritingTheTypeIntoTheSameVariable)
{
    // REG_BINARY is 3: had the type been written first, the 4-byte value
    // would not fit the "3-byte" buffer.
    SetRaw(m_key, "BIN32", REG_BINARY, "\x78\x56\x34\x12");
    DWORD both = 4;
    DWORD value = 0;
    ASSERT_EQ(RegQueryValueExA(m_key, "BIN32", nullptr, &both, reinterpret_cast<BYTE*>(&value), &both), 0);
    EXPECT_EQ(value, 0x12345678u);
    EXPECT_EQ(both, 4u) << "the size is written last";
    both = 0xdeadbeef;
    ASSERT_EQ(RegQueryValueExA(m_key, "BIN32", nullptr, &both, nullptr, &both), 0);
    EXPECT_EQ(both, 4u);
}

// --- RegEnumValueA ----------------------------------------------------------

TEST_F(RegistryConformance, EnumValueWithBuffersTooSmallReportsTypeAndSizeAndKeepsTheName)
{
    ASSERT_EQ(RegSetValueExA(m_key, "Test", 0, REG_SZ, Bytes("foobar"), 7), 0);
    struct Outcome {
        LONG status;
        DWORD cch, cb, type;
        std::string name, data;
    };
    auto enumerate = [this](DWORD cch, DWORD cb) {
        char name[20] = "xxxxxxxxxx";
        char data[20] = "xxxxxxxxxx";
        Outcome o{};
        o.type = 1234;
        o.cch = cch;
        o.cb = cb;
        o.status = RegEnumValueA(m_key, 0, name, &o.cch, nullptr, &o.type, reinterpret_cast<BYTE*>(data), &o.cb);
        o.name = name;
        o.data = data;
        return o;
    };

    Outcome o = enumerate(2, 2);  // neither fits
    EXPECT_EQ(o.status, ERROR_MORE_DATA);
    EXPECT_EQ(o.cch, 2u);
    EXPECT_EQ(o.cb, 7u);
    EXPECT_EQ(o.type, REG_SZ);
    EXPECT_EQ(o.name, "xxxxxxxxxx");
    EXPECT_EQ(o.data, "xxxxxxxxxx");

    for (DWORD cch : {0u, 3u, 4u}) {  // "Test" needs 5 with its terminator
        o = enumerate(cch, 20);
        EXPECT_EQ(o.status, ERROR_MORE_DATA) << cch;
        EXPECT_EQ(o.cch, cch) << "the name's length stays as it was";
        EXPECT_EQ(o.name, "xxxxxxxxxx");
        EXPECT_EQ(o.cb, 7u);
        EXPECT_EQ(o.type, REG_SZ);
        EXPECT_EQ(o.data, "foobar") << "the data fitted";
    }

    o = enumerate(20, 6);  // only the data does not fit
    EXPECT_EQ(o.status, ERROR_MORE_DATA);
    EXPECT_EQ(o.cch, 20u);
    EXPECT_EQ(o.name, "xxxxxxxxxx");
    EXPECT_EQ(o.cb, 7u);
    EXPECT_EQ(o.type, REG_SZ);
    EXPECT_EQ(o.data, "xxxxxxxxxx");

    o = enumerate(5, 7);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.cch, 4u);
    EXPECT_EQ(o.name, "Test");
    EXPECT_EQ(o.data, "foobar");
}

// --- Key paths and roots ----------------------------------------------------

TEST_F(RegistryConformance, PathsTakeAnyTrailingBackslashesAndOneLeadingOneOnlyUnderClassesRoot)
{
    HKEY h = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(m_key, "Made\\\\\\", 0, nullptr, 0, KEY_READ, nullptr, &h, &disposition), 0);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    RegCloseKey(h);
    char name[16];
    ASSERT_EQ(RegEnumKeyA(m_key, 0, name, sizeof name), 0);
    EXPECT_STREQ(name, "Made");
    EXPECT_EQ(RegEnumKeyA(m_key, 1, name, sizeof name), ERROR_NO_MORE_ITEMS);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Conformance\\Made\\\\", 0, KEY_READ, &h), 0);
    RegCloseKey(h);

    for (const char* bad : {"\\Made", "\\", "Made\\\\x", "\\\\"}) {
        h = reinterpret_cast<HKEY>(0x1);
        EXPECT_EQ(RegOpenKeyExA(m_key, bad, 0, KEY_READ, &h), ERROR_BAD_PATHNAME) << bad;
        EXPECT_EQ(h, nullptr);
        EXPECT_EQ(RegCreateKeyExA(m_key, bad, 0, nullptr, 0, KEY_READ, nullptr, &h, nullptr), ERROR_BAD_PATHNAME)
            << bad;
    }

    RegCloseKey(CreateKey(HKEY_CLASSES_ROOT, "CLSID\\{1}"));
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "\\clsid", 0, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, &h), 0);
    ASSERT_EQ(RegEnumKeyA(h, 0, name, sizeof name), 0);
    EXPECT_STREQ(name, "{1}");
    RegCloseKey(h);
    h = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "\\", 0, KEY_QUERY_VALUE, &h), 0);
    EXPECT_NE(h, HKEY_CLASSES_ROOT) << "a new handle on the root";
    EXPECT_EQ(RegCloseKey(h), 0);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "\\\\clsid", 0, KEY_READ, &h), ERROR_BAD_PATHNAME) << "only one";
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "\\Software", 0, KEY_READ, &h), ERROR_BAD_PATHNAME);
}

TEST_F(RegistryConformance, PredefinedRootsAreKnownByTheirLow32Bits)
{
    if (sizeof(HKEY) < 8)
        GTEST_SKIP() << "handles have no high bits here";
    SetText(m_key, "where", "HKCU");
    const std::uintptr_t low = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(HKEY_CURRENT_USER));
    for (std::uintptr_t high : {std::uintptr_t{0}, std::uintptr_t{1}, std::uintptr_t{0xdeadbeef}}) {
        const HKEY root = reinterpret_cast<HKEY>(low | (high << 32));
        HKEY h = nullptr;
        ASSERT_EQ(RegOpenKeyExA(root, "Software\\Conformance", 0, KEY_READ, &h), 0) << high;
        EXPECT_EQ(GetRaw(h, "where"), std::string("HKCU\0", 5));
        RegCloseKey(h);
        EXPECT_EQ(RegCloseKey(root), 0);
        EXPECT_EQ(RegSetValueExA(root, "top", 0, REG_SZ, Bytes("x"), 2), 0);
    }
    EXPECT_EQ(GetRaw(HKEY_CURRENT_USER, "top"), std::string("x\0", 2));
    EXPECT_EQ(RegQueryValueExA(HKEY_LOCAL_MACHINE, "top", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
}

// --- RegOpenKeyExA and RegCreateKeyExA --------------------------------------

TEST_F(RegistryConformance, OpeningARootOnItselfGivesTheRootAndABadHandleTouchesNothing)
{
    const HKEY preset = reinterpret_cast<HKEY>(0x1234);
    HKEY h = preset;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, nullptr, 0, KEY_QUERY_VALUE, &h), 0);
    EXPECT_EQ(h, HKEY_CLASSES_ROOT);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "", 0, KEY_READ, &h), 0);
    EXPECT_EQ(h, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(RegCloseKey(h), 0);

    // A key that is not a root gets a handle of its own, which closes alone.
    ASSERT_EQ(RegOpenKeyExA(m_key, "", 0, KEY_QUERY_VALUE, &h), 0);
    EXPECT_NE(h, m_key);
    EXPECT_EQ(RegCloseKey(h), 0);
    EXPECT_EQ(RegQueryValueExA(m_key, "x", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);

    for (const char* path : {"", "Software"}) {
        h = preset;
        EXPECT_EQ(RegOpenKeyExA(nullptr, path, 0, KEY_QUERY_VALUE, &h), ERROR_INVALID_HANDLE);
        EXPECT_EQ(h, preset) << "'" << path << "'";
    }

    // Write rights on a store this process may not write are refused on
    // the root too: the common library's key creation reports that refusal.
    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", "1");
    h = preset;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, nullptr, 0, KEY_CREATE_SUB_KEY, &h), ERROR_ACCESS_DENIED);
    EXPECT_EQ(h, nullptr);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, nullptr, 0, KEY_READ, &h), 0);
    EXPECT_EQ(h, HKEY_LOCAL_MACHINE);
}

TEST_F(RegistryConformance, CreateAsksTheStoreNotTheParentHandleForTheRightToCreate)
{
    HKEY readOnly = nullptr, notifyOnly = nullptr, sub = nullptr;
    ASSERT_EQ(RegOpenKeyExA(m_key, nullptr, 0, KEY_READ, &readOnly), 0);
    ASSERT_EQ(RegCreateKeyExA(m_key, "Notify", 0, nullptr, 0, KEY_NOTIFY, nullptr, &notifyOnly, nullptr), 0);
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(readOnly, "A\\B", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &sub, &disposition), 0);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    EXPECT_EQ(RegSetValueExA(sub, "v", 0, REG_SZ, Bytes("1"), 2), 0) << "the new handle has the rights asked for";
    RegCloseKey(sub);
    ASSERT_EQ(RegCreateKeyExA(notifyOnly, "Sub", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &sub, nullptr), 0);
    RegCloseKey(sub);
    EXPECT_EQ(RegSetValueExA(readOnly, "v", 0, REG_SZ, Bytes("1"), 2), ERROR_ACCESS_DENIED)
        << "the parent handle gained nothing";

    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", "1");
    sub = reinterpret_cast<HKEY>(0x1);
    EXPECT_EQ(RegCreateKeyExA(readOnly, "C", 0, nullptr, 0, KEY_READ, nullptr, &sub, nullptr), ERROR_ACCESS_DENIED);
    EXPECT_EQ(sub, nullptr);
    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", nullptr);
    EXPECT_EQ(RegOpenKeyExA(m_key, "C", 0, KEY_READ, &sub), ERROR_FILE_NOT_FOUND);
    RegCloseKey(readOnly);
    RegCloseKey(notifyOnly);
}

}  // namespace
