// The Reg* functions over the store: status codes, sizes, types, names,
// rights, deletion, missing and read-only stores.
#include "platform/advapi32/Registry.h"
#include "platform/advapi32/RegistryStore.h"
#include "tests/platform/advapi32/RegistryTestHelpers.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

using namespace registrytest;
namespace fs = std::filesystem;

namespace {

class RegistryApi : public ::testing::Test {
protected:
    void SetUp() override { m_path = UseFreshStore(::testing::UnitTest::GetInstance()->current_test_info()->name()); }
    void TearDown() override { SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", nullptr); }

    std::string m_path;
};

TEST_F(RegistryApi, MissingStoreReadsEmptyAndTheFirstWriteCreatesItWithItsFolder)
{
    const std::string deep = fs::path(m_path).parent_path().string() + "/a/b/registry.sqlite";
    SetEnvironmentVariableA("BRELVO_REGISTRY", deep.c_str());

    HKEY h = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &h), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "", 0, KEY_READ, &h), 0);
    EXPECT_EQ(RegQueryValueExA(h, "NewUpdate", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    char name[32];
    EXPECT_EQ(RegEnumKeyA(h, 0, name, sizeof name), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(RegCloseKey(h), 0);
    EXPECT_FALSE(fs::exists(fs::path(deep).parent_path())) << "reading must not create anything";

    DWORD disposition = 0;
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Brelvo", 0, nullptr, 0, KEY_READ, nullptr, &h,
                              &disposition),
              0);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    RegCloseKey(h);
    EXPECT_TRUE(fs::exists(deep));
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Brelvo", 0, KEY_READ, &h), 0);
    RegCloseKey(h);
}

TEST_F(RegistryApi, QueryGivesSizeOnlyMoreDataAndExactBytes)
{
    HKEY h = CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Q");
    SetText(h, "Path", "hello");

    DWORD type = 0, cb = 0;
    EXPECT_EQ(RegQueryValueExA(h, "Path", nullptr, &type, nullptr, &cb), 0);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(cb, 6u);

    BYTE small[3] = {'x', 'x', 'x'};
    cb = sizeof small;
    EXPECT_EQ(RegQueryValueExA(h, "Path", nullptr, &type, small, &cb), ERROR_MORE_DATA);
    EXPECT_EQ(cb, 6u) << "a small buffer learns the size it needs";

    char buf[16] = {};
    cb = sizeof buf;
    EXPECT_EQ(RegQueryValueExA(h, "Path", nullptr, &type, reinterpret_cast<BYTE*>(buf), &cb), 0);
    EXPECT_EQ(cb, 6u);
    EXPECT_STREQ(buf, "hello");

    EXPECT_EQ(RegQueryValueExA(h, "Path", nullptr, nullptr, nullptr, nullptr), 0) << "presence only";
    EXPECT_EQ(RegQueryValueExA(h, "Path", nullptr, nullptr, reinterpret_cast<BYTE*>(buf), nullptr),
              ERROR_INVALID_PARAMETER);
    DWORD reserved = 0;
    EXPECT_EQ(RegQueryValueExA(h, "Path", &reserved, nullptr, nullptr, &cb), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExA(h, "Missing", nullptr, &type, nullptr, &cb), ERROR_FILE_NOT_FOUND);
    RegCloseKey(h);
}

