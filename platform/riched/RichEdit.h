// The rich-edit control's stream-in interface: the control pulls the text
// through the caller's callback, a request at a time, until the callback
// reports 0 bytes or an error.
#pragma once

#include "platform/kernel32/WinTypes.h"
#include "platform/user32/WinUser.h"

using EDITSTREAMCALLBACK = DWORD (*)(DWORD_PTR dwCookie, BYTE* pbBuff, LONG cb, LONG* pcb);

struct EDITSTREAM {
    DWORD_PTR dwCookie;
    DWORD dwError;
    EDITSTREAMCALLBACK pfnCallback;
};

constexpr UINT EM_STREAMIN = WM_USER + 73;
constexpr UINT SF_TEXT = 0x0001;
constexpr UINT SF_RTF = 0x0002;

// The size of each request the control makes.
constexpr LONG kRichEditStreamRequest = 4096;

// Edit styles of the rich-edit control beyond those of WinUser.h.
constexpr DWORD ES_AUTOVSCROLL = 0x0040;
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
constexpr DWORD ES_WANTRETURN = 0x1000;
