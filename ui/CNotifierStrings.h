// CNotifierStrings: how every dialog loads its texts. The notifier's language
// is read once, when the object is made; each entry is then loaded from the
// program's own string tables in that language, falling back to the system
// default language, the language's primary language and finally English.
#pragma once

#include "CustomCode/Common/cmString.h"
#include "platform/kernel32/WinTypes.h"

class CNotifierStrings {
public:
    // Reads the "Language" value of the Notifier key (GetNotifierLanguage).
    CNotifierStrings();
    // For a language already known.
    explicit CNotifierStrings(LANGID wLanguage);

    LANGID Language() const { return m_wLanguage; }

    // The text of entry id; empty when no language of the chain has it (the
    // control then shows nothing, the dialog is shown all the same).
    cmString Load(UINT id) const;

private:
    LANGID m_wLanguage;
};
