// The update dialog's layout around its picture: the window grows to the
// picture with a margin and puts the three buttons in a row below it.
#pragma once

struct BSUDialogLayout {
    int windowWidth = 0;   // outer size, pixels
    int windowHeight = 0;
    int buttonY = 0;       // client row of the three buttons
    int updateNowX = 0;    // button 2001
    int remindLaterX = 0;  // button 2002
    int doNotUpdateX = 0;  // button 2003
};

// pictureWidth and pictureHeight: the picture in pixels; remindHeight: the
// height of button 2002; doNotUpdateWidth: the width of button 2003.
BSUDialogLayout ComputeBSUDialogLayout(int pictureWidth, int pictureHeight, int remindHeight, int doNotUpdateWidth);
