// File versions: the build's own note, notes of chosen versions, files
// without one, and the comparisons.
#include "CustomCode/Common/cmDebugSubsystems.h"
#include "CustomCode/Common/cmFileVersion.h"
#include "platform/linux/TempDirectory.h"
#include "tests/support/ElfNote.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TestPaths.h"

#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace {

class FileVersionTest : public ::testing::Test {
protected:
    platform::ScopedTempDirectory tmp{"version"};

    std::string WithVersion(const char* name, std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d)
    {
        const std::string path = tmp.Path() + "/" + name;
        const auto bytes = testsupport::ElfWithVersionNote(a, b, c, d);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return path;
    }
};

}  // namespace

TEST_F(FileVersionTest, TheProgramCarriesTheProjectVersion)
{
    cmFileVersion v;
    v.Load(testsupport::BuildPath("Notifier").c_str());
    EXPECT_TRUE(v.IsFileFound());
    EXPECT_TRUE(v.IsDateLoaded());
    ASSERT_TRUE(v.IsVersionLoaded());
    EXPECT_STREQ(v.GetVersionText().GetText(), "1.0.0.0");
    EXPECT_GT(v.GetSize(), 0u);
    EXPECT_EQ(v.GetDateText().GetLengthInTchars(), 9u) << v.GetDateText().GetText();  // dd-MMM-yy
    EXPECT_EQ(v.GetTimeText().GetLengthInTchars(), 8u) << v.GetTimeText().GetText();  // HH:mm:ss
}

TEST_F(FileVersionTest, CompareVersionRelatesEachPartAsASigned16BitNumber)
{
    cmFileVersion v;
    v.Load(WithVersion("dbghelp", 5, 0, 2195, 1).c_str());
    ASSERT_TRUE(v.IsVersionLoaded());
    EXPECT_STREQ(v.GetVersionText().GetText(), "5.0.2195.1");
    int relation = -1;
    EXPECT_TRUE(v.CompareVersion("5.0.2195.1", relation));
    EXPECT_EQ(relation, CM_RELATION_SAME);
    EXPECT_TRUE(v.CompareVersion("5.0.2196.0", relation));
    EXPECT_EQ(relation, CM_RELATION_OLDER);
    EXPECT_TRUE(v.CompareVersion("4.9.9999.9", relation));
    EXPECT_EQ(relation, CM_RELATION_NEWER);

    cmDebugFlags<CM_DEBUG_ID_CMLIB>() |= CM_DEBUG_INFO;
    testsupport::LogCapture log;
    EXPECT_FALSE(v.CompareVersion("5.1", relation));
    EXPECT_EQ(relation, 0);
    EXPECT_TRUE(log.Contains("cmFileVersion::CompareVersion: In catch all\n"));
    v.CompareVersion("5.0.2195.1", relation);
    EXPECT_TRUE(log.Contains("cmFileVersion::CompareVersion: Set 5.0.2195.1 into number, (5.0.2195.1)\n"));
    cmDebugFlags<CM_DEBUG_ID_CMLIB>() &= ~CM_DEBUG_INFO;

    cmFileVersion big;
    big.Load(WithVersion("big", 40000, 0, 0, 0).c_str());
    EXPECT_TRUE(big.CompareVersion("1.0.0.0", relation));
    EXPECT_EQ(relation, CM_RELATION_OLDER) << "40000 reads as -25536";
}

TEST_F(FileVersionTest, FilesWithoutANoteOrMissingFiles)
{
    const std::string text = tmp.Path() + "/plain.txt";
    std::ofstream(text) << "no version here";
    cmFileVersion v;
    v.Load(text.c_str());
    EXPECT_TRUE(v.IsFileFound());
    EXPECT_FALSE(v.IsVersionLoaded());
    int relation = -1;
    EXPECT_FALSE(v.CompareVersion("1.0.0.0", relation));
    EXPECT_EQ(relation, 0);

    cmFileVersion missing;
    missing.Load((tmp.Path() + "/missing").c_str());
    EXPECT_FALSE(missing.IsFileFound());
    EXPECT_FALSE(missing.IsDateLoaded());
    EXPECT_FALSE(missing.CompareTime(v, relation));
    EXPECT_STREQ(missing.GetPath().GetText(), (tmp.Path() + "/missing").c_str());
}

TEST_F(FileVersionTest, TimesCompareAndTheListingLineHasItsColumns)
{
    cmFileVersion a, b;
    a.Load(WithVersion("a", 1, 2, 3, 4).c_str());
    b.Load(testsupport::BuildPath("Notifier").c_str());
    int relation = 0;
    ASSERT_TRUE(a.CompareTime(a, relation));
    EXPECT_EQ(relation, CM_RELATION_SAME);
    ASSERT_TRUE(a.CompareTime(b, relation));
    EXPECT_EQ(relation, CM_RELATION_NEWER) << "the file written now is newer than the built program";
    const std::string line = a.GetListingLine().GetText();
    EXPECT_EQ(line.substr(0, 26), std::string(17, ' ') + "1.2.3.4  ");
    EXPECT_NE(line.find("      224 bytes: " + tmp.Path() + "/a"), std::string::npos) << line;
}
