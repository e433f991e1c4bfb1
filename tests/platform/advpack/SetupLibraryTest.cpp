// The setup library reached by name, and its folder-tree deletion.
#include "platform/advpack/SetupLibrary.h"
#include "platform/kernel32/DynamicLibrary.h"
#include "platform/kernel32/LastError.h"
#include "platform/linux/TempDirectory.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace fs = std::filesystem;

TEST(DynamicLibrary, TheSetupLibraryIsFoundByNameAndItsEntryByExactName)
{
    HMODULE h = LoadLibraryA("ADVPACK.DLL");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(LoadLibraryA("advpack"), h);
    EXPECT_EQ(reinterpret_cast<DELNODE>(GetProcAddress(h, "DelNode")), &DelNode);
    EXPECT_EQ(GetProcAddress(h, "delnode"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    EXPECT_EQ(GetProcAddress(h, MAKEINTRESOURCEA(1)), nullptr);
    EXPECT_TRUE(FreeLibrary(h));

    EXPECT_EQ(LoadLibraryA("kernel32.dll"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
    int notALibrary = 0;
    EXPECT_EQ(GetProcAddress(reinterpret_cast<HMODULE>(&notALibrary), "DelNode"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(FreeLibrary(nullptr));
}

TEST(DelNode, RemovesFilesAndTreesWithoutFollowingLinks)
{
    platform::ScopedTempDirectory tmp("delnode");
    const std::string root = tmp.Path();

    const std::string file = root + "/single.txt";
    std::ofstream(file) << "x";
    EXPECT_EQ(DelNode(file.c_str(), ADN_DEFAULT), S_OK);
    EXPECT_FALSE(fs::exists(file));

    const std::string outside = root + "/outside";
    fs::create_directories(outside + "/inner");
    std::ofstream(outside + "/inner/keep.txt") << "keep";

    const std::string tree = root + "/tree";
    for (int i = 0; i < 20; ++i) {
        const std::string d = tree + "/d" + std::to_string(i % 4) + "/e" + std::to_string(i);
        fs::create_directories(d);
        std::ofstream(d + "/f") << i;
    }
    fs::create_directory_symlink(outside, tree + "/d0/to-outside");
    fs::create_directory_symlink(outside + "/inner", tree + "/d1/e1/to-inner");
    fs::create_symlink(tree + "/nowhere", tree + "/dangling");
    EXPECT_EQ(DelNode(tree.c_str(), ADN_DEFAULT), S_OK);
    EXPECT_FALSE(fs::exists(fs::symlink_status(tree)));
    EXPECT_TRUE(fs::exists(outside + "/inner/keep.txt"));
}

TEST(DelNode, RefusesWhatMustNeverBeDeletedAndReportsWhatIsNotThere)
{
    for (const char* p : {"", "relative", "./x", "/", "///", "/usr/..", "/./"})
        EXPECT_EQ(DelNode(p, ADN_DEFAULT), E_INVALIDARG) << '"' << p << '"';
    EXPECT_EQ(DelNode(nullptr, ADN_DEFAULT), E_INVALIDARG);

    platform::ScopedTempDirectory tmp("delnode");
    const std::string d = tmp.Path() + "/d";
    fs::create_directories(d);
    EXPECT_EQ(DelNode(d.c_str(), 4), E_INVALIDARG) << "only the default flags are known";
    EXPECT_TRUE(fs::exists(d));

    EXPECT_EQ(DelNode((tmp.Path() + "/absent").c_str(), ADN_DEFAULT), E_FAIL);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}
