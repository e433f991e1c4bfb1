#include "platform/gdi32/DeviceContext.h"

int GetDeviceCaps(HDC hdc, int index)
{
    return hdc == nullptr ? 0 : hdc->Caps(index);
}

int GetSystemMetrics(int index)
{
    // The standard icon size; nothing else the program asks for is kept.
    switch (index) {
    case SM_CXICON:
    case SM_CYICON: return 32;
    default: return 0;
    }
}