TEST_F(RegistryApi, EveryTypeKeepsItsNumberAndBytes)
{
    HKEY h = CreateKey(HKEY_CURRENT_USER, "T");
    const std::string dword("\x02\x00\x00\x00", 4);
    const std::string binary("\x00\xff\x10\x00", 4);
    const std::string multi("a\0bc\0\0", 6);
    const std::string expand("%TEMP%\\x\0", 9);
    const std::string odd("\x01\x02\x03", 3);
    SetRaw(h, "d", REG_DWORD, dword);
    SetRaw(h, "b", REG_BINARY, binary);
    SetRaw(h, "m", REG_MULTI_SZ, multi);
    SetRaw(h, "e", REG_EXPAND_SZ, expand);
    SetRaw(h, "x", 0x12345678, odd);
    SetRaw(h, "empty", REG_BINARY, "");
    SetRaw(h, "", REG_SZ, std::string("default\0", 8));
    EXPECT_EQ(RegSetValueExA(h, "null", 0, REG_BINARY, nullptr, 4), 998) << "null data with a size";

    DWORD type = 0;
    EXPECT_EQ(GetRaw(h, "d", &type), dword);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(GetRaw(h, "b", &type), binary);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(GetRaw(h, "m", &type), multi);
    EXPECT_EQ(type, REG_MULTI_SZ);
    EXPECT_EQ(GetRaw(h, "e", &type), expand);
    EXPECT_EQ(type, REG_EXPAND_SZ);
    EXPECT_EQ(GetRaw(h, "x", &type), odd);
    EXPECT_EQ(type, 0x12345678u);
    LONG st = -1;
    EXPECT_EQ(GetRaw(h, "empty", &type, &st), "");
    EXPECT_EQ(st, 0) << "an empty value is a value";
    EXPECT_EQ(GetRaw(h, nullptr, &type), std::string("default\0", 8)) << "null name is the default value";

    SetRaw(h, "d", REG_SZ, std::string("now text\0", 9));
    EXPECT_EQ(GetRaw(h, "d", &type), std::string("now text\0", 9));
    EXPECT_EQ(type, REG_SZ) << "overwriting changes the type too";
    RegCloseKey(h);
}

TEST_F(RegistryApi, NamesMatchWithoutAsciiCaseAndKeepTheCaseTheyWereMadeWith)
{
    HKEY h = CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Brelvo");
    SetText(h, "NewUpdate", "/opt/u");
    RegCloseKey(h);

    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\BRELVO", 0, KEY_ALL_ACCESS, &h), 0);
    EXPECT_EQ(GetRaw(h, "newupdate"), std::string("/opt/u\0", 7));
    SetText(h, "NEWUPDATE", "/opt/v");  // the same value
    char name[64];
    DWORD cch = sizeof name;
    EXPECT_EQ(RegEnumValueA(h, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_STREQ(name, "NewUpdate");
    EXPECT_EQ(cch, 9u);
    cch = sizeof name;
    EXPECT_EQ(RegEnumValueA(h, 1, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(GetRaw(h, "NewUpdate"), std::string("/opt/v\0", 7));

    // Only ASCII letters fold: these are two values.
    SetText(h, "\xC3\x84", "upper");
    SetText(h, "\xC3\xA4", "lower");
    EXPECT_EQ(GetRaw(h, "\xC3\x84"), std::string("upper\0", 6));
    RegCloseKey(h);

    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\brelvo", 0, nullptr, 0, KEY_READ, nullptr, &h,
                              &disposition),
              0);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegCloseKey(h);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &h), 0);
    EXPECT_EQ(RegEnumKeyA(h, 0, name, sizeof name), 0);
    EXPECT_STREQ(name, "Brelvo");
    EXPECT_EQ(RegEnumKeyA(h, 1, name, sizeof name), ERROR_NO_MORE_ITEMS);
    RegCloseKey(h);
}

