// The updcfg program, run as a child process: the files it writes, what it
// shows, and its exit status and message for bad usage and bad files.
#include "Notifier/Retail/Common/tcConfigFileData.h"
#include "platform/kernel32/ChildProcess.h"
#include "platform/linux/TempDirectory.h"
#include "tests/support/TestPaths.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

class UpdcfgTest : public ::testing::Test {
protected:
    std::string PathOf(const std::string& name) const { return m_dir.Path() + "/" + name; }

    std::string Read(const std::string& path) const
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(PathOf(name), std::ios::binary) << bytes;
    }

    // Runs updcfg with the arguments; standard error goes to a file through
    // a shell redirection (the arguments are passed to it as "$@", unquoted by nobody).
    ToolRun Updcfg(const std::vector<std::string>& args) const
    {
        std::vector<std::string> argv = {"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>\"$UPDCFG_TEST_ERR\"",
                                         testsupport::BuildPath("tools/updcfg")};
        argv.insert(argv.end(), args.begin(), args.end());
        platform::ChildProcess::Options options;
        options.stdoutFile = PathOf("stdout.txt");
        options.environment.emplace_back("UPDCFG_TEST_ERR", PathOf("stderr.txt"));
        platform::ChildProcess child;
        ToolRun r;
        if (child.Start(argv, options) != 0)
            return r;
        child.Wait(60000, r.status);
        r.out = Read(PathOf("stdout.txt"));
        r.err = Read(PathOf("stderr.txt"));
        return r;
    }

    platform::ScopedTempDirectory m_dir{"updcfg"};
};

std::string Le(unsigned n)
{
    return std::string{static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16),
                       static_cast<char>(n >> 24)};
}

bool OneLine(const std::string& s) { return !s.empty() && s.find('\n') == s.size() - 1; }

}  // namespace

TEST_F(UpdcfgTest, CreateWritesTheFortyFiveByteExample)
{
    const ToolRun r = Updcfg({"create", PathOf("x.cfg"), "--command", "setup.exe"});
    ASSERT_EQ(0, r.status) << r.err;
    const std::string expected = Le(41) + Le(2) + Le(17) + Le(9) + "setup.exe" + Le(0) + Le(4) + Le(0) + Le(4) + Le(0);
    EXPECT_EQ(expected, Read(PathOf("x.cfg")));
    EXPECT_TRUE(r.err.empty());
}

TEST_F(UpdcfgTest, CreateThenDumpShowsEverything)
{
    Write("en.rtf", "{\\rtf1 English}");
    Write("de.rtf", "{\\rtf1 \xC3\xBC}");
    ToolRun r = Updcfg({"create", PathOf("u.cfg"), "--command", "setup.exe /s", "--product", "Glimmary Pro=5.1",
                    "--product", "Lite=2.0=beta", "--description", "1033=" + PathOf("en.rtf"), "--description",
                    "1031=" + PathOf("de.rtf"), "--html", "1033=details/en.htm"});
    ASSERT_EQ(0, r.status) << r.err;

    tcConfigFileData d;
    ASSERT_EQ(S_OK, d.ReadFile(PathOf("u.cfg").c_str()));
    cmBuffer desc;
    ASSERT_EQ(S_OK, d.GetDesc(1033, desc));
    EXPECT_EQ("{\\rtf1 English}", std::string(reinterpret_cast<const char*>(desc.GetData()), desc.GetSize()));

    r = Updcfg({"dump", PathOf("u.cfg")});
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ("packet version: 2\n"
              "command: setup.exe /s\n"
              "products: 2\n"
              "  Glimmary Pro = 5.1\n"
              "  Lite = 2.0=beta\n"
              "descriptions: 2\n"
              "  1031: 10 bytes\n"
              "  1033: 15 bytes\n"
              "html pages: 1\n"
              "  1033: details/en.htm\n",
              r.out);

    r = Updcfg({"dump", PathOf("u.cfg"), "--json"});
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_NE(std::string::npos, r.out.find("\"packetVersion\": 2"));
    EXPECT_NE(std::string::npos, r.out.find("{\"name\": \"Glimmary Pro\", \"version\": \"5.1\"}"));
    EXPECT_NE(std::string::npos, r.out.find("{\"language\": 1031, \"size\": 10, \"text\": \"{\\\\rtf1 \xC3\xBC}\"}"));
    EXPECT_NE(std::string::npos, r.out.find("{\"language\": 1033, \"path\": \"details/en.htm\"}"));
}

