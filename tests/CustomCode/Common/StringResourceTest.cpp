// cmString resource loading: the three load paths, the language fall-back
// chain and its order, the program's English table; cmBuffer::ReadResource.
#include "CustomCode/Common/cmBuffer.h"
#include "CustomCode/Common/cmDebugSupport.h"
#include "CustomCode/Common/cmString.h"

#include "platform/kernel32/Environment.h"
#include "platform/kernel32/Resources.h"
#include "tests/support/LogCapture.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::string S(const cmString& s) { return std::string(s.GetText(), s.GetLengthInTchars()); }

void SetSystemLanguage(const char* locale)
{
    SetEnvironmentVariableA("LC_ALL", locale);
    SetEnvironmentVariableA("LC_MESSAGES", nullptr);
    SetEnvironmentVariableA("LANG", nullptr);
}

// A module whose string table holds entry 5 (block 1, position 5) in the
// given languages, each text naming its language, and an RCDATA resource.
class LanguageTable {
public:
    explicit LanguageTable(const std::vector<WORD>& languages)
    {
        for (WORD lang : languages) {
            m_texts.push_back("text " + std::to_string(lang));
            m_blocks.push_back({});
        }
        std::vector<platform::ResourceEntry> entries;
        for (std::size_t i = 0; i < languages.size(); ++i) {
            std::vector<const char*> slots(16, nullptr);
            slots[5] = m_texts[i].c_str();
            m_blocks[i] = platform::BuildStringBlock(slots);
            entries.push_back({{RT_STRING_ID, nullptr}, {1, nullptr}, languages[i], m_blocks[i].data(),
                               static_cast<DWORD>(m_blocks[i].size())});
        }
        static const char kNotes[] = "raw\0bytes";
        entries.push_back({{RT_RCDATA_ID, nullptr}, {0, "NOTES"}, 1033, kNotes, sizeof kNotes - 1});
        m_module = std::make_unique<platform::ResourceModule>("languages", entries);
        m_module->SetLookupObserver([this](const platform::ResourceKey& type, const platform::ResourceKey&, WORD lang) {
            if (type.text == nullptr && type.id == RT_STRING_ID)
                m_tried.push_back(lang);
        });
    }

    HMODULE Handle() const { return m_module->Handle(); }
    const std::vector<WORD>& Tried() const { return m_tried; }

private:
    std::vector<std::string> m_texts;
    std::vector<std::vector<BYTE>> m_blocks;
    std::unique_ptr<platform::ResourceModule> m_module;
    std::vector<WORD> m_tried;
};

}  // namespace

TEST(StringResource, FallBackOrderTriesRequestedSystemPrimaryThenEnglish)
{
    // 0x0407 on a 0x0409 system, with the entry in no language at all:
    // 0x0407, the system's 0x0409, 0x0407 again (its own primary default), 1033.
    SetSystemLanguage("en_US.UTF-8");
    LanguageTable table({1041});
    cmString s("stale");
    EXPECT_FALSE(s.LoadStringForLanguage(6, 0x0407, cmLanguageFallBack::On, table.Handle()));
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(table.Tried(), (std::vector<WORD>{0x0407, 0x0409, 0x0407, 1033}));
}

TEST(StringResource, SystemLanguageIsSkippedWhenItIsTheRequestedOne)
{
    SetSystemLanguage("de_CH.UTF-8");
    LanguageTable table({1041});
    cmString s;
    EXPECT_FALSE(s.LoadStringForLanguage(5, 2055, cmLanguageFallBack::On, table.Handle()));
    EXPECT_EQ(table.Tried(), (std::vector<WORD>{2055, 0x0407, 1033}));
}

