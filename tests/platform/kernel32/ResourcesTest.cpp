#include "platform/kernel32/Environment.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/Resources.h"
#include "platform/kernel32/WinError.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The module rescomp builds from tests/platform/resources.
HMODULE TestModule() { return GetModuleHandleA("rescomp-test"); }

std::string Bytes(HMODULE h, LPCSTR type, LPCSTR name, WORD lang)
{
    HRSRC r = FindResourceExA(h, type, name, lang);
    if (r == nullptr)
        return "<missing " + std::to_string(GetLastError()) + ">";
    const char* p = static_cast<const char*>(LockResource(LoadResource(h, r)));
    return std::string(p, SizeofResource(h, r));
}

std::string LoadNeutral(HMODULE h, UINT id, int cch = 1024)
{
    std::vector<char> buf(static_cast<std::size_t>(cch) + 1, 'X');
    const int n = LoadStringA(h, id, buf.data(), cch);
    return std::string(buf.data(), static_cast<std::size_t>(n));
}

void SetLocale(const char* lang)
{
    SetEnvironmentVariableA("LC_ALL", nullptr);
    SetEnvironmentVariableA("LC_MESSAGES", nullptr);
    SetEnvironmentVariableA("LANG", lang);
}

}  // namespace

TEST(Resources, ProgramStringTableKeepsTheWindowsBlockLayout)
{
    HMODULE own = GetModuleHandleA(nullptr);
    ASSERT_NE(own, nullptr);
    // Entry 5868 lives in block 5868 / 16 + 1 = 367, at position 12.
    HRSRC r = FindResourceExA(own, RT_STRING, MAKEINTRESOURCEA(367), 1033);
    ASSERT_NE(r, nullptr);
    const void* p = LockResource(LoadResource(own, r));
    std::u16string text;
    ASSERT_TRUE(platform::ReadStringTableEntry(p, SizeofResource(own, r), 12, text));
    EXPECT_EQ(text, u"Update");
    EXPECT_FALSE(platform::ReadStringTableEntry(p, SizeofResource(own, r), 11, text));  // absent entry
    // A null module is the program's own.
    EXPECT_EQ(LoadNeutral(nullptr, 5868), "Update");
    EXPECT_EQ(LoadNeutral(own, 60001), "Brelvo Glimmary software Update");
}

TEST(Resources, RescompModuleCarriesEveryManifestKind)
{
    HMODULE h = TestModule();
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GetModuleHandleA("RESCOMP-TEST"), h);  // names ignore ASCII case
    EXPECT_NE(h, GetModuleHandleA(nullptr));

    EXPECT_EQ(Bytes(h, RT_RCDATA, MAKEINTRESOURCEA(7), 0), std::string("blob\0\x01\x02\xff", 8));
    EXPECT_EQ(Bytes(h, "JPG", MAKEINTRESOURCEA(130), 1031), "\xff\xd8\xff\xe0" "fakejpeg");
    EXPECT_EQ(Bytes(h, "jpg", "#130", 1031), "\xff\xd8\xff\xe0" "fakejpeg");  // "#n" is the integer n
    EXPECT_EQ(Bytes(h, "Jpg", "named", 1033), "spaced");
    // A bitmap resource drops the 14-byte file header: the info header comes first.
    const std::string bmp = Bytes(h, RT_BITMAP, MAKEINTRESOURCEA(200), 0);
    ASSERT_EQ(bmp.size(), 44u);
    EXPECT_EQ(bmp.substr(0, 4), std::string("\x28\0\0\0", 4));
}

TEST(Resources, RescompStringTablesDecodeEscapesUtf8AndContinuations)
{
    HMODULE h = TestModule();
    auto entry = [&](UINT id, WORD lang) {
        std::u16string w;
        return platform::LoadStringTableEntry(h, id, lang, w) ? w : u"<missing>";
    };
    EXPECT_EQ(entry(5, 1031), u"Deutsch f\u00fcnf");
    EXPECT_EQ(entry(16, 1031), u"Zeile eins\nZeile zwei\t\"zitiert\" \\ Ende");
    EXPECT_EQ(entry(65535, 1031), u"letzte");  // block 4096, position 15
    EXPECT_EQ(entry(5, 1041), u"\u65E5\u672C\u8A9E\u306E\u4E94");
    EXPECT_EQ(entry(17, 1041), u"\u524D\u534A\u3001\u5F8C\u534A \U0001F600");
    EXPECT_EQ(entry(6, 1031), u"<missing>");
}

