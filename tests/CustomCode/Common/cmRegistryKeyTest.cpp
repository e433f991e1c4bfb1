// cmRegistryKey: reads with their fall-backs and statuses, writes, access
// upgrades, opening with create, copies and enumeration.
#include "CustomCode/Common/cmRegistryKey.h"

#include "tests/platform/advapi32/RegistryTestHelpers.h"
#include "tests/support/LogCapture.h"
#include "update/BSURegistryLayout.h"

#include <gtest/gtest.h>

using namespace registrytest;

namespace {

constexpr DWORD kMissing = 0xFFFFFFFF;

class cmRegistryKeyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseFreshStore(::testing::UnitTest::GetInstance()->current_test_info()->name());
        m_raw = CreateKey(HKEY_LOCAL_MACHINE, szBSUNotificationKey);
    }
    void TearDown() override
    {
        RegCloseKey(m_raw);
        SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", nullptr);
    }

    HKEY m_raw = nullptr;  // the Notification key, full access
};

TEST_F(cmRegistryKeyTest, QueryDwordFallsBackAndTellsWhyInItsStatus)
{
    cmRegistryKey key(HKEY_LOCAL_MACHINE, szBSUNotificationKey);
    ASSERT_EQ(key.GetStatus(), 0);
    EXPECT_EQ(key.QueryDword(szBSUStatusValue), kMissing);
    EXPECT_EQ(key.GetStatus(), static_cast<LONG>(ERROR_FILE_NOT_FOUND));

    SetText(m_raw, szBSUStatusValue, "2");
    EXPECT_EQ(key.QueryDword(szBSUStatusValue), kMissing);
    EXPECT_EQ(key.GetStatus(), 13) << "REG_SZ is the wrong type";

    SetNumber(m_raw, szBSUStatusValue, kMissing);
    EXPECT_EQ(key.QueryDword(szBSUStatusValue), kMissing);
    EXPECT_EQ(key.GetStatus(), 0) << "a stored 0xFFFFFFFF is told apart by the status";

    SetNumber(m_raw, szBSURetryCountValue, 3);
    EXPECT_EQ(key.QueryDword(szBSURetryCountValue), 3u);
    EXPECT_EQ(key.GetStatus(), 0);

    SetRaw(m_raw, "wide", REG_DWORD, std::string(8, '\1'));
    EXPECT_EQ(key.QueryDword("wide"), 0u) << "a REG_DWORD too big for 4 bytes fails its second read";
    EXPECT_EQ(key.GetStatus(), static_cast<LONG>(ERROR_MORE_DATA));
}

TEST_F(cmRegistryKeyTest, QueryStringHandlesTypesEmptyTextAndMissingTerminators)
{
    cmRegistryKey key(HKEY_LOCAL_MACHINE, szBSUNotificationKey);
    SetNumber(m_raw, "dword", 5);
    EXPECT_TRUE(key.QueryString("dword").IsEmpty());
    EXPECT_EQ(key.GetStatus(), 13);

    SetRaw(m_raw, "empty", REG_SZ, "");
    EXPECT_TRUE(key.QueryString("empty").IsEmpty());
    EXPECT_EQ(key.GetStatus(), 0);
    SetRaw(m_raw, "nul", REG_SZ, std::string(1, '\0'));
    EXPECT_TRUE(key.QueryString("nul").IsEmpty());
    EXPECT_EQ(key.GetStatus(), 0);

    SetRaw(m_raw, "expand", REG_EXPAND_SZ, std::string("%TEMP%\\x\0", 9));
    EXPECT_EQ(key.QueryString("expand"), "%TEMP%\\x") << "never expanded";

    // Another program stored the text without its terminator: nothing is lost.
    SetRaw(m_raw, "bare", REG_SZ, "C:\\Updates\\1");
    const cmString bare = key.QueryString("bare");
    EXPECT_EQ(bare, "C:\\Updates\\1");
    EXPECT_EQ(bare.GetLengthInTchars(), 12u);
    SetRaw(m_raw, "one", REG_SZ, "x");
    EXPECT_EQ(key.QueryString("one"), "x");

    EXPECT_TRUE(key.QueryString("missing").IsEmpty());
    EXPECT_EQ(key.GetStatus(), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
}

TEST_F(cmRegistryKeyTest, SetStringStoresTheTerminatorAndQueryStringGivesBackEveryCharacter)
{
    cmRegistryKey key(HKEY_LOCAL_MACHINE, szBSUUpdaterKey);
    key.UpgradeSam(GENERIC_ALL);
    ASSERT_EQ(key.GetStatus(), 0);
    EXPECT_EQ(key.SetString(szBSUNewUpdateValue, cmString("/var/lib/brelvo/updates/2024-06")), 0);
    EXPECT_EQ(key.QueryString(szBSUNewUpdateValue), "/var/lib/brelvo/updates/2024-06");
    HKEY raw = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, szBSUUpdaterKey, 0, KEY_READ, &raw), 0);
    DWORD type = 0;
    EXPECT_EQ(GetRaw(raw, szBSUNewUpdateValue, &type), std::string("/var/lib/brelvo/updates/2024-06\0", 32));
    EXPECT_EQ(type, REG_SZ);
    RegCloseKey(raw);

    EXPECT_EQ(key.SetString(szBSUNewUpdateValue, cmString("")), 0);
    EXPECT_TRUE(key.QueryString(szBSUNewUpdateValue).IsEmpty());
    EXPECT_EQ(key.GetStatus(), 0);
}

