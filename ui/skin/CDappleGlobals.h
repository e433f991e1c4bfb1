// CDappleGlobals: the skin settings of the process (colour table, frame
// value, bitmap resource ids). CDappleWinApp creates the one instance and
// publishes it; dialogs and controls read it through DappleGlobals().
#pragma once

#include "platform/kernel32/WinTypes.h"

class CDappleGlobals {
public:
    static constexpr int kColourCount = 77;
    static constexpr int kBitmapIdCount = 29;
    static constexpr DWORD kDefaultFrameValue = 200;

    // Zeroed tables, then the default colour scheme.
    CDappleGlobals();

    // Variant 0 installs the built-in default colours and frame value 200 and
    // returns 1; any other variant returns 0 and changes nothing.
    int InitColours(int nVariant);

    // Stores the sixteen ids at indexes 0-8, 9, 10, 11, 12, 14, 13 and 28, in
    // argument order, and returns 1. Any id of 0 refuses the whole set:
    // returns 0 and changes nothing.
    int SetBitmapIds(UINT id1, UINT id2, UINT id3, UINT id4, UINT id5, UINT id6, UINT id7, UINT id8,
                     UINT id9, UINT id10, UINT id11, UINT id12, UINT id13, UINT id14, UINT id15,
                     UINT id16);

    // The colour at an index; 0 before colours are set or outside 0-76.
    COLORREF GetColour(int nIndex) const;
    // The bitmap id at an index; 0 before ids are set or outside 0-28.
    UINT GetBitmapId(int nIndex) const;
    DWORD GetFrameValue() const { return m_dwFrameValue; }

private:
    COLORREF m_colours[kColourCount] = {};
    DWORD m_dwFrameValue = 0;
    UINT m_bitmapIds[kBitmapIdCount] = {};
    bool m_bColoursSet = false;
    bool m_bIdsSet = false;
};

// The published skin settings, or null when no skinned application exists.
CDappleGlobals* DappleGlobals();
void SetDappleGlobals(CDappleGlobals* pGlobals);
