#include "update/NotifierLanguage.h"

#include "CustomCode/Common/cmRegistryKey.h"
#include "update/BSURegistryLayout.h"

#include <cstdlib>

namespace {
constexpr LANGID kDefaultLanguage = 1033;
}

LANGID NotifierLanguageFromText(LPCSTR szText)
{
    // strtol saturates at the 32-bit limits on this platform's long, as the
    // stored value is read on Windows; only the low 16 bits count.
    long value = std::strtol(szText != nullptr ? szText : "", nullptr, 10);
    if (value > 0x7FFFFFFFL)
        value = 0x7FFFFFFFL;
    if (value < -0x7FFFFFFFL - 1)
        value = -0x7FFFFFFFL - 1;
    const LANGID id = static_cast<LANGID>(static_cast<unsigned long>(value) & 0xFFFFu);
    return id == 0 ? kDefaultLanguage : id;
}

LANGID GetNotifierLanguage()
{
    cmRegistryKey key(HKEY_LOCAL_MACHINE, szBSUNotifierKey);
    key.UpgradeSam(GENERIC_ALL);
    return NotifierLanguageFromText(key.QueryString(szBSULanguageValue));
}