TEST_F(cmRegistryKeyTest, NamesAreFoundWithoutRegardToCaseAndListedAsStored)
{
    cmRegistryKey key(HKEY_LOCAL_MACHINE, "software\\brelvo\\BRELVO SOFTWARE UPDATER");
    ASSERT_EQ(key.GetStatus(), 0);
    cmRegistryKey writable = key.GetWritableCopy();
    writable.SetString("NewUpdate", cmString("/u"));
    EXPECT_EQ(key.QueryString("newupdate"), "/u");
    EXPECT_EQ(key.EnumValueName(0), "NewUpdate");
    EXPECT_EQ(key.EnumKeyName(0), "Notification");
    EXPECT_TRUE(key.EnumKeyName(1).IsEmpty());
    EXPECT_EQ(key.GetStatus(), static_cast<LONG>(ERROR_NO_MORE_ITEMS));
}

TEST_F(cmRegistryKeyTest, RefusedUpgradeKeepsTheReadHandleAndLaterWritesFailWithAccessDenied)
{
    SetNumber(m_raw, szBSUStatusValue, 2);
    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", "1");
    cmRegistryKey key(HKEY_LOCAL_MACHINE, szBSUNotificationKey);
    const HKEY before = key.GetHandle();
    testsupport::LogCapture log;
    key.UpgradeSam(GENERIC_ALL);
    EXPECT_EQ(key.GetStatus(), 5);
    EXPECT_TRUE(log.Contains("cmRegistryKey: SAM upgrade failed!\n"));
    EXPECT_EQ(key.GetHandle(), before);
    EXPECT_EQ(key.GetAccess(), KEY_READ);
    EXPECT_EQ(key.QueryDword(szBSUStatusValue), 2u) << "still reads";
    EXPECT_EQ(key.SetDword(szBSUStatusValue, 0), 5);
    EXPECT_EQ(key.GetStatus(), 5);
    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", nullptr);
    EXPECT_EQ(key.QueryDword(szBSUStatusValue), 2u) << "the refused write changed nothing";
}

TEST_F(cmRegistryKeyTest, GrantedUpgradeReplacesHandleAndMask)
{
    cmRegistryKey key(HKEY_LOCAL_MACHINE, szBSUNotificationKey);
    EXPECT_EQ(key.SetDword(szBSUStatusValue, 1), 5) << "KEY_READ cannot write";
    testsupport::LogCapture log;
    key.UpgradeSam(GENERIC_ALL);
    EXPECT_EQ(key.GetStatus(), 0);
    EXPECT_TRUE(log.Lines().empty());
    EXPECT_EQ(key.GetAccess(), GENERIC_ALL);
    EXPECT_EQ(key.SetDword(szBSUStatusValue, 1), 0);
    EXPECT_EQ(key.QueryDword(szBSUStatusValue), 1u);
    key.Close();
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(key.GetAccess(), KEY_READ);
}

