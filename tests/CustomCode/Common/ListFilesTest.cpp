// Listing a folder's files with real folders: dot names, masks, recursion
// only into matching sub-folders, links never entered, and the early stop.
#include "CustomCode/Common/cmListFiles.h"
#include "platform/linux/TempDirectory.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class ListFilesTest : public ::testing::Test {
protected:
    platform::ScopedTempDirectory tmp{"list"};
    std::string root = tmp.Path();

    void Touch(const std::string& relative)
    {
        fs::create_directories(fs::path(root + "/" + relative).parent_path());
        std::ofstream(root + "/" + relative) << relative;
    }
    static std::vector<std::string> Names(const cmListFiles& l)
    {
        std::vector<std::string> names;
        for (int i = 0; i < l.GetCount(); ++i)
            names.push_back(std::string(l.GetAt(i).szFolder.GetText()) + l.GetAt(i).findData.cFileName);
        std::sort(names.begin(), names.end());
        return names;
    }
};

}  // namespace

TEST_F(ListFilesTest, DotNamesDoNotCountAndTheSeparatorDoesNotMatter)
{
    Touch(".hidden");
    cmListFiles onlyHidden;
    EXPECT_EQ(onlyHidden.Collect(root.c_str(), "*.*", cmListRecurse::No), 0);

    Touch("setup.sh");
    Touch("Update.cfg");
    fs::create_directories(root + "/sub");
    cmListFiles without, with;
    EXPECT_EQ(without.Collect(root.c_str(), "*.*", cmListRecurse::No), 2);
    EXPECT_EQ(with.Collect((root + "/").c_str(), "*.*", cmListRecurse::No), 2);
    EXPECT_EQ(Names(without), Names(with));
    EXPECT_EQ(Names(with), (std::vector<std::string>{root + "/Update.cfg", root + "/setup.sh"}));
    for (int i = 0; i < with.GetCount(); ++i)
        EXPECT_EQ(with.GetAt(i).findData.nFileSizeLow, std::string(with.GetAt(i).findData.cFileName).size());
}

TEST_F(ListFilesTest, RecursionEntersOnlyMatchingFoldersAndNeverLinks)
{
    Touch("a.txt");
    Touch("docs.d/b.txt");
    Touch("docs.d/deeper.d/c.txt");
    Touch("plain/d.txt");
    Touch(".git.d/e.txt");
    platform::ScopedTempDirectory outside("outside");
    std::ofstream(outside.Path() + "/f.txt") << "f";
    fs::create_directory_symlink(outside.Path(), root + "/link.d");

    cmListFiles l;
    l.Collect(root.c_str(), "*.d", cmListRecurse::Yes);
    EXPECT_EQ(Names(l), std::vector<std::string>{root + "/link.d"}) << "only the link itself ends in .d";
    cmListFiles txt;
    txt.Collect(root.c_str(), "*.txt", cmListRecurse::Yes);
    EXPECT_EQ(Names(txt), std::vector<std::string>{root + "/a.txt"}) << "folders not matching *.txt stay closed";

    cmListFiles all;
    all.Collect(root.c_str(), "*", cmListRecurse::Yes);
    const std::vector<std::string> names = Names(all);
    EXPECT_EQ(names, (std::vector<std::string>{root + "/a.txt", root + "/docs.d/b.txt", root + "/docs.d/deeper.d/c.txt",
                                               root + "/link.d", root + "/plain/d.txt"}))
        << "the link is listed as a file and never entered";
}

TEST_F(ListFilesTest, AnEarlyStopGivesTheSameAnswerWithoutListingEverything)
{
    for (int i = 0; i < 50; ++i)
        Touch("f" + std::to_string(i));
    cmListFiles one;
    EXPECT_EQ(one.Collect(root.c_str(), "*.*", cmListRecurse::No, 1), 1);
    cmListFiles none;
    EXPECT_EQ(none.Collect((root + "/missing").c_str(), "*.*", cmListRecurse::No, 1), 0);
    cmListFiles counted;
    EXPECT_EQ(counted.Collect(root.c_str(), "f1?", cmListRecurse::No), 10);
    EXPECT_EQ(counted.Collect(root.c_str(), "f4*", cmListRecurse::No), 21) << "the count accumulates";
}
