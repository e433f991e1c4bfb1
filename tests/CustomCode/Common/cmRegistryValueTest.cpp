// cmRegistryValue<cmString> and the typed value buffer.
#include "CustomCode/Common/cmRegistryBuffer.h"
#include "CustomCode/Common/cmRegistryLayout.h"
#include "CustomCode/Common/cmRegistryValue.h"

#include "tests/platform/advapi32/RegistryTestHelpers.h"
#include "update/BSURegistryLayout.h"

#include <gtest/gtest.h>

using namespace registrytest;

namespace {

class cmRegistryValueTest : public ::testing::Test {
protected:
    void SetUp() override { UseFreshStore(::testing::UnitTest::GetInstance()->current_test_info()->name()); }
    void TearDown() override { SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", nullptr); }

    static std::string Stored(const char* name)
    {
        HKEY h = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, szBSUNotifierKey, 0, KEY_READ, &h) != 0)
            return "<no key>";
        LONG st = 0;
        const std::string data = GetRaw(h, name, nullptr, &st);
        RegCloseKey(h);
        return st == 0 ? data : "<missing>";
    }
};

TEST_F(cmRegistryValueTest, AMissingValueGetsItsDefaultOnceAndAnotherWritersValueIsKept)
{
    {
        cmRegistryValue<cmString> lang(HKEY_LOCAL_MACHINE, szBSUNotifierKey, szBSULanguageValue, "1033");
        EXPECT_FALSE(lang.Existed());
        EXPECT_EQ(lang.GetValue(), "1033");
        EXPECT_EQ(lang.GetCurrent(), "1033");
        EXPECT_EQ(lang.GetDefault(), "1033");
        EXPECT_EQ(lang.GetName(), szBSULanguageValue);
    }
    EXPECT_EQ(Stored(szBSULanguageValue), std::string("1033\0", 5)) << "REG_SZ with its terminator";

    // The product's setup changes it; a new object must not put the default back.
    HKEY h = CreateKey(HKEY_LOCAL_MACHINE, szBSUNotifierKey);
    SetText(h, szBSULanguageValue, "1031");
    RegCloseKey(h);
    cmRegistryValue<cmString> again(HKEY_LOCAL_MACHINE, szBSUNotifierKey, szBSULanguageValue, "1033");
    EXPECT_TRUE(again.Existed());
    EXPECT_EQ(again.GetValue(), "1031");
    EXPECT_EQ(again.GetCurrent(), "1031");
    EXPECT_EQ(Stored(szBSULanguageValue), std::string("1031\0", 5));
}

TEST_F(cmRegistryValueTest, CommitThenReloadConfirmsWhatTheStoreHolds)
{
    cmRegistryValue<cmString> v(HKEY_LOCAL_MACHINE, szBSUNotifierKey, "Choice", "");
    EXPECT_TRUE(v.Commit(cmString("remind")));
    EXPECT_EQ(v.GetCurrent(), "remind");
    EXPECT_EQ(v.GetValue(), "") << "the value is what was last read back";
    EXPECT_TRUE(v.Reload());
    EXPECT_EQ(v.GetValue(), "remind");
    EXPECT_EQ(Stored("Choice"), std::string("remind\0", 7));
}

TEST_F(cmRegistryValueTest, CommitOnAKeyThatFailedToOpenReturnsFalseAndChangesNothing)
{
    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", "1");
    cmRegistryValue<cmString> v(HKEY_LOCAL_MACHINE, szBSUNotifierKey, szBSULanguageValue, "1033");
    EXPECT_FALSE(v.GetKey().IsOpen());
    EXPECT_TRUE(v.GetName().IsEmpty());
    EXPECT_TRUE(v.GetValue().IsEmpty());
    EXPECT_TRUE(v.GetCurrent().IsEmpty());
    EXPECT_FALSE(v.Commit(cmString("1041")));
    EXPECT_FALSE(v.Reload());
    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", nullptr);
    EXPECT_EQ(Stored(szBSULanguageValue), "<no key>");
}

