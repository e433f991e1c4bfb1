#include "platform/kernel32/Environment.h"
#include "platform/kernel32/Locale.h"

#include <gtest/gtest.h>

TEST(Locale, LocaleNamesMapToWindowsLanguageIds)
{
    using platform::LangIdFromLocaleName;
    EXPECT_EQ(LangIdFromLocaleName("de_DE.UTF-8"), 0x0407);
    EXPECT_EQ(LangIdFromLocaleName("fr_FR"), 0x040C);
    EXPECT_EQ(LangIdFromLocaleName("zh_TW.Big5"), 0x0404);
    EXPECT_EQ(LangIdFromLocaleName("zh_CN.GB18030"), 0x0804);
    EXPECT_EQ(LangIdFromLocaleName("ja_JP.eucJP"), 0x0411);
    EXPECT_EQ(LangIdFromLocaleName("ko_KR"), 0x0412);
    EXPECT_EQ(LangIdFromLocaleName("pt_BR"), 0x0416);
    EXPECT_EQ(LangIdFromLocaleName("es_ES@euro"), 0x0C0A);
    EXPECT_EQ(LangIdFromLocaleName("it_IT"), 0x0410);
    EXPECT_EQ(LangIdFromLocaleName("en_US"), 1033);
    EXPECT_EQ(LangIdFromLocaleName("de_CH"), 2055);
    EXPECT_EQ(LangIdFromLocaleName("en_GB"), 2057);
    EXPECT_EQ(LangIdFromLocaleName("de-at"), 0x0C07);  // '-' and any case
}

TEST(Locale, LanguageOnlyUnknownAndPosixNames)
{
    using platform::LangIdFromLocaleName;
    EXPECT_EQ(LangIdFromLocaleName("de"), 0x0407);     // default sub-language
    EXPECT_EQ(LangIdFromLocaleName("es"), 0x040A);
    EXPECT_EQ(LangIdFromLocaleName("fr_XX"), 0x040C);  // unknown territory
    EXPECT_EQ(LangIdFromLocaleName("C"), 1033);
    EXPECT_EQ(LangIdFromLocaleName("C.UTF-8"), 1033);
    EXPECT_EQ(LangIdFromLocaleName("POSIX"), 1033);
    EXPECT_EQ(LangIdFromLocaleName("xx_YY"), 1033);
    EXPECT_EQ(LangIdFromLocaleName(""), 1033);
    EXPECT_EQ(LangIdFromLocaleName(nullptr), 1033);
}

TEST(Locale, SystemDefaultFollowsLcAllThenLcMessagesThenLang)
{
    SetEnvironmentVariableA("LC_ALL", nullptr);
    SetEnvironmentVariableA("LC_MESSAGES", nullptr);
    SetEnvironmentVariableA("LANG", nullptr);
    EXPECT_EQ(GetSystemDefaultLangID(), 1033);

    SetEnvironmentVariableA("LANG", "ja_JP.UTF-8");
    EXPECT_EQ(GetSystemDefaultLangID(), 1041);
    SetEnvironmentVariableA("LC_MESSAGES", "fr_FR.UTF-8");
    EXPECT_EQ(GetSystemDefaultLangID(), 1036);
    SetEnvironmentVariableA("LC_ALL", "de_DE.UTF-8");
    EXPECT_EQ(GetSystemDefaultLangID(), 1031);
    SetEnvironmentVariableA("LC_ALL", "");  // empty counts as unset
    EXPECT_EQ(GetSystemDefaultLangID(), 1036);
    EXPECT_EQ(GetUserDefaultLangID(), 1036);
}

TEST(Locale, LanguageIdParts)
{
    EXPECT_EQ(MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT), 0x0409);
    EXPECT_EQ(PRIMARYLANGID(2055), 0x07);
    EXPECT_EQ(SUBLANGID(2055), 0x02);
}
