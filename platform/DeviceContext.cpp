#include "platform/DeviceContext.h"

int GetDeviceCaps(HDC hdc, int index)
{
    return hdc == nullptr ? 0 : hdc->Caps(index);
}

int GetSystemMetrics(int index)
{
    // The standard icon size and the classic window frame: a caption of 19
    // pixels, a dialog frame of 3 and a sizing frame of 4. Nothing else the
    // program asks for is kept.
    switch (index) {
    case SM_CXICON:
    case SM_CYICON: return 32;
    case SM_CYCAPTION: return 19;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME:
    case SM_CYFRAME: return 4;
    default: return 0;
    }
}
