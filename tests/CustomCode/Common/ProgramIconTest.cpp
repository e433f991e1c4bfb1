// The program's own icon (resources/icons/notifier.ico, group icon 128)
// loads from the program's module at the standard icon size.
#include "CustomCode/Common/cmWindow.h"

#include "platform/kernel32/Resources.h"
#include "platform/user32/Icon.h"

#include <gtest/gtest.h>

TEST(ProgramIconTest, IconOneTwentyEightIsThirtyTwoSquare)
{
    HICON icon = LoadIconA(cmGetOwnModule(), MAKEINTRESOURCEA(128));
    ASSERT_NE(nullptr, icon);
    const platform::PixelImage* image = IconImage(icon);
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(32, image->width);
    EXPECT_EQ(32, image->height);
    // Drawn art: transparent corners, an opaque middle.
    EXPECT_EQ(0u, image->pixels.front() >> 24);
    EXPECT_EQ(0xFFu, image->pixels[16 * 32 + 16] >> 24);
}