TEST_F(cmRegistryKeyTest, OpenWithCreateMakesThreeMissingLevelsAndOpensTheFullPathForReading)
{
    const char* path = "SOFTWARE\\Brelvo\\Brelvo Software Updater\\Glimmary 9\\Plugins\\Raw";
    EXPECT_FALSE(IsKeyPresent(HKEY_LOCAL_MACHINE, "SOFTWARE\\Brelvo\\Brelvo Software Updater\\Glimmary 9"));
    cmRegistryKey key(HKEY_LOCAL_MACHINE, path, cmRegistryCreate::CreateMissing);
    EXPECT_EQ(key.GetStatus(), 0);
    EXPECT_TRUE(key.IsOpen());
    EXPECT_EQ(key.GetAccess(), KEY_READ);
    EXPECT_TRUE(IsKeyPresent(HKEY_LOCAL_MACHINE, path));
    EXPECT_EQ(key.SetDword("x", 1), 5) << "the new key is handed out with KEY_READ";
    // It is the full path that is open, not a level above it.
    cmRegistryKey writable = key.GetWritableCopy();
    EXPECT_EQ(writable.SetDword("here", 7), 0);
    cmRegistryKey again(HKEY_LOCAL_MACHINE, path);
    EXPECT_EQ(again.QueryDword("here"), 7u);
}

