// The dialogs' texts: the language read from the store, the fall-back chain
// through the program's own ten string tables, and the tables' completeness.
#include "CustomCode/Common/cmRegistryKey.h"
#include "platform/kernel32/Environment.h"
#include "platform/kernel32/Resources.h"
#include "ui/CNotifierStrings.h"
#include "update/BSURegistryLayout.h"
#include "update/NotifierLanguage.h"

#include <gtest/gtest.h>
#include <string>

namespace {

constexpr WORD kLanguages[] = {1028, 1031, 1033, 1034, 1036, 1040, 1041, 1042, 1046, 2052};
constexpr UINT kIds[] = {5868, 5869, 5870, 5871, 5873, 5874, 5875, 5876, 60001, 57605, 57607, 57608, 57609, 57610, 57611};

std::string Text(const cmString& s) { return std::string(s.GetText(), s.GetLengthInTchars()); }

// The entry as stored for exactly that language, without any fall-back.
std::string Exact(UINT id, WORD lang)
{
    cmString s;
    s.LoadStringForLanguage(id, lang, cmLanguageFallBack::Off, GetModuleHandleA(nullptr));
    return Text(s);
}

class NotifierStringsTest : public ::testing::Test {
protected:
    void SetUp() override { SetSystemLanguage("en_US.UTF-8"); }

    static void SetSystemLanguage(const char* locale)
    {
        SetEnvironmentVariableA("LC_ALL", locale);
        SetEnvironmentVariableA("LC_MESSAGES", nullptr);
        SetEnvironmentVariableA("LANG", nullptr);
    }
    static cmRegistryKey NotifierKey()
    {
        return cmRegistryKey(HKEY_LOCAL_MACHINE, szBSUNotifierKey, cmRegistryCreate::CreateMissing).GetWritableCopy();
    }
    static void StoreLanguage(const char* text) { ASSERT_EQ(NotifierKey().SetString(szBSULanguageValue, cmString(text)), ERROR_SUCCESS); }
    static std::string MoreDetailsCaption() { return Text(CNotifierStrings().Load(5871)); }
};

}  // namespace

TEST_F(NotifierStringsTest, EveryEntryIsPresentInEveryTable)
{
    for (WORD lang : kLanguages) {
        for (UINT id : kIds)
            EXPECT_FALSE(Exact(id, lang).empty()) << "entry " << id << " of table " << lang;
        EXPECT_NE(Exact(57610, lang).find(" www.brelvo.com "), std::string::npos) << lang;
    }
    // Translations are translations: no table but the English one reads like it.
    for (WORD lang : kLanguages) {
        if (lang != 1033) {
            EXPECT_NE(Exact(5876, lang), Exact(5876, 1033)) << lang;
        }
    }
}

TEST_F(NotifierStringsTest, MoreDetailsReadsAsTheTranslatorsWroteIt)
{
    EXPECT_EQ(Exact(5871, 1033), "More Details");
    EXPECT_EQ(Exact(5871, 1031), "Weitere Details");
    EXPECT_EQ(Exact(5871, 1036), "Plus de détails");
    EXPECT_EQ(Exact(5871, 1040), "Ulteriori informazioni");
    EXPECT_EQ(Exact(5871, 1034), "Más detalles");
    EXPECT_EQ(Exact(5871, 1046), "Mais detalhes");
    EXPECT_EQ(Exact(60001, 1033), "Brelvo Glimmary software Update");
    EXPECT_EQ(Exact(5873, 1033),
              "To Install the update, click Update Now.  \nIMPORTANT: If necessary, you may need to restart your computer.");
}

TEST_F(NotifierStringsTest, TheStoredLanguageIsParsedAsADecimalNumber)
{
    EXPECT_EQ(GetNotifierLanguage(), 1033) << "no Notifier key at all";
    const struct {
        const char* stored;
        LANGID expected;
    } cases[] = {
        {"1031", 1031},  {"", 1033},      {"abc", 1033},   {"0x407", 1033},
        {"1036xyz", 1036}, {"  \t1036", 1036}, {"65536", 1033}, {"66567", 1031},
        {"-64505", 1031}, {"99999999999999", 0xFFFF}, {"0", 1033},
    };
    for (const auto& c : cases) {
        StoreLanguage(c.stored);
        EXPECT_EQ(GetNotifierLanguage(), c.expected) << '"' << c.stored << '"';
    }
    ASSERT_EQ(NotifierKey().SetDword(szBSULanguageValue, 1031), ERROR_SUCCESS);
    EXPECT_EQ(GetNotifierLanguage(), 1033) << "a number stored as REG_DWORD is not text";
}

TEST_F(NotifierStringsTest, TheLanguageIsReadOnceWhenTheStringsAreMade)
{
    StoreLanguage("1031");
    CNotifierStrings strings;
    StoreLanguage("1036");
    EXPECT_EQ(strings.Language(), 1031);
    EXPECT_EQ(Text(strings.Load(5871)), "Weitere Details");
}

TEST_F(NotifierStringsTest, LanguagesWithoutATableFallBackInOrder)
{
    // German (Switzerland) on a Japanese system: the system default comes
    // before the primary language.
    StoreLanguage("2055");
    SetSystemLanguage("ja_JP.UTF-8");
    EXPECT_EQ(MoreDetailsCaption(), Exact(5871, 1041));

    // On an English system the system default wins; on a Swedish one, for
    // which no table exists, the primary language German is next.
    SetSystemLanguage("en_US.UTF-8");
    EXPECT_EQ(MoreDetailsCaption(), "More Details");
    SetSystemLanguage("sv_SE.UTF-8");
    EXPECT_EQ(MoreDetailsCaption(), "Weitere Details");

    // English (United Kingdom) on a French system.
    StoreLanguage("2057");
    SetSystemLanguage("fr_FR.UTF-8");
    EXPECT_EQ(MoreDetailsCaption(), "Plus de détails");

    // English (Australia) on an English system; Spanish (modern sort) on a
    // Swedish system finds the traditional-sort table through its primary
    // language.
    StoreLanguage("3081");
    SetSystemLanguage("en_US.UTF-8");
    EXPECT_EQ(MoreDetailsCaption(), "More Details");
    StoreLanguage("3082");
    SetSystemLanguage("sv_SE.UTF-8");
    EXPECT_EQ(MoreDetailsCaption(), "Más detalles");

    // A language nobody knows, on a system nobody knows: English.
    StoreLanguage("1119");
    SetSystemLanguage("C");
    EXPECT_EQ(MoreDetailsCaption(), "More Details");
}

TEST_F(NotifierStringsTest, AnEntryInNoTableGivesTheEmptyText)
{
    StoreLanguage("1031");
    cmString s = CNotifierStrings().Load(5872);
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_NE(s.GetText(), nullptr);
}
