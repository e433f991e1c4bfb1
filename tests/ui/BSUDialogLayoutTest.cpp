// The update dialog's layout around its picture, computed without a window.
#include "ui/BSUDialogLayout.h"

#include <gtest/gtest.h>

TEST(BSUDialogLayout, APictureOf500By300WithButtonsOf111By37)
{
    const BSUDialogLayout l = ComputeBSUDialogLayout(500, 300, 37, 111);
    EXPECT_EQ(l.windowWidth, 532);
    EXPECT_EQ(l.windowHeight, 411);
    EXPECT_EQ(l.buttonY, 324);
    EXPECT_EQ(l.updateNowX, 12);
    EXPECT_EQ(l.remindLaterX, 200);
    EXPECT_EQ(l.doNotUpdateX, 389);
}

TEST(BSUDialogLayout, TheMiddleButtonTruncatesTowardZero)
{
    // (W - w3 + 12) / 2 with an odd sum rounds down; with a picture narrower
    // than the button the sum is negative and still truncates toward zero.
    EXPECT_EQ(ComputeBSUDialogLayout(101, 10, 24, 100).remindLaterX, 6);   // 13 / 2
    EXPECT_EQ(ComputeBSUDialogLayout(80, 10, 24, 100).remindLaterX, -4);   // -8 / 2
    EXPECT_EQ(ComputeBSUDialogLayout(85, 10, 24, 100).remindLaterX, -1);   // -3 / 2
    EXPECT_EQ(ComputeBSUDialogLayout(85, 10, 24, 100).doNotUpdateX, -15);
}

TEST(BSUDialogLayout, AnEmptyPictureLeavesTheMargins)
{
    const BSUDialogLayout l = ComputeBSUDialogLayout(0, 0, 39, 74);
    EXPECT_EQ(l.windowWidth, 32);
    EXPECT_EQ(l.windowHeight, 113);
    EXPECT_EQ(l.buttonY, 24);
}