TEST_F(UpdcfgTest, VersionOneFilesHaveNoHtmlBlock)
{
    ToolRun r = Updcfg({"create", PathOf("v1.cfg"), "--command", "a.exe", "--packet-version", "1"});
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ(Le(29) + Le(1) + Le(13) + Le(5) + "a.exe" + Le(0) + Le(4) + Le(0), Read(PathOf("v1.cfg")));
    r = Updcfg({"dump", PathOf("v1.cfg")});
    ASSERT_EQ(0, r.status);
    EXPECT_EQ(0u, r.out.find("packet version: 1\n"));

    r = Updcfg({"create", PathOf("v1b.cfg"), "--command", "a", "--packet-version", "1", "--html", "1033=x.htm"});
    EXPECT_EQ(2, r.status);
    EXPECT_TRUE(OneLine(r.err)) << r.err;
}

TEST_F(UpdcfgTest, BadUsageIsStatusTwo)
{
    Write("en.rtf", "x");
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"create"},
        {"create", PathOf("a.cfg")},
        {"create", PathOf("a.cfg"), "--command"},
        {"create", PathOf("a.cfg"), "--command", "x", "--command", "y"},
        {"create", PathOf("a.cfg"), "--command", "x", "--product", "noequals"},
        {"create", PathOf("a.cfg"), "--command", "x", "--product", "=1.0"},
        {"create", PathOf("a.cfg"), "--command", "x", "--product", "P=1", "--product", "P=2"},
        {"create", PathOf("a.cfg"), "--command", "x", "--description", "english=" + PathOf("en.rtf")},
        {"create", PathOf("a.cfg"), "--command", "x", "--description", "4294967296=" + PathOf("en.rtf")},
        {"create", PathOf("a.cfg"), "--command", "x", "--html", "1033="},
        {"create", PathOf("a.cfg"), "--command", "x", "--html", "1033=a", "--html", "1033=b"},
        {"create", PathOf("a.cfg"), "--command", "x", "--packet-version", "3"},
        {"create", PathOf("a.cfg"), PathOf("b.cfg"), "--command", "x"},
        {"create", PathOf("a.cfg"), "--command", "x", "--verbose"},
        {"dump"},
        {"dump", PathOf("a.cfg"), "--xml"},
    };
    for (const auto& args : cases) {
        const ToolRun r = Updcfg(args);
        std::string joined;
        for (const std::string& a : args)
            joined += a + " ";
        EXPECT_EQ(2, r.status) << joined;
        EXPECT_TRUE(OneLine(r.err)) << joined << ": " << r.err;
        EXPECT_EQ(0u, r.err.find("updcfg: ")) << joined;
    }
    EXPECT_FALSE(std::ifstream(PathOf("a.cfg")).good());  // nothing was written
}

TEST_F(UpdcfgTest, UnreadableFilesAreStatusOne)
{
    ToolRun r = Updcfg({"dump", PathOf("missing.cfg")});
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(OneLine(r.err));
    EXPECT_NE(std::string::npos, r.err.find("cannot be read")) << r.err;

    r = Updcfg({"create", PathOf("a.cfg"), "--command", "x", "--description", "1033=" + PathOf("none.rtf")});
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(OneLine(r.err));

    r = Updcfg({"create", PathOf("no/folder/a.cfg"), "--command", "x"});
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(OneLine(r.err));
}

TEST_F(UpdcfgTest, DumpSaysWhereParsingStopped)
{
    // The second product's version is cut off inside a well-framed file.
    const std::string products = Le(9) + "setup.exe" + Le(2) + Le(1) + "A" + Le(1) + "1" + Le(1) + "B" + Le(50) + "2";
    const std::string packet = Le(2) + Le(static_cast<unsigned>(products.size())) + products + Le(4) + Le(0);
    Write("bad.cfg", Le(static_cast<unsigned>(packet.size())) + packet);
    ToolRun r = Updcfg({"dump", PathOf("bad.cfg")});
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(OneLine(r.err)) << r.err;
    // byte 4 (file length) + 40 into the packet
    EXPECT_NE(std::string::npos, r.err.find("stopped at byte 44 reading the version of product 2")) << r.err;
    EXPECT_NE(std::string::npos, r.err.find("command 'setup.exe', 1 product")) << r.err;
    EXPECT_TRUE(r.out.empty());

    Write("v3.cfg", Le(4) + Le(3));
    r = Updcfg({"dump", PathOf("v3.cfg")});
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.err.find("byte 4 reading the packet version 3")) << r.err;

    Write("short.cfg", Le(1000) + Le(2));
    r = Updcfg({"dump", PathOf("short.cfg")});
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.err.find("byte 4 reading the packet of 1000 bytes")) << r.err;
}
