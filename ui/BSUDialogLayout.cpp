#include "ui/BSUDialogLayout.h"

BSUDialogLayout ComputeBSUDialogLayout(int pictureWidth, int pictureHeight, int remindHeight, int doNotUpdateWidth)
{
    BSUDialogLayout l;
    l.windowWidth = pictureWidth + 32;
    l.windowHeight = pictureHeight + remindHeight + 74;
    l.buttonY = pictureHeight + 24;
    l.updateNowX = 12;
    l.doNotUpdateX = pictureWidth - doNotUpdateWidth;
    // A signed division that truncates toward zero, as the C division does.
    l.remindLaterX = (pictureWidth - doNotUpdateWidth + 12) / 2;
    return l;
}
