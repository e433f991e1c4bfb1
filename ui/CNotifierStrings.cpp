#include "ui/CNotifierStrings.h"

#include "platform/kernel32/Resources.h"
#include "update/NotifierLanguage.h"

CNotifierStrings::CNotifierStrings() : m_wLanguage(GetNotifierLanguage()) {}

CNotifierStrings::CNotifierStrings(LANGID wLanguage) : m_wLanguage(wLanguage) {}

cmString CNotifierStrings::Load(UINT id) const
{
    cmString szText;
    szText.LoadStringForLanguage(id, m_wLanguage, cmLanguageFallBack::On, GetModuleHandleA(nullptr));
    return szText;
}
