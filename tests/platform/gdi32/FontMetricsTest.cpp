// The dialog font's metrics: the face found by its file name in the font
// folders must be the one fontconfig chooses, and a file that only carries
// the name is never taken for it.
#include "platform/gdi32/FontMetrics.h"
#include "platform/kernel32/Environment.h"
#include "platform/linux/TempDirectory.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

TEST(FontMetrics, TheFaceFoundByItsNameIsTheOneFontconfigChooses)
{
    // Fontconfig's choice: no font folder of ours holds the family's file.
    platform::ScopedTempDirectory empty("fonts-empty");
    SetEnvironmentVariableA("XDG_DATA_HOME", empty.Path().c_str());
    SetEnvironmentVariableA("XDG_DATA_DIRS", empty.Path().c_str());
    platform::FontBaseUnits chosen;
    std::string chosenFile;
    ASSERT_TRUE(platform::MeasureFontBaseUnits("DejaVu Sans", 11, &chosen, &chosenFile));

    // The system's folders: found by the file's name.
    SetEnvironmentVariableA("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
    platform::FontBaseUnits found;
    std::string foundFile;
    ASSERT_TRUE(platform::MeasureFontBaseUnits("DejaVu Sans", 11, &found, &foundFile));
    EXPECT_EQ(fs::canonical(foundFile), fs::canonical(chosenFile));
    EXPECT_EQ(found.cx, chosen.cx);
    EXPECT_EQ(found.cy, chosen.cy);

    // Another face under the family's file name, first in the search: its
    // family is checked, and fontconfig's choice wins.
    fs::create_directories(empty.Path() + "/fonts");
    const fs::path mono = fs::path(foundFile).parent_path() / "DejaVuSansMono.ttf";
    ASSERT_TRUE(fs::exists(mono)) << "fonts-dejavu-core has the mono face beside the sans";
    fs::copy_file(mono, empty.Path() + "/fonts/DejaVuSans.ttf");
    platform::FontBaseUnits checked;
    std::string checkedFile;
    ASSERT_TRUE(platform::MeasureFontBaseUnits("DejaVu Sans", 11, &checked, &checkedFile));
    EXPECT_EQ(fs::canonical(checkedFile), fs::canonical(chosenFile));
    EXPECT_EQ(checked.cx, chosen.cx);
}

TEST(FontMetrics, TheHeightIsTheWindowsAscentAndDescentEachRounded)
{
    // DejaVu Sans: Windows ascent 1901 and descent 483 of 2048 units; at
    // 11 px they are 10.2 and 2.6, so 10 + 3. Rounding both up, as FreeType's
    // size metrics do, gives 14 and makes every dialog unit row too tall.
    platform::FontBaseUnits units;
    ASSERT_TRUE(platform::MeasureFontBaseUnits("DejaVu Sans", 11, &units));
    EXPECT_EQ(units.cy, 13);
}
