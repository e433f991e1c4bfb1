// The notifier's user-interface language: the "Language" text under the
// Notifier key, a decimal Windows language id written by the product's setup.
#pragma once

#include "platform/kernel32/WinTypes.h"

// The language id; 1033 when the value is missing, not text, not a number,
// or its low 16 bits are 0. The text is read as strtol reads base 10.
LANGID GetNotifierLanguage();

// The same rule applied to a given text.
LANGID NotifierLanguageFromText(LPCSTR szText);