TEST_F(cmRegistryValueTest, ReadOnlyStoreWithTheKeyPresentReadsButCannotCommit)
{
    HKEY h = CreateKey(HKEY_LOCAL_MACHINE, szBSUNotifierKey);
    SetText(h, szBSULanguageValue, "1036");
    RegCloseKey(h);
    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", "1");
    cmRegistryValue<cmString> v(HKEY_LOCAL_MACHINE, szBSUNotifierKey, szBSULanguageValue, "1033");
    EXPECT_EQ(v.GetValue(), "1036");
    EXPECT_FALSE(v.Commit(cmString("1041")));
    EXPECT_TRUE(v.Reload());
    EXPECT_EQ(v.GetValue(), "1036");
}

TEST_F(cmRegistryValueTest, ReloadTakesTheTextUpToTheFirstNulOfAnyType)
{
    HKEY h = CreateKey(HKEY_LOCAL_MACHINE, szBSUNotifierKey);
    SetRaw(h, "bin", REG_BINARY, std::string("ab\0cd", 5));
    SetRaw(h, "bare", REG_SZ, "no terminator");
    cmRegistryValue<cmString> bin(HKEY_LOCAL_MACHINE, szBSUNotifierKey, "bin", "d");
    EXPECT_EQ(bin.GetValue(), "ab");
    cmRegistryValue<cmString> bare(HKEY_LOCAL_MACHINE, szBSUNotifierKey, "bare", "d");
    EXPECT_EQ(bare.GetValue(), "no terminator");
    SetText(h, "bare", "changed");
    EXPECT_TRUE(bare.Reload());
    EXPECT_EQ(bare.GetValue(), "changed");
    RegDeleteValueA(h, "bare");
    EXPECT_FALSE(bare.Reload());
    EXPECT_EQ(bare.GetValue(), "changed") << "a failed reload keeps the value";
    RegCloseKey(h);
}

TEST_F(cmRegistryValueTest, TheLogLevelsKeyIsCreatedWithItsValue)
{
    cmRegistryValue<cmString> v(HKEY_LOCAL_MACHINE, szAppLogLevelsKey, "cmlib", "0");
    EXPECT_TRUE(IsKeyPresent(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\AppLogLevels"));
    EXPECT_EQ(v.GetValue(), "0");
}

TEST(cmRegistryBuffer, CarriesAWholeValueOfAnyTypeBetweenKeys)
{
    UseFreshStore("buffer");
    HKEY a = CreateKey(HKEY_CURRENT_USER, "A");
    HKEY b = CreateKey(HKEY_CURRENT_USER, "B");
    SetRaw(a, "odd", 0x4242, std::string("\0\1\2\0", 4));
    SetRaw(a, "empty", REG_MULTI_SZ, "");

    cmRegistryBuffer buf;
    EXPECT_EQ(buf.Read(a, "odd"), 0);
    EXPECT_EQ(buf.GetType(), 0x4242u);
    ASSERT_EQ(buf.GetSize(), 4u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buf.GetData()), 4), std::string("\0\1\2\0", 4));
    EXPECT_EQ(buf.Write(b, "copy"), 0);
    DWORD type = 0;
    EXPECT_EQ(GetRaw(b, "copy", &type), std::string("\0\1\2\0", 4));
    EXPECT_EQ(type, 0x4242u);

    EXPECT_EQ(buf.Read(a, "empty"), 0);
    EXPECT_EQ(buf.GetSize(), 0u);
    EXPECT_EQ(buf.GetType(), REG_MULTI_SZ);

    EXPECT_EQ(buf.Read(a, "missing"), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(buf.GetSize(), 0u);
    EXPECT_EQ(buf.GetData(), nullptr) << "a failed read holds no bytes";

    EXPECT_EQ(buf.Set(REG_DWORD, 4, "\7\0\0\0"), 0);
    EXPECT_EQ(buf.Write(b, "n"), 0);
    EXPECT_EQ(GetRaw(b, "n", &type), std::string("\7\0\0\0", 4));
    EXPECT_EQ(type, REG_DWORD);
    RegCloseKey(a);
    RegCloseKey(b);
}

}  // namespace
