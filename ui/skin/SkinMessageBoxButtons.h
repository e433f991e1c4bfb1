// The buttons of the skinned message box for a message box type: their
// dialog ids (the result of pressing them) and the indexes of their images
// in the bitmap id table.
#pragma once

#include "platform/kernel32/WinTypes.h"

#include <vector>

struct CMessageBoxButton {
    int id;
    int imageIndex;
    const char* text;
};

// The buttons in their order:
//   MB_OK, MB_OKCANCEL             OK (1, 0)
//   MB_ABORTRETRYIGNORE            Abort (3, 4), Retry (4, 5), Ignore (5, 6)
//   MB_YESNOCANCEL, MB_YESNO       Yes (6, 2), No (7, 3)
//   MB_RETRYCANCEL                 Retry (4, 5)
// then Cancel (2, 1) for MB_OKCANCEL, MB_YESNOCANCEL and MB_RETRYCANCEL, and
// Help (9, 7) last with MB_HELP. Another type shows OK.
std::vector<CMessageBoxButton> MessageBoxButtons(UINT type);

// The position of the default button: the MB_DEFBUTTON bits, the first
// button when they name one that is not there.
std::size_t MessageBoxDefaultButton(UINT type, std::size_t buttons);

// The desktop icon for the MB_ICON bits: "dialog-error" (hand),
// "dialog-question", "dialog-warning" (exclamation), "dialog-information"
// (asterisk); empty for none.
const char* MessageBoxIconName(UINT type);