TEST_F(RegistryApi, HandlesCarryTheRightsTheyWereOpenedWith)
{
    RegCloseKey(CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\R"));
    HKEY r = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\R", 0, KEY_READ, &r), 0);
    const BYTE one[1] = {1};
    EXPECT_EQ(RegSetValueExA(r, "v", 0, REG_BINARY, one, 1), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueA(r, "v"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteTreeA(r, nullptr), ERROR_ACCESS_DENIED);

    HKEY w = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\R", 0, KEY_SET_VALUE, &w), 0);
    EXPECT_EQ(RegSetValueExA(w, "v", 0, REG_BINARY, one, 1), 0);
    EXPECT_EQ(RegQueryValueExA(w, "v", nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
    char name[16];
    EXPECT_EQ(RegEnumKeyA(w, 0, name, sizeof name), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegQueryValueExA(r, "v", nullptr, nullptr, nullptr, nullptr), 0) << "a read handle sees the write";

    HKEY all = nullptr;
    ASSERT_EQ(RegOpenKeyExA(r, nullptr, 0, 0x10000000 /* GENERIC_ALL */, &all), 0) << "upgrade by reopening";
    HKEY sub = nullptr;
    EXPECT_EQ(RegCreateKeyExA(all, "sub", 0, nullptr, 0, KEY_READ, nullptr, &sub, nullptr), 0);
    EXPECT_EQ(RegSetValueExA(sub, "v", 0, REG_BINARY, one, 1), ERROR_ACCESS_DENIED) << "the new handle's own rights";
    EXPECT_EQ(RegDeleteValueA(all, "v"), 0);
    EXPECT_EQ(RegDeleteValueA(all, "v"), ERROR_FILE_NOT_FOUND);
    for (HKEY k : {r, w, all, sub})
        RegCloseKey(k);
}

TEST_F(RegistryApi, BadHandlesPathsAndArgumentsGiveWindowsErrors)
{
    HKEY h = CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\H");
    EXPECT_EQ(RegCloseKey(h), 0);
    EXPECT_EQ(RegCloseKey(h), ERROR_INVALID_HANDLE) << "closed twice";
    EXPECT_EQ(RegQueryValueExA(h, "v", nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(reinterpret_cast<HKEY>(0x1234)), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), 0) << "predefined keys stay valid";
    HKEY k = reinterpret_cast<HKEY>(0x1);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Missing", 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(k, nullptr) << "a failed open clears the result";
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "\\SOFTWARE", 0, KEY_READ, &k), ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\\\x", 0, nullptr, 0, KEY_READ, nullptr, &k, nullptr),
              ERROR_BAD_PATHNAME);
    const std::string tooLong(256, 'k');
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, tooLong.c_str(), 0, nullptr, 0, KEY_READ, nullptr, &k, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\H\\", 0, KEY_READ, &k), 0) << "a trailing backslash";
    RegCloseKey(k);
    EXPECT_EQ(RegOpenKeyExA(reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<LONG>(0x80000005u))),
                            "x", 0, KEY_READ, &k),
              ERROR_INVALID_HANDLE)
        << "HKEY_CURRENT_CONFIG is not kept";
}

