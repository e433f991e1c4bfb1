// The resource compiler refuses wrong input with exit status 1 (and writes no
// output), bad usage with 2, and compiles good input.
#include "platform/kernel32/ChildProcess.h"
#include "platform/linux/TempDirectory.h"

#include "tests/support/TestPaths.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class Rescomp : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& content)
    {
        const std::string path = m_dir.Path() + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    int Run(std::vector<std::string> args)
    {
        args.insert(args.begin(), testsupport::BuildPath("tools/rescomp/rescomp"));
        platform::ChildProcess child;
        if (child.Start(args) != 0)
            return -1;
        int code = -1;
        return child.Wait(60000, code) ? code : -1;
    }

    // Exit status of compiling one string table file.
    int CompileTable(const std::string& name, const std::string& content)
    {
        return Run({"--output", Output(), Write(name, content)});
    }

    int CompileManifest(const std::string& content)
    {
        return Run({"--output", Output(), "--manifest", Write("manifest.txt", content)});
    }

    std::string Output() const { return m_dir.Path() + "/out.cpp"; }
    bool OutputExists() const { return std::filesystem::exists(Output()); }

    platform::ScopedTempDirectory m_dir{"rescomp-test"};
};

}  // namespace

TEST_F(Rescomp, CompilesGoodInputAndNamesItsInputsInTheDepfile)
{
    Write("pic.jpg", "JPEGDATA");
    const std::string manifest = Write("manifest.txt", "# pictures\nfile JPG 130 1031 pic.jpg\n");
    const std::string table = Write("1031.txt", "5 \"f\\u00fcnf\"\n  \"!\"\n\n# comment\n6 \"sechs\" # trailing\n");
    const std::string dep = m_dir.Path() + "/out.d";
    ASSERT_EQ(Run({"--output", Output(), "--depfile", dep, "--manifest", manifest, table}), 0);
    std::ifstream src(Output());
    const std::string code((std::istreambuf_iterator<char>(src)), std::istreambuf_iterator<char>());
    EXPECT_NE(code.find("platform::RegisterProgramResources"), std::string::npos);
    EXPECT_NE(code.find("{0, \"JPG\"}, {130, nullptr}, 1031"), std::string::npos);
    std::ifstream d(dep);
    const std::string deps((std::istreambuf_iterator<char>(d)), std::istreambuf_iterator<char>());
    EXPECT_NE(deps.find("pic.jpg"), std::string::npos);
    EXPECT_NE(deps.find("1031.txt"), std::string::npos);
    EXPECT_NE(deps.find("manifest.txt"), std::string::npos);
}

TEST_F(Rescomp, RefusesMalformedStringTables)
{
    EXPECT_EQ(CompileTable("1033.txt", "5 \"a\"\n5 \"b\"\n"), 1);           // id twice
    EXPECT_EQ(CompileTable("1033.txt", "5 \"a\\q\"\n"), 1);                 // unknown escape
    EXPECT_EQ(CompileTable("1033.txt", "5 \"open\n"), 1);                   // not closed
    EXPECT_EQ(CompileTable("1033.txt", "5 \"\xC3\"\n"), 1);                 // not UTF-8
    EXPECT_EQ(CompileTable("1033.txt", "5 \"\"\n"), 1);                     // empty text
    EXPECT_EQ(CompileTable("1033.txt", "65536 \"big\"\n"), 1);              // id too large
    EXPECT_EQ(CompileTable("1033.txt", "5\"x\"\n"), 1);                     // no blank after the id
    EXPECT_EQ(CompileTable("1033.txt", "5 x\n"), 1);                        // not quoted
    EXPECT_EQ(CompileTable("1033.txt", "\"orphan\"\n"), 1);                 // continuation of nothing
    EXPECT_EQ(CompileTable("1033.txt", "5 \"a\"\n\n\"late\"\n"), 1);        // continuation after a gap
    EXPECT_EQ(CompileTable("1033.txt", "5 \"\\u12\"\n"), 1);                // short \u
    EXPECT_EQ(CompileTable("1033.txt", "5 \"\\uD800\"\n"), 1);              // a surrogate
    EXPECT_EQ(CompileTable("english.txt", "5 \"a\"\n"), 1);                 // name is no language id
    EXPECT_FALSE(OutputExists());
}

TEST_F(Rescomp, RefusesMalformedManifests)
{
    Write("a.bin", "x");
    Write("fake.bmp", "not a bitmap at all");
    EXPECT_EQ(CompileManifest("image JPG 1 0 a.bin\n"), 1);         // unknown kind
    EXPECT_EQ(CompileManifest("file JPG 1 0\n"), 1);                // no path
    EXPECT_EQ(CompileManifest("file JPG 1 0 missing.bin\n"), 1);    // no such file
    EXPECT_EQ(CompileManifest("file RT_NOPE 1 0 a.bin\n"), 1);      // unknown RT_ type
    EXPECT_EQ(CompileManifest("file RT_STRING 1 0 a.bin\n"), 1);    // string tables come from strings/
    EXPECT_EQ(CompileManifest("file JPG 1 70000 a.bin\n"), 1);      // language too large
    EXPECT_EQ(CompileManifest("file JPG b-c 0 a.bin\n"), 1);        // bad name
    EXPECT_EQ(CompileManifest("bitmap 1 0 fake.bmp\n"), 1);         // not a .bmp
    EXPECT_EQ(CompileManifest("file JPG 1 0 a.bin\nfile jpg 1 0 a.bin\n"), 1);  // same resource twice
    EXPECT_FALSE(OutputExists());
}

TEST_F(Rescomp, BadUsage)
{
    EXPECT_EQ(Run({}), 2);
    EXPECT_EQ(Run({"--output"}), 2);
    EXPECT_EQ(Run({"--output", Output(), "--frobnicate"}), 2);
}

TEST_F(Rescomp, RefusesTwoTablesForOneLanguage)
{
    std::filesystem::create_directories(m_dir.Path() + "/other");
    EXPECT_EQ(Run({"--output", Output(), Write("1033.txt", "1 \"a\""), Write("other/1033.txt", "2 \"b\"")}), 1);
    EXPECT_FALSE(OutputExists());
}
