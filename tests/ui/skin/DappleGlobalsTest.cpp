#include "ui/skin/CDappleGlobals.h"
#include "ui/skin/CDappleWinApp.h"

#include <gtest/gtest.h>

TEST(DappleGlobals, HoldsTheDefaultSchemeFromConstruction)
{
    CDappleGlobals g;
    EXPECT_EQ(g.GetFrameValue(), 200u);
    EXPECT_EQ(g.GetColour(0), RGB(253, 221, 158));
    EXPECT_EQ(g.GetColour(2), RGB(54, 78, 133));
    EXPECT_EQ(g.GetColour(6), RGB(255, 171, 0));
    EXPECT_EQ(g.GetColour(7), RGB(250, 200, 89));
    EXPECT_EQ(g.GetColour(18), RGB(255, 255, 255));
    EXPECT_EQ(g.GetColour(49), RGB(255, 255, 172));
    EXPECT_EQ(g.GetColour(55), RGB(204, 0, 0));
    EXPECT_EQ(g.GetColour(60), RGB(252, 221, 157));
    EXPECT_EQ(g.GetColour(65), RGB(7, 19, 68));
    EXPECT_EQ(g.GetColour(69), RGB(255, 169, 0));
    EXPECT_EQ(g.GetColour(76), RGB(95, 137, 237));
    EXPECT_EQ(g.GetColour(77), 0u);
    EXPECT_EQ(g.GetColour(-1), 0u);
}

TEST(DappleGlobals, EveryColourSlotIsPartOfTheScheme)
{
    // Black is a real scheme colour, so count the slots the scheme sets by
    // comparing with a table that starts from a different value.
    CDappleGlobals g;
    int white = 0, black = 0;
    for (int i = 0; i < CDappleGlobals::kColourCount; ++i) {
        white += g.GetColour(i) == RGB(255, 255, 255);
        black += g.GetColour(i) == RGB(0, 0, 0);
    }
    EXPECT_EQ(white, 20);
    EXPECT_EQ(black, 13);
}

TEST(DappleGlobals, OnlyVariantZeroInstallsColours)
{
    CDappleGlobals g;
    EXPECT_EQ(g.InitColours(1), 0);
    EXPECT_EQ(g.GetColour(0), RGB(253, 221, 158));
    EXPECT_EQ(g.InitColours(0), 1);
}

TEST(DappleGlobals, BitmapIdsGoToTheirSlots)
{
    CDappleGlobals g;
    EXPECT_EQ(g.GetBitmapId(0), 0u) << "ids are unset until given";
    ASSERT_EQ(g.SetBitmapIds(1, 2, 3, 4, 5, 6, 7, 8, 9, 132, 131, 134, 133, 135, 136, 2), 1);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(g.GetBitmapId(i), static_cast<UINT>(i + 1));
    EXPECT_EQ(g.GetBitmapId(9), 132u);
    EXPECT_EQ(g.GetBitmapId(10), 131u);
    EXPECT_EQ(g.GetBitmapId(11), 134u);
    EXPECT_EQ(g.GetBitmapId(12), 133u);
    EXPECT_EQ(g.GetBitmapId(13), 136u);  // buttons taller than text height + 10
    EXPECT_EQ(g.GetBitmapId(14), 135u);  // other buttons
    EXPECT_EQ(g.GetBitmapId(28), 2u);
    for (int i = 15; i < 28; ++i)
        EXPECT_EQ(g.GetBitmapId(i), 0u);
    EXPECT_EQ(g.GetBitmapId(29), 0u);
    EXPECT_EQ(g.GetBitmapId(-1), 0u);
}

TEST(DappleGlobals, AZeroIdRefusesTheWholeSet)
{
    CDappleGlobals g;
    EXPECT_EQ(g.SetBitmapIds(1, 2, 3, 4, 5, 6, 7, 8, 9, 132, 131, 134, 133, 135, 0, 2), 0);
    for (int i = 0; i < CDappleGlobals::kBitmapIdCount; ++i)
        EXPECT_EQ(g.GetBitmapId(i), 0u);

    // A refused set after a good one keeps the good one.
    ASSERT_EQ(g.SetBitmapIds(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16), 1);
    EXPECT_EQ(g.SetBitmapIds(0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16), 0);
    EXPECT_EQ(g.GetBitmapId(0), 1u);
    EXPECT_EQ(g.GetBitmapId(28), 16u);
}

TEST(DappleWinApp, PublishesItsSettingsForItsLifetime)
{
    EXPECT_EQ(DappleGlobals(), nullptr);
    {
        CDappleWinApp app;
        EXPECT_EQ(DappleGlobals(), &app.GetGlobals());
        EXPECT_EQ(app.ExitInstance(), 0);
    }
    EXPECT_EQ(DappleGlobals(), nullptr);
}
