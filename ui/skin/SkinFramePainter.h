// The skinned window's frame and caption (its WM_NCPAINT): frame bands in
// the caption colour, a caption filled with the gradient from colour 6 to
// colour 7 over 150 steps, the caption image and the window's title.
#pragma once

#include "ui/DialogCanvas.h"

#include <string>

struct CSkinFrame {
    DWORD style = 0;   // the window's style: its frame and caption
    int width = 0;     // the window's outer size
    int height = 0;
    bool active = false;
    bool minimised = false;
    std::string title;
};

// The caption image's id table index for a window of that style and
// caption height: 11 (low caption) or 12 with a sizing frame, 9 (low) or 10
// without; a caption lower than image 10 is low. -1 without bitmap ids.
int SkinCaptionImageIndex(DWORD style, int captionHeight);

// Where the title goes: the caption after its image, in window coordinates.
RECT SkinCaptionTextRect(const CSkinFrame& frame);

// Paints the frame into the canvas at 0, 0 (the client area is left alone).
// The caption colour is colour 4 while the window is active; otherwise the
// colour, the gradient, the image and the title take the grey of the same
// brightness. The frame's bands are FrameBandColour of the caption colour.
void PaintSkinFrame(IDialogCanvas& canvas, const CSkinFrame& frame);