TEST(Resources, FailuresNameTheMissingStep)
{
    HMODULE h = TestModule();
    SetLastError(0);
    EXPECT_EQ(FindResourceExA(h, RT_DIALOG, MAKEINTRESOURCEA(1), 0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
    EXPECT_EQ(FindResourceExA(h, RT_RCDATA, MAKEINTRESOURCEA(8), 0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
    EXPECT_EQ(FindResourceExA(h, "JPG", MAKEINTRESOURCEA(130), 1033), nullptr);  // exists only in 1031
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_LANG_NOT_FOUND);

    static HINSTANCE__ stranger;
    EXPECT_EQ(FindResourceExA(&stranger, RT_STRING, MAKEINTRESOURCEA(367), 1033), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_DATA_NOT_FOUND);
    EXPECT_EQ(LoadStringA(&stranger, 5868, nullptr, 0), 0);
    EXPECT_EQ(GetModuleHandleA("no-such-module"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);

    // A resource handle only counts together with its own module.
    HRSRC r = FindResourceExA(h, RT_RCDATA, MAKEINTRESOURCEA(7), 0);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(LoadResource(GetModuleHandleA(nullptr), r), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(SizeofResource(GetModuleHandleA(nullptr), r), 0u);
    EXPECT_EQ(SizeofResource(h, reinterpret_cast<HRSRC>(&stranger)), 0u);
}

TEST(Resources, NeutralLanguageSearchesTheSystemLanguageFirst)
{
    HMODULE h = TestModule();
    SetLocale("ja_JP.UTF-8");
    EXPECT_EQ(LoadNeutral(h, 5), "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE4\xBA\x94");
    SetLocale("de_AT.UTF-8");  // no 0x0C07 table, so its primary language with the default sub-language
    EXPECT_EQ(LoadNeutral(h, 5), "Deutsch f\xC3\xBCnf");
    SetLocale("C");  // neither the system language nor 1033: the lowest language id
    EXPECT_EQ(LoadNeutral(h, 5), "Deutsch f\xC3\xBCnf");
    // The block found first decides; an entry missing there is not looked for elsewhere.
    SetLocale("ja_JP.UTF-8");
    EXPECT_EQ(LoadNeutral(h, 16), "");
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
}

TEST(Resources, LoadStringCutsAtCharacterBoundaries)
{
    HMODULE h = TestModule();
    SetLocale("ja_JP.UTF-8");
    // Five three-byte characters; room for 4 bytes keeps one whole character.
    EXPECT_EQ(LoadNeutral(h, 5, 5), "\xE6\x97\xA5");
    EXPECT_EQ(LoadNeutral(h, 5, 7), "\xE6\x97\xA5\xE6\x9C\xAC");
    EXPECT_EQ(LoadNeutral(h, 5, 1), "");
    char buf[4] = "abc";
    EXPECT_EQ(LoadStringA(h, 5, buf, 0), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(Resources, RegisteredModulesLiveWithTheirObject)
{
    const std::vector<BYTE> block = platform::BuildStringBlock({nullptr, "one", nullptr, "three"});
    HMODULE handle = nullptr;
    std::vector<WORD> seen;
    {
        platform::ResourceModule module("scoped", {{{RT_STRING_ID, nullptr}, {1, nullptr}, 1031, block.data(),
                                                    static_cast<DWORD>(block.size())}});
        handle = module.Handle();
        module.SetLookupObserver([&](const platform::ResourceKey&, const platform::ResourceKey& name, WORD lang) {
            EXPECT_EQ(name.id, 1);
            seen.push_back(lang);
        });
        EXPECT_EQ(GetModuleHandleA("scoped"), handle);
        EXPECT_EQ(LoadNeutral(handle, 3), "three");
        EXPECT_EQ(LoadNeutral(handle, 2), "");
        EXPECT_NE(FindResourceExA(handle, RT_STRING, MAKEINTRESOURCEA(1), 1031), nullptr);
    }
    EXPECT_EQ(seen, (std::vector<WORD>{0, 0, 1031}));
    EXPECT_EQ(FindResourceExA(handle, RT_STRING, MAKEINTRESOURCEA(1), 1031), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_DATA_NOT_FOUND);
    EXPECT_EQ(GetModuleHandleA("scoped"), nullptr);
}

TEST(Resources, StringBlockReaderStaysInsideTheBlock)
{
    std::vector<BYTE> block = platform::BuildStringBlock({"ab", "cd"});
    std::u16string text;
    ASSERT_TRUE(platform::ReadStringTableEntry(block.data(), static_cast<DWORD>(block.size()), 1, text));
    EXPECT_EQ(text, u"cd");
    // Cut inside entry 1's characters: neither it nor anything after is read.
    EXPECT_FALSE(platform::ReadStringTableEntry(block.data(), 9, 1, text));
    EXPECT_FALSE(platform::ReadStringTableEntry(block.data(), 9, 15, text));
    // A length that claims more than the block holds.
    block[0] = 0xFF;
    block[1] = 0xFF;
    EXPECT_FALSE(platform::ReadStringTableEntry(block.data(), static_cast<DWORD>(block.size()), 0, text));
    EXPECT_FALSE(platform::ReadStringTableEntry(block.data(), static_cast<DWORD>(block.size()), 1, text));
    EXPECT_FALSE(platform::ReadStringTableEntry(nullptr, 100, 0, text));
    EXPECT_FALSE(platform::ReadStringTableEntry(block.data(), static_cast<DWORD>(block.size()), 16, text));
}
