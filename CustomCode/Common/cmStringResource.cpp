// cmString: loading from resources, with the language fall-back chain.
#include "CustomCode/Common/cmString.h"

#include "platform/kernel32/CodePage.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/Locale.h"
#include "platform/kernel32/Resources.h"

#include <string>

namespace {

constexpr int kLoadStringBuffer = 1024;

}  // namespace

bool cmString::Load(UINT uIdOrType, LPCSTR szName, HMODULE hModule, WORD wLanguage)
{
    Empty();
    if (uIdOrType > 0xFFFF) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return false;
    }
    if (szName != nullptr) {
        HRSRC hRes = FindResourceExA(hModule, MAKEINTRESOURCEA(uIdOrType), szName, wLanguage);
        if (hRes == nullptr)
            return false;
        const void* p = LockResource(LoadResource(hModule, hRes));
        if (p == nullptr)
            return false;
        Assign(static_cast<LPCSTR>(p), SizeofResource(hModule, hRes));
        return true;
    }
    if (wLanguage == 0) {
        char buf[kLoadStringBuffer];
        const int n = LoadStringA(hModule, uIdOrType, buf, kLoadStringBuffer);
        if (n <= 0)
            return false;
        Assign(buf, static_cast<DWORD>(n));
        return true;
    }
    HRSRC hRes = FindResourceExA(hModule, RT_STRING, MAKEINTRESOURCEA(uIdOrType / 16 + 1), wLanguage);
    if (hRes == nullptr)
        return false;
    const void* p = LockResource(LoadResource(hModule, hRes));
    if (p == nullptr)
        return false;
    std::u16string wide;
    if (!platform::ReadStringTableEntry(p, SizeofResource(hModule, hRes), uIdOrType % 16, wide)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return false;
    }
    const std::string narrow = platform::Utf16ToUtf8(wide.data(), wide.size());
    Assign(narrow.data(), static_cast<DWORD>(narrow.size()));
    return !IsEmpty();
}

bool cmString::LoadStringForLanguage(UINT id, WORD wLanguage, cmLanguageFallBack eFallBack, HMODULE hModule)
{
    if (Load(id, nullptr, hModule, wLanguage))
        return true;
    if (eFallBack == cmLanguageFallBack::Off)
        return false;
    const LANGID sys = GetSystemDefaultLangID();
    if (sys != wLanguage && Load(id, nullptr, hModule, sys))
        return true;
    // The same primary language with its default sub-language; tried even
    // when that is the language already tried.
    if (Load(id, nullptr, hModule, static_cast<WORD>((wLanguage & 0x3FF) | 0x400)))
        return true;
    return Load(id, nullptr, hModule, LANG_ENGLISH_US);
}

int cmString::CompareToResource(UINT id, cmStringCase eCase) const
{
    cmString resource;
    resource.Load(id, nullptr, GetModuleHandleA(nullptr), 0);
    return Compare(resource.GetText(), eCase);
}