TEST_F(RegistryApi, EnumerationListsSubKeysByNameAndValuesInCreationOrder)
{
    HKEY h = CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\E");
    for (const char* n : {"b", "A", "c", "B_"})
        RegCloseKey(CreateKey(h, n));
    for (const char* n : {"zeta", "alpha", "mid"})
        SetNumber(h, n, 7);

    char name[8];
    std::vector<std::string> keys;
    for (DWORD i = 0; RegEnumKeyA(h, i, name, sizeof name) == 0; ++i)
        keys.emplace_back(name);
    EXPECT_EQ(keys, (std::vector<std::string>{"A", "b", "B_", "c"}));
    EXPECT_EQ(RegEnumKeyA(h, 1, name, 1), ERROR_MORE_DATA) << "no room for \"b\" and its terminator";

    std::vector<std::string> values;
    for (DWORD i = 0;; ++i) {
        DWORD cch = sizeof name, type = 0, data = 0, cb = sizeof data;
        const LONG st = RegEnumValueA(h, i, name, &cch, nullptr, &type, reinterpret_cast<BYTE*>(&data), &cb);
        if (st == ERROR_NO_MORE_ITEMS)
            break;
        ASSERT_EQ(st, 0);
        EXPECT_EQ(type, REG_DWORD);
        EXPECT_EQ(data, 7u);
        values.emplace_back(name, cch);
    }
    EXPECT_EQ(values, (std::vector<std::string>{"zeta", "alpha", "mid"}));
    DWORD cch = 4;  // "zeta" needs 5
    EXPECT_EQ(RegEnumValueA(h, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    BYTE one = 0;
    DWORD cb = 1;
    cch = sizeof name;
    EXPECT_EQ(RegEnumValueA(h, 0, name, &cch, nullptr, nullptr, &one, &cb), ERROR_MORE_DATA);
    EXPECT_EQ(cb, 4u);
    RegCloseKey(h);
}

TEST_F(RegistryApi, DeletingAKeyTakesItsSubtreeAndItsOpenHandlesSeeKeyDeleted)
{
    HKEY c = CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\D\\b\\c");
    SetText(c, "deep", "x");
    HKEY b = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\D\\b", 0, KEY_ALL_ACCESS, &b), 0);
    SetText(b, "mid", "y");

    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\D"), ERROR_ACCESS_DENIED) << "it has sub-keys";
    EXPECT_EQ(RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\D"), 0);
    HKEY gone = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\D", 0, KEY_READ, &gone), ERROR_FILE_NOT_FOUND);

    EXPECT_EQ(RegQueryValueExA(b, "mid", nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    EXPECT_EQ(RegQueryValueExA(c, "deep", nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    const BYTE one[1] = {1};
    EXPECT_EQ(RegSetValueExA(b, "mid", 0, REG_BINARY, one, 1), ERROR_KEY_DELETED) << "no write into a deleted key";
    char name[8];
    EXPECT_EQ(RegEnumKeyA(b, 0, name, sizeof name), ERROR_KEY_DELETED);
    EXPECT_EQ(RegOpenKeyExA(b, nullptr, 0, KEY_READ, &gone), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCreateKeyExA(b, "new", 0, nullptr, 0, KEY_READ, nullptr, &gone, nullptr), ERROR_KEY_DELETED);

    // A new key of the same name is another key.
    HKEY again = CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\D\\b");
    EXPECT_EQ(RegQueryValueExA(b, "mid", nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    EXPECT_EQ(RegQueryValueExA(again, "mid", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(b), 0);
    EXPECT_EQ(RegCloseKey(c), 0);

    // Emptying a key keeps it; a leaf goes with RegDeleteKeyA; roots stay.
    SetText(again, "v", "1");
    RegCloseKey(CreateKey(again, "x\\y"));
    EXPECT_EQ(RegDeleteTreeA(again, nullptr), 0);
    EXPECT_EQ(RegQueryValueExA(again, "v", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegEnumKeyA(again, 0, name, sizeof name), ERROR_NO_MORE_ITEMS);
    RegCloseKey(again);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\D\\b"), 0);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\D\\b"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, ""), ERROR_ACCESS_DENIED) << "a root is not deleted";

    std::string report;
    EXPECT_EQ(platform::RegistryStore(m_path).CheckIntegrity(report), 0) << report;
}

TEST_F(RegistryApi, ReadOnlyStoreReadsEverythingRefusesEveryWriteAndChangesNothingOnDisk)
{
    HKEY h = CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\RO");
    SetText(h, "NewUpdate", "/opt/u");
    SetNumber(h, "BSU", 2);
    RegCloseKey(CreateKey(h, "Sub"));
    HKEY writable = CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\RO\\W");  // opened before the switch
    RegCloseKey(h);

    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", "1");
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\RO", 0, KEY_READ, &h), 0);
    const std::string db = FileBytes(m_path), wal = FileBytes(m_path + "-wal");

    // Reads.
    DWORD type = 0;
    EXPECT_EQ(GetRaw(h, "NewUpdate", &type), std::string("/opt/u\0", 7));
    EXPECT_EQ(GetRaw(h, "BSU"), std::string("\x02\0\0\0", 4));
    char name[8];
    EXPECT_EQ(RegEnumKeyA(h, 0, name, sizeof name), 0);
    DWORD cch = sizeof name;
    EXPECT_EQ(RegEnumValueA(h, 1, name, &cch, nullptr, nullptr, nullptr, nullptr), 0);
    HKEY max = nullptr;
    ASSERT_EQ(RegOpenKeyExA(h, nullptr, 0, MAXIMUM_ALLOWED, &max), 0) << "the most it can get is reading";

    // Writes, every way.
    const BYTE one[1] = {1};
    HKEY k = nullptr;
    for (REGSAM sam : {KEY_WRITE, KEY_SET_VALUE, KEY_CREATE_SUB_KEY, KEY_ALL_ACCESS,
                       static_cast<REGSAM>(0x10000000) /* GENERIC_ALL */, static_cast<REGSAM>(0x40000000)}) {
        EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\RO", 0, sam, &k), ERROR_ACCESS_DENIED) << sam;
        EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\RO", 0, nullptr, 0, sam, nullptr, &k, nullptr),
                  ERROR_ACCESS_DENIED)
            << sam;
    }
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\New", 0, nullptr, 0, KEY_READ, nullptr, &k, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegSetValueExA(max, "x", 0, REG_BINARY, one, 1), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegSetValueExA(HKEY_LOCAL_MACHINE, "x", 0, REG_BINARY, one, 1), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueA(HKEY_LOCAL_MACHINE, "x"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegSetValueExA(writable, "x", 0, REG_BINARY, one, 1), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\RO"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\RO\\Sub"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteTreeA(writable, nullptr), ERROR_ACCESS_DENIED);

    EXPECT_EQ(FileBytes(m_path), db);
    EXPECT_EQ(FileBytes(m_path + "-wal"), wal);
    RegCloseKey(max);
    RegCloseKey(h);

    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", nullptr);
    EXPECT_EQ(RegSetValueExA(writable, "x", 0, REG_BINARY, one, 1), 0) << "writable again";
    RegCloseKey(writable);
}

TEST_F(RegistryApi, ReadOnlyMissingStoreStaysMissing)
{
    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", "1");
    HKEY k = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, nullptr, 0, KEY_READ, nullptr, &k, nullptr),
              ERROR_ACCESS_DENIED);
    const BYTE one[1] = {1};
    EXPECT_EQ(RegSetValueExA(HKEY_USERS, "x", 0, REG_BINARY, one, 1), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(fs::exists(m_path));
}

TEST_F(RegistryApi, AFileThatIsNotAStoreIsReportedAndNeverOverwritten)
{
    {
        std::ofstream out(m_path, std::ios::binary);
        out << "this is not a database, and it is long enough to be taken for one ..........................";
    }
    const std::string before = FileBytes(m_path);
    HKEY k = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &k), ERROR_BADDB);
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, nullptr, 0, KEY_READ, nullptr, &k, nullptr),
              ERROR_BADDB);
    EXPECT_EQ(FileBytes(m_path), before);
}

TEST_F(RegistryApi, AnEmptyFileReadsAsAnEmptyStoreAndBecomesOneOnTheFirstWrite)
{
    { std::ofstream out(m_path, std::ios::binary); }
    HKEY k = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);
    k = CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE");
    SetNumber(k, "n", 1);
    RegCloseKey(k);
    std::string report;
    EXPECT_EQ(platform::RegistryStore(m_path).CheckIntegrity(report), 0) << report;
}

TEST_F(RegistryApi, OpenHandlesStayOnTheirStoreWhenTheStorePathChanges)
{
    HKEY a = CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\A");
    SetText(a, "where", "first");
    const std::string other = fs::path(m_path).parent_path().string() + "/other.sqlite";
    SetEnvironmentVariableA("BRELVO_REGISTRY", other.c_str());
    HKEY k = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\A", 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetRaw(a, "where"), std::string("first\0", 6));
    SetText(a, "where", "still first");
    RegCloseKey(a);
    SetEnvironmentVariableA("BRELVO_REGISTRY", m_path.c_str());
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\A", 0, KEY_READ, &k), 0);
    EXPECT_EQ(GetRaw(k, "where"), std::string("still first\0", 12));
    RegCloseKey(k);
    EXPECT_FALSE(fs::exists(other));
}

TEST_F(RegistryApi, ThreadsOfOneProcessShareTheStore)
{
    RegCloseKey(CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Threads"));
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (DWORD i = 0; i < 50; ++i) {
                HKEY h = nullptr;
                ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Threads", 0, KEY_ALL_ACCESS, &h), 0);
                const std::string name = "T" + std::to_string(t);
                ASSERT_EQ(RegSetValueExA(h, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&i), 4), 0);
                DWORD v = 0, cb = 4;
                ASSERT_EQ(RegQueryValueExA(h, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &cb), 0);
                EXPECT_EQ(v, i);
                RegCloseKey(h);
            }
        });
    }
    for (std::thread& th : threads)
        th.join();
}

TEST(RegistryStorePath, ComesFromTheEnvironmentWithTheSystemDefault)
{
    const std::string mine = platform::GetEnv("BRELVO_REGISTRY");
    SetEnvironmentVariableA("BRELVO_REGISTRY", "/x/y.sqlite");
    EXPECT_EQ(platform::RegistryStorePath(), "/x/y.sqlite");
    SetEnvironmentVariableA("BRELVO_REGISTRY", nullptr);
    EXPECT_EQ(platform::RegistryStorePath(), "/var/lib/brelvo/registry.sqlite");
    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", "0");
    EXPECT_FALSE(platform::RegistryReadOnlyByEnvironment());
    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", "1");
    EXPECT_TRUE(platform::RegistryReadOnlyByEnvironment());
    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", nullptr);
    SetEnvironmentVariableA("BRELVO_REGISTRY", mine.c_str());  // never the machine's store
}

}  // namespace