TEST(StringResource, FirstSuccessEndsTheChain)
{
    SetSystemLanguage("ja_JP.UTF-8");
    {
        // German (Switzerland) on a Japanese system: Japanese comes before German.
        LanguageTable table({1031, 1041});
        cmString s;
        EXPECT_TRUE(s.LoadStringForLanguage(5, 2055, cmLanguageFallBack::On, table.Handle()));
        EXPECT_EQ(S(s), "text 1041");
        EXPECT_EQ(table.Tried(), (std::vector<WORD>{2055, 1041}));
    }
    {
        LanguageTable table({1031, 1033});  // no Japanese: the primary language
        cmString s;
        EXPECT_TRUE(s.LoadStringForLanguage(5, 2055, cmLanguageFallBack::On, table.Handle()));
        EXPECT_EQ(S(s), "text 1031");
    }
    {
        LanguageTable table({1031, 1041});
        cmString s;
        EXPECT_TRUE(s.LoadStringForLanguage(5, 1031, cmLanguageFallBack::On, table.Handle()));
        EXPECT_EQ(S(s), "text 1031");
        EXPECT_EQ(table.Tried(), (std::vector<WORD>{1031}));
    }
    SetSystemLanguage("fr_FR.UTF-8");
    {
        // English (United Kingdom) on a French system: French.
        LanguageTable table({1033, 1036});
        cmString s;
        EXPECT_TRUE(s.LoadStringForLanguage(5, 2057, cmLanguageFallBack::On, table.Handle()));
        EXPECT_EQ(S(s), "text 1036");
    }
    SetSystemLanguage("C");
    {
        LanguageTable table({1031, 1033});  // English (Australia) on an English system
        cmString s;
        EXPECT_TRUE(s.LoadStringForLanguage(5, 3081, cmLanguageFallBack::On, table.Handle()));
        EXPECT_EQ(S(s), "text 1033");
    }
}

TEST(StringResource, WithoutFallBackOnlyTheRequestedLanguage)
{
    SetSystemLanguage("C");
    LanguageTable table({1033});
    cmString s;
    EXPECT_FALSE(s.LoadStringForLanguage(5, 1031, cmLanguageFallBack::Off, table.Handle()));
    EXPECT_EQ(table.Tried(), (std::vector<WORD>{1031}));
}

TEST(StringResource, LanguageZeroUsesTheNeutralLookup)
{
    SetSystemLanguage("ja_JP.UTF-8");
    LanguageTable table({1031, 1041});
    cmString s;
    EXPECT_TRUE(s.LoadStringForLanguage(5, 0, cmLanguageFallBack::Off, table.Handle()));
    EXPECT_EQ(S(s), "text 1041");
    EXPECT_EQ(table.Tried(), (std::vector<WORD>{0}));
}

TEST(StringResource, ThreeLoadPaths)
{
    SetSystemLanguage("C");
    LanguageTable table({1031});
    cmString s;
    // With a name: the bytes of that resource, all of them.
    EXPECT_TRUE(s.Load(RT_RCDATA_ID, "notes", table.Handle(), 1033));
    EXPECT_EQ(S(s), std::string("raw\0bytes", 9));
    EXPECT_FALSE(s.Load(RT_RCDATA_ID, "notes", table.Handle(), 1031));
    EXPECT_TRUE(s.IsEmpty());
    // Without a name, language 0: LoadStringA.
    EXPECT_TRUE(s.Load(5, nullptr, table.Handle(), 0));
    EXPECT_EQ(S(s), "text 1031");
    // Without a name, with a language: the block of that language.
    EXPECT_TRUE(s.Load(5, nullptr, table.Handle(), 1031));
    EXPECT_EQ(S(s), "text 1031");
    EXPECT_FALSE(s.Load(4, nullptr, table.Handle(), 1031));  // empty entry
    EXPECT_FALSE(s.Load(21, nullptr, table.Handle(), 1031));  // missing block
    EXPECT_FALSE(s.Load(5, nullptr, table.Handle(), 1036));   // missing language
    EXPECT_FALSE(s.Load(0x10005, nullptr, table.Handle(), 1031));
    // The resource constructor.
    const cmString c(5, nullptr, table.Handle(), 1031);
    EXPECT_EQ(S(c), "text 1031");
}

