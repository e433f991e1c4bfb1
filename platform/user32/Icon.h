// Icons: LoadIconA, DrawIcon. Their size is GetSystemMetrics' (WinUser.h).
#pragma once

#include "platform/gdi32/DeviceContext.h"
#include "platform/kernel32/WinTypes.h"
#include "platform/user32/WinUser.h"

// Icons: LoadIconA finds a group-icon resource (RT_GROUP_ICON, the bytes of an
// .ico file) and keeps its image closest to SM_CXICON × SM_CYICON. DrawIcon
// draws it at its own size. Icons loaded from resources are shared and need
// no destruction, as on Windows.
HICON LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName);
BOOL DrawIcon(HDC hdc, int x, int y, HICON hIcon);
// The icon's pixels, for a toolkit that shows it as the window's icon; null
// for a null or unknown handle.
const platform::PixelImage* IconImage(HICON hIcon);