TEST_F(cmRegistryKeyTest, FailedOpensLeaveAnEmptyKeyWhoseOperationsFailSoftly)
{
    cmRegistryKey missing(HKEY_LOCAL_MACHINE, "SOFTWARE\\Nowhere");
    EXPECT_EQ(missing.GetStatus(), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(missing.QueryDword("x"), kMissing);
    EXPECT_EQ(missing.GetStatus(), static_cast<LONG>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(missing.QueryString("x").IsEmpty());
    EXPECT_EQ(missing.SetDword("x", 1), static_cast<LONG>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(missing.EnumKeyName(0).IsEmpty());
    EXPECT_EQ(missing.GetStatus(), static_cast<LONG>(ERROR_INVALID_HANDLE));

    cmRegistryKey onEmpty(missing, "Sub");
    EXPECT_EQ(onEmpty.GetStatus(), static_cast<LONG>(ERROR_INVALID_HANDLE)) << "a path below no key";

    // With create on a store this process may not write: no handle at all,
    // in particular none on the root, and nothing made.
    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", "1");
    testsupport::LogCapture log;
    cmRegistryKey refused(HKEY_LOCAL_MACHINE, "SOFTWARE\\New\\Key", cmRegistryCreate::CreateMissing);
    EXPECT_EQ(refused.GetStatus(), 5);
    EXPECT_FALSE(refused.IsOpen());
    EXPECT_EQ(refused.QueryDword("x"), kMissing);
    EXPECT_EQ(refused.GetStatus(), static_cast<LONG>(ERROR_INVALID_HANDLE));
    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", nullptr);
    EXPECT_FALSE(IsKeyPresent(HKEY_LOCAL_MACHINE, "SOFTWARE\\New"));
}

TEST_F(cmRegistryKeyTest, EmptyPathReopensTheParentAndCopiesGetHandlesOfTheirOwn)
{
    SetNumber(m_raw, szBSUStatusValue, 2);
    cmRegistryKey parent(HKEY_LOCAL_MACHINE, szBSUNotificationKey);
    cmRegistryKey same(parent, "");
    EXPECT_EQ(same.GetStatus(), 0);
    EXPECT_NE(same.GetHandle(), parent.GetHandle());
    EXPECT_EQ(same.QueryDword(szBSUStatusValue), 2u);

    cmRegistryKey full(parent);
    full.UpgradeSam(GENERIC_ALL);
    cmRegistryKey copy(full);
    EXPECT_EQ(copy.GetStatus(), 0);
    EXPECT_NE(copy.GetHandle(), full.GetHandle());
    EXPECT_EQ(copy.GetAccess(), GENERIC_ALL) << "the copy takes the mask";
    full.Close();
    EXPECT_EQ(copy.SetDword(szBSUStatusValue, 0), 0) << "closing the original leaves the copy working";

    cmRegistryKey assigned;
    assigned = copy;
    EXPECT_EQ(assigned.GetAccess(), GENERIC_ALL);
    const HKEY h = assigned.GetHandle();
    assigned = assigned;  // self-assignment changes nothing
    EXPECT_EQ(assigned.GetHandle(), h);
    EXPECT_EQ(assigned.QueryDword(szBSUStatusValue), 0u);

    cmRegistryKey empty;
    cmRegistryKey copyOfEmpty(empty);
    EXPECT_FALSE(copyOfEmpty.IsOpen());
    EXPECT_EQ(copyOfEmpty.GetStatus(), static_cast<LONG>(ERROR_INVALID_HANDLE));
}

TEST_F(cmRegistryKeyTest, WritableCopyAddsKeyWriteAndLeavesTheOriginalAlone)
{
    cmRegistryKey key(HKEY_LOCAL_MACHINE, szBSUNotificationKey);
    cmRegistryKey w = key.GetWritableCopy();
    EXPECT_EQ(w.GetStatus(), 0);
    EXPECT_EQ(w.GetAccess(), KEY_READ | KEY_WRITE);
    EXPECT_EQ(key.GetAccess(), KEY_READ);
    const BYTE bytes[3] = {1, 2, 3};
    EXPECT_EQ(w.SetBinary("bin", 3, bytes), 0);
    DWORD type = 0;
    EXPECT_EQ(GetRaw(m_raw, "bin", &type), std::string("\1\2\3", 3));
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(w.DeleteValue("bin"), 0);
    EXPECT_EQ(w.DeleteValue("bin"), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(key.DeleteValue("x"), 5);
}

TEST_F(cmRegistryKeyTest, EnumerationOpensSubKeysByIndexAndEndsWithNoMoreItems)
{
    for (const char* p : {"Beta", "alpha", "Gamma"})
        RegCloseKey(CreateKey(m_raw, p));
    HKEY alpha = CreateKey(m_raw, "alpha");
    SetNumber(alpha, "v", 9);
    RegCloseKey(alpha);

    cmRegistryKey key(HKEY_LOCAL_MACHINE, szBSUNotificationKey);
    std::vector<std::string> names;
    for (DWORD i = 0;; ++i) {
        const cmString n = key.EnumKeyName(i);
        if (key.GetStatus() == static_cast<LONG>(ERROR_NO_MORE_ITEMS))
            break;
        ASSERT_EQ(key.GetStatus(), 0);
        names.emplace_back(n.GetText());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"alpha", "Beta", "Gamma"}));
    cmRegistryKey first = key.OpenSubKeyByIndex(0);
    EXPECT_EQ(first.GetStatus(), 0);
    EXPECT_EQ(first.QueryDword("v"), 9u);
    cmRegistryKey past = key.OpenSubKeyByIndex(3);
    EXPECT_FALSE(past.IsOpen());
    EXPECT_EQ(past.GetStatus(), static_cast<LONG>(ERROR_NO_MORE_ITEMS));
}

TEST_F(cmRegistryKeyTest, AKeyDeletedByAnotherWriterReportsKeyDeleted)
{
    cmRegistryKey key(HKEY_LOCAL_MACHINE, szBSUNotificationKey);
    ASSERT_EQ(RegDeleteTreeA(HKEY_LOCAL_MACHINE, szBSUUpdaterKey), 0);
    EXPECT_EQ(key.QueryDword(szBSUStatusValue), kMissing);
    EXPECT_EQ(key.GetStatus(), static_cast<LONG>(ERROR_KEY_DELETED));
}

TEST_F(cmRegistryKeyTest, CreateKeyPathAndThePresenceTests)
{
    cmRegistryKey made = CreateKeyPath(HKEY_CURRENT_USER, "A\\B\\C");
    EXPECT_EQ(made.GetStatus(), 0);
    EXPECT_EQ(made.GetAccess(), KEY_READ);
    cmRegistryKey existing = CreateKeyPath(HKEY_CURRENT_USER, "A\\B");
    EXPECT_EQ(existing.GetStatus(), 0);
    EXPECT_EQ(existing.EnumKeyName(0), "C");

    EXPECT_TRUE(IsKeyPresent(HKEY_CURRENT_USER, "a\\b\\c"));
    EXPECT_FALSE(IsKeyPresent(HKEY_CURRENT_USER, "A\\B\\D"));
    EXPECT_FALSE(IsKeyPresent(HKEY_LOCAL_MACHINE, "A"));

    EXPECT_FALSE(IsValuePresent(HKEY_LOCAL_MACHINE, szBSUNotificationKey, szBSUStatusValue));
    SetNumber(m_raw, szBSUStatusValue, 0);
    EXPECT_TRUE(IsValuePresent(HKEY_LOCAL_MACHINE, szBSUNotificationKey, "bsu"));
    EXPECT_FALSE(IsValuePresent(HKEY_LOCAL_MACHINE, "SOFTWARE\\Missing", szBSUStatusValue));

    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", "1");
    cmRegistryKey refused = CreateKeyPath(HKEY_CURRENT_USER, "X\\Y");
    EXPECT_EQ(refused.GetStatus(), 5);
    EXPECT_FALSE(refused.IsOpen());
    EXPECT_TRUE(IsKeyPresent(HKEY_CURRENT_USER, "A\\B\\C")) << "reading still works";
}

}  // namespace
