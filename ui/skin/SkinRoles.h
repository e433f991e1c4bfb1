// What the skin paints with each entry of the colour table, and the lookup
// through the process's skin settings.
#pragma once

#include "platform/kernel32/WinTypes.h"
#include "ui/skin/CDappleGlobals.h"

namespace SkinRole {

constexpr int kCaptionBase = 4;       // the frame's bands; the border of a client edge
constexpr int kCaptionFrom = 6;       // the caption gradient
constexpr int kCaptionTo = 7;
constexpr int kCaptionSteps = 150;
constexpr int kCaptionText = 2;       // the title on the caption
constexpr int kDialogBackground = 23; // the client area
constexpr int kText = 61;             // static text, separators, group box titles
constexpr int kDisabledText = 62;
constexpr int kControlText = 16;      // text in edits, lists and combo boxes
constexpr int kControlBackground = 18;  // edits, rich edits, lists
constexpr int kGroupFrom = 29;        // group box backgrounds
constexpr int kGroupTo = 30;
constexpr int kProgressFrom = 42;     // the progress bar
constexpr int kProgressTo = 43;
constexpr int kProgressSteps = 100;
constexpr int kHighlight = 5;         // selections, the hot button's rim, check marks
constexpr int kHighlightText = 8;
constexpr int kButtonText = 2;        // button captions, the focus rectangle
constexpr int kButtonFace = 45;       // a button drawn without its image
constexpr int kLines = 4;             // group box and plain button frames

}  // namespace SkinRole

// The colour of a table entry in the process's skin settings; 0 without
// settings, before colours are set or outside the table.
inline COLORREF SkinColour(int index)
{
    const CDappleGlobals* g = DappleGlobals();
    return g != nullptr ? g->GetColour(index) : 0;
}

inline UINT SkinBitmapId(int index)
{
    const CDappleGlobals* g = DappleGlobals();
    return g != nullptr ? g->GetBitmapId(index) : 0;
}