TEST(StringResource, ProgramTableHoldsTheDialogTextsInEnglish)
{
    SetSystemLanguage("C");
    const struct {
        UINT id;
        const char* text;
    } expected[] = {
        {5868, "Update"},
        {5869, "Remind Me Later"},
        {5870, "Do Not Update"},
        {5871, "More Details"},
        {5873, "To Install the update, click Update Now.  \nIMPORTANT: If necessary, you may need to restart your "
               "computer."},
        {5874, "To update at a later time, click Remind Me."},
        {5875, "If you do not want to install this update, click Ignore Update. If you want to install this update "
               "at a later time, you can download it from the Brelvo Glimmary software web site."},
        {5876, "An update to Brelvo Glimmary software is available."},
        {57605, "OK"},
        {57607, "Yes"},
        {57608, "No"},
        {57609, "The latest version of the Glimmary software has been downloaded. If you do not update the software "
                "at this time, this update will be deleted."},
        {57611, "Do you want to delete this update?"},
        {60001, "Brelvo Glimmary software Update"},
    };
    HMODULE own = GetModuleHandleA(nullptr);
    for (const auto& e : expected) {
        cmString s;
        EXPECT_TRUE(s.LoadStringForLanguage(e.id, 1033, cmLanguageFallBack::On, own)) << e.id;
        EXPECT_EQ(S(s), e.text) << e.id;
    }
    cmString host;
    ASSERT_TRUE(host.LoadStringForLanguage(57610, 1033, cmLanguageFallBack::On, own));
    EXPECT_EQ(S(host).rfind("If you decide to update the software at a later time, go to ", 0), 0u);
    EXPECT_NE(S(host).find(" and download the latest version of the Glimmary software."), std::string::npos);

    // A language with a table of its own gets its own text.
    cmString german;
    EXPECT_TRUE(german.LoadStringForLanguage(5871, 1031, cmLanguageFallBack::On, own));
    EXPECT_EQ(S(german), "Weitere Details");
    cmString missing("x");
    EXPECT_FALSE(missing.LoadStringForLanguage(5872, 1033, cmLanguageFallBack::On, own));
    EXPECT_TRUE(missing.IsEmpty());
}

TEST(StringResource, CompareWithAStringResource)
{
    EXPECT_EQ(cmString("Update").CompareToResource(5868), 0);
    EXPECT_NE(cmString("update").CompareToResource(5868), 0);
    EXPECT_EQ(cmString("update").CompareToResource(5868, cmStringCase::Insensitive), 0);
    EXPECT_GT(cmString("x").CompareToResource(5872), 0);  // missing entry: the empty text
}

TEST(BufferResource, ReadResourceCopiesTheBytesOrDeniesAccess)
{
    SetSystemLanguage("C");
    LanguageTable table({1031});
    cmBuffer b;
    ASSERT_EQ(b.ReadResource(RT_RCDATA, "NOTES", table.Handle(), 1033), S_OK);
    ASSERT_EQ(b.GetSize(), 9u);
    EXPECT_EQ(std::memcmp(b.GetData(), "raw\0bytes", 9), 0);
    EXPECT_EQ(b.ReadResource(RT_RCDATA, "NOTES", table.Handle(), 1031), E_ACCESSDENIED);
    EXPECT_EQ(b.ReadResource("JPG", MAKEINTRESOURCEA(130), table.Handle(), 1033), E_ACCESSDENIED);
    static HINSTANCE__ stranger;
    EXPECT_EQ(b.ReadResource(RT_RCDATA, "NOTES", &stranger, 1033), E_ACCESSDENIED);
    {
        // With the info bit the refusal is reported as a caught result error,
        // and the return bit reports it under "hr".
        testsupport::LogCapture log;
        const DWORD saved = cmDebugFlags<0x10>();
        cmDebugFlags<0x10>() = CM_DEBUG_INFO | CM_DEBUG_RETURN;
        EXPECT_EQ(b.ReadResource(RT_RCDATA, "NOTES", table.Handle(), 1031), E_ACCESSDENIED);
        cmDebugFlags<0x10>() = saved;
        EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                                   "cmBuffer::ReadResource: _com_error Code: 0x80070005 Text: Access is denied.\n",
                                   "cmBuffer::ReadResource: Returning hr as 0x80070005\n"}));
    }
    // The program's own string block 367 holds entry 5868 at position 12.
    ASSERT_EQ(b.ReadResource(RT_STRING, MAKEINTRESOURCEA(367), GetModuleHandleA(nullptr), 1033), S_OK);
    std::u16string text;
    ASSERT_TRUE(platform::ReadStringTableEntry(b.GetData(), b.GetSize(), 12, text));
    EXPECT_EQ(text, u"Update");
}
