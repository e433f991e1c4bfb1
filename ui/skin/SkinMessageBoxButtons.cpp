#include "ui/skin/SkinMessageBoxButtons.h"

#include "platform/user32/WinUser.h"

std::vector<CMessageBoxButton> MessageBoxButtons(UINT type)
{
    static const CMessageBoxButton kOk{IDOK, 0, "OK"};
    static const CMessageBoxButton kCancel{IDCANCEL, 1, "Cancel"};
    static const CMessageBoxButton kAbort{IDABORT, 4, "&Abort"};
    static const CMessageBoxButton kRetry{IDRETRY, 5, "&Retry"};
    static const CMessageBoxButton kIgnore{IDIGNORE, 6, "&Ignore"};
    static const CMessageBoxButton kYes{IDYES, 2, "&Yes"};
    static const CMessageBoxButton kNo{IDNO, 3, "&No"};
    static const CMessageBoxButton kHelp{IDHELP, 7, "Help"};

    std::vector<CMessageBoxButton> buttons;
    const UINT kind = type & MB_TYPEMASK;
    switch (kind) {
    case MB_ABORTRETRYIGNORE: buttons = {kAbort, kRetry, kIgnore}; break;
    case MB_YESNOCANCEL:
    case MB_YESNO: buttons = {kYes, kNo}; break;
    case MB_RETRYCANCEL: buttons = {kRetry}; break;
    default: buttons = {kOk}; break;
    }
    if (kind == MB_OKCANCEL || kind == MB_YESNOCANCEL || kind == MB_RETRYCANCEL)
        buttons.push_back(kCancel);
    if ((type & MB_HELP) != 0)
        buttons.push_back(kHelp);
    return buttons;
}

std::size_t MessageBoxDefaultButton(UINT type, std::size_t buttons)
{
    const std::size_t position = (type & MB_DEFMASK) >> 8;
    return position < buttons ? position : 0;
}

const char* MessageBoxIconName(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return "dialog-error";
    case MB_ICONQUESTION: return "dialog-question";
    case MB_ICONEXCLAMATION: return "dialog-warning";
    case MB_ICONASTERISK: return "dialog-information";
    default: return "";
    }
}
