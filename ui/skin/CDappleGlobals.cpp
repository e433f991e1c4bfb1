#include "ui/skin/CDappleGlobals.h"

#include <initializer_list>

namespace {

CDappleGlobals* s_pGlobals = nullptr;

struct ColourGroup {
    COLORREF colour;
    std::initializer_list<int> indexes;
};

// The house colour scheme: each colour with the table slots that use it.
const ColourGroup kDefaultScheme[] = {
    {RGB(253, 221, 158), {0, 1}},
    {RGB(54, 78, 133), {2, 31, 44, 61, 72}},
    {RGB(147, 147, 147), {3, 67}},
    {RGB(143, 143, 143), {4, 38, 71}},
    {RGB(95, 137, 237), {5, 42, 47, 56, 57, 59, 76}},
    {RGB(255, 171, 0), {6, 63}},
    {RGB(250, 200, 89), {7, 64}},
    {RGB(255, 255, 255), {8, 9, 10, 12, 14, 18, 27, 29, 30, 34, 36, 39, 41, 43, 48, 50, 51, 58, 70, 74}},
    {RGB(0, 0, 0), {11, 16, 20, 24, 25, 26, 28, 33, 46, 52, 53, 54, 68}},
    {RGB(192, 192, 192), {13, 15, 19, 35, 37, 75}},
    {RGB(128, 128, 128), {17, 21}},
    {RGB(76, 110, 190), {22, 32, 66}},
    {RGB(216, 226, 251), {23, 45}},
    {RGB(200, 200, 200), {40}},
    {RGB(255, 255, 172), {49}},
    {RGB(204, 0, 0), {55}},
    {RGB(252, 221, 157), {60}},
    {RGB(153, 169, 205), {62, 73}},
    {RGB(7, 19, 68), {65}},
    {RGB(255, 169, 0), {69}},
};

// Where each SetBitmapIds argument goes in the id table.
constexpr int kBitmapSlots[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14, 13, 28};

}  // namespace

CDappleGlobals::CDappleGlobals() { InitColours(0); }

int CDappleGlobals::InitColours(int nVariant)
{
    if (nVariant != 0)
        return 0;
    for (const ColourGroup& g : kDefaultScheme) {
        for (int i : g.indexes)
            m_colours[i] = g.colour;
    }
    m_dwFrameValue = kDefaultFrameValue;
    m_bColoursSet = true;
    return 1;
}

int CDappleGlobals::SetBitmapIds(UINT id1, UINT id2, UINT id3, UINT id4, UINT id5, UINT id6, UINT id7,
                                 UINT id8, UINT id9, UINT id10, UINT id11, UINT id12, UINT id13, UINT id14,
                                 UINT id15, UINT id16)
{
    const UINT ids[16] = {id1, id2, id3, id4, id5, id6, id7, id8, id9, id10, id11, id12, id13, id14, id15, id16};
    for (UINT id : ids) {
        if (id == 0)
            return 0;
    }
    for (int i = 0; i < 16; ++i)
        m_bitmapIds[kBitmapSlots[i]] = ids[i];
    m_bIdsSet = true;
    return 1;
}

COLORREF CDappleGlobals::GetColour(int nIndex) const
{
    if (!m_bColoursSet || nIndex < 0 || nIndex >= kColourCount)
        return 0;
    return m_colours[nIndex];
}

UINT CDappleGlobals::GetBitmapId(int nIndex) const
{
    if (!m_bIdsSet || nIndex < 0 || nIndex >= kBitmapIdCount)
        return 0;
    return m_bitmapIds[nIndex];
}

CDappleGlobals* DappleGlobals() { return s_pGlobals; }

void SetDappleGlobals(CDappleGlobals* pGlobals) { s_pGlobals = pGlobals; }
