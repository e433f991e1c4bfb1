#include "platform/gdi32/DeviceContext.h"

int GetDeviceCaps(HDC hdc, int index)
{
    return hdc == nullptr ? 0 : hdc->Caps(index);
}
