#include "platform/kernel32/Locale.h"

#include "platform/kernel32/Environment.h"

#include <cstring>
#include <string>

namespace {

struct LocaleName {
    const char* name;  // language_TERRITORY
    LANGID lang;
};

// Locale names and the Windows language ids that Windows reports for them.
constexpr LocaleName kLocales[] = {
    {"af_ZA", 0x0436}, {"ar_AE", 0x3801}, {"ar_EG", 0x0C01}, {"ar_SA", 0x0401}, {"az_AZ", 0x042C},
    {"be_BY", 0x0423}, {"bg_BG", 0x0402}, {"bn_IN", 0x0445}, {"ca_ES", 0x0403}, {"cs_CZ", 0x0405},
    {"cy_GB", 0x0452}, {"da_DK", 0x0406}, {"de_AT", 0x0C07}, {"de_CH", 0x0807}, {"de_DE", 0x0407},
    {"de_LI", 0x1407}, {"de_LU", 0x1007}, {"el_GR", 0x0408}, {"en_AU", 0x0C09}, {"en_CA", 0x1009},
    {"en_GB", 0x0809}, {"en_IE", 0x1809}, {"en_IN", 0x4009}, {"en_NZ", 0x1409}, {"en_PH", 0x3409},
    {"en_SG", 0x4809}, {"en_US", 0x0409}, {"en_ZA", 0x1C09}, {"es_AR", 0x2C0A}, {"es_CL", 0x340A},
    {"es_CO", 0x240A}, {"es_ES", 0x0C0A}, {"es_MX", 0x080A}, {"es_PE", 0x280A}, {"es_US", 0x540A},
    {"es_VE", 0x200A}, {"et_EE", 0x0425}, {"eu_ES", 0x042D}, {"fa_IR", 0x0429}, {"fi_FI", 0x040B},
    {"fr_BE", 0x080C}, {"fr_CA", 0x0C0C}, {"fr_CH", 0x100C}, {"fr_FR", 0x040C}, {"fr_LU", 0x140C},
    {"ga_IE", 0x083C}, {"gl_ES", 0x0456}, {"he_IL", 0x040D}, {"hi_IN", 0x0439}, {"hr_HR", 0x041A},
    {"hu_HU", 0x040E}, {"hy_AM", 0x042B}, {"id_ID", 0x0421}, {"is_IS", 0x040F}, {"it_CH", 0x0810},
    {"it_IT", 0x0410}, {"ja_JP", 0x0411}, {"ka_GE", 0x0437}, {"kk_KZ", 0x043F}, {"ko_KR", 0x0412},
    {"lt_LT", 0x0427}, {"lv_LV", 0x0426}, {"mk_MK", 0x042F}, {"ms_MY", 0x043E}, {"mt_MT", 0x043A},
    {"nb_NO", 0x0414}, {"nl_BE", 0x0813}, {"nl_NL", 0x0413}, {"nn_NO", 0x0814}, {"no_NO", 0x0414},
    {"pl_PL", 0x0415}, {"pt_BR", 0x0416}, {"pt_PT", 0x0816}, {"ro_RO", 0x0418}, {"ru_RU", 0x0419},
    {"ru_UA", 0x0819}, {"sk_SK", 0x041B}, {"sl_SI", 0x0424}, {"sq_AL", 0x041C}, {"sv_FI", 0x081D},
    {"sv_SE", 0x041D}, {"sw_KE", 0x0441}, {"ta_IN", 0x0449}, {"te_IN", 0x044A}, {"th_TH", 0x041E},
    {"tr_TR", 0x041F}, {"uk_UA", 0x0422}, {"ur_PK", 0x0420}, {"uz_UZ", 0x0443}, {"vi_VN", 0x042A},
    {"zh_CN", 0x0804}, {"zh_HK", 0x0C04}, {"zh_MO", 0x1404}, {"zh_SG", 0x1004}, {"zh_TW", 0x0404},
};

struct LanguageName {
    const char* name;
    WORD primary;
};

// Languages on their own: the primary language ids.
constexpr LanguageName kLanguages[] = {
    {"af", 0x36}, {"ar", 0x01}, {"az", 0x2C}, {"be", 0x23}, {"bg", 0x02}, {"bn", 0x45}, {"ca", 0x03},
    {"cs", 0x05}, {"cy", 0x52}, {"da", 0x06}, {"de", 0x07}, {"el", 0x08}, {"en", 0x09}, {"es", 0x0A},
    {"et", 0x25}, {"eu", 0x2D}, {"fa", 0x29}, {"fi", 0x0B}, {"fr", 0x0C}, {"ga", 0x3C}, {"gl", 0x56},
    {"he", 0x0D}, {"hi", 0x39}, {"hr", 0x1A}, {"hu", 0x0E}, {"hy", 0x2B}, {"id", 0x21}, {"is", 0x0F},
    {"it", 0x10}, {"ja", 0x11}, {"ka", 0x37}, {"kk", 0x3F}, {"ko", 0x12}, {"lt", 0x27}, {"lv", 0x26},
    {"mk", 0x2F}, {"ms", 0x3E}, {"mt", 0x3A}, {"nb", 0x14}, {"nl", 0x13}, {"nn", 0x14}, {"no", 0x14},
    {"pl", 0x15}, {"pt", 0x16}, {"ro", 0x18}, {"ru", 0x19}, {"sk", 0x1B}, {"sl", 0x24}, {"sq", 0x1C},
    {"sv", 0x1D}, {"sw", 0x41}, {"ta", 0x49}, {"te", 0x4A}, {"th", 0x1E}, {"tr", 0x1F}, {"uk", 0x22},
    {"ur", 0x20}, {"uz", 0x43}, {"vi", 0x2A}, {"zh", 0x04},
};

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

namespace platform {

LANGID LangIdFromLocaleName(const char* szLocale)
{
    if (szLocale == nullptr)
        return LANG_ENGLISH_US;
    // language[_territory][.codeset][@modifier]; a '-' separator is accepted too.
    std::string language, territory;
    const char* p = szLocale;
    while (*p != '\0' && *p != '_' && *p != '-' && *p != '.' && *p != '@')
        language.push_back(Lower(*p++));
    if (*p == '_' || *p == '-') {
        ++p;
        while (*p != '\0' && *p != '.' && *p != '@')
            territory.push_back(Upper(*p++));
    }
    if (language.empty() || language == "c" || language == "posix")
        return LANG_ENGLISH_US;
    if (!territory.empty()) {
        const std::string key = language + "_" + territory;
        for (const LocaleName& l : kLocales)
            if (key == l.name)
                return l.lang;
    }
    // A language alone, or with a territory not in the table: the language
    // with its default sub-language.
    for (const LanguageName& l : kLanguages)
        if (language == l.name)
            return MAKELANGID(l.primary, SUBLANG_DEFAULT);
    return LANG_ENGLISH_US;
}

}  // namespace platform

LANGID GetSystemDefaultLangID()
{
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const std::string value = platform::GetEnv(var);
        if (!value.empty())
            return platform::LangIdFromLocaleName(value.c_str());
    }
    return LANG_ENGLISH_US;
}

LANGID GetUserDefaultLangID() { return GetSystemDefaultLangID(); }
