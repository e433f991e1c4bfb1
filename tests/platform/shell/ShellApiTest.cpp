// FindExecutableA over a private XDG data and configuration tree, through
// GIO: a page whose default application's Exec line starts with "env ..."
// opens in that application (the program found is the opener, which starts
// it as the desktop would); a page of a kind nothing opens has no program.
//
// GIO reads the associations once per process, so each test writes them
// before its first question (ctest runs every test in a process of its own).
#include "platform/kernel32/ChildProcess.h"
#include "platform/kernel32/Environment.h"
#include "platform/linux/TempDirectory.h"
#include "platform/shell/ShellApi.h"
#include "tests/support/Eventually.h"
#include "tests/support/TestPaths.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class ShellApiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string root = m_dir.Path();
        SetEnvironmentVariableA("XDG_DATA_HOME", (root + "/home-data").c_str());
        SetEnvironmentVariableA("XDG_DATA_DIRS", (root + "/sys-data").c_str());
        SetEnvironmentVariableA("XDG_CONFIG_HOME", (root + "/home-config").c_str());
        SetEnvironmentVariableA("XDG_CONFIG_DIRS", (root + "/sys-config").c_str());
        SetEnvironmentVariableA("XDG_CURRENT_DESKTOP", nullptr);
        // No session bus: GIO's launch notice goes nowhere.
        SetEnvironmentVariableA("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + root + "/no-bus").c_str());
        Write("sys-data/mime/globs2", "# comment\n50:text/html:*.htm\n50:text/html:*.html\n");
        Write("pages/details.htm", "<html></html>");
        Write("pages/notes.xyz", "?");
    }
    std::string Root() const { return m_dir.Path(); }
    void Write(const std::string& relative, const std::string& text) const
    {
        const fs::path p = Root() + "/" + relative;
        fs::create_directories(p.parent_path());
        std::ofstream(p) << text;
    }
    std::string Read(const std::string& relative) const
    {
        std::ifstream in(Root() + "/" + relative);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static int Find(const std::string& file, const std::string& dir, std::string& program)
    {
        char buf[260] = "x";
        const auto r = reinterpret_cast<std::uintptr_t>(FindExecutableA(file.c_str(), dir.c_str(), buf));
        program = buf;
        return static_cast<int>(r);
    }
    // Runs the program found with the page, in the page's folder, as the
    // update dialog does; its exit code.
    int Open(const std::string& program, const std::string& page)
    {
        platform::ChildProcess child;
        platform::ChildProcess::Options o;
        o.workingDirectory = Root() + "/pages";
        o.stderrFile = Root() + "/opener.err";
        if (child.Start({program, page}, o) != 0)
            return -1;
        int code = -1;
        return child.Wait(20000, code) ? code : -2;
    }

private:
    platform::ScopedTempDirectory m_dir{"shellapi"};
};

}  // namespace

TEST_F(ShellApiTest, ThePageOpensInTheDefaultApplicationWhateverItsExecLineRuns)
{
    // The viewer notes its environment, working folder and arguments; the
    // note appears whole (written beside, then renamed).
    const std::string viewer = Root() + "/bin/page viewer";
    const std::string note = Root() + "/viewer.note";
    Write("bin/page viewer",
          "#!/bin/sh\necho \"FOO=$FOO|$PWD|$*\" > '" + note + ".new' && mv '" + note + ".new' '" + note + "'\n");
    fs::permissions(viewer, fs::perms::owner_all);
    Write("sys-data/applications/viewer.desktop", "[Desktop Entry]\nType=Application\nName=Viewer\n"
                                                  "Exec=env FOO=1 \"" +
                                                      viewer + "\" %f\nMimeType=text/html;\n");
    Write("sys-data/applications/other.desktop", "[Desktop Entry]\nType=Application\nName=Other\n"
                                                 "Exec=false %f\nMimeType=text/html;\n");
    Write("home-config/mimeapps.list", "[Default Applications]\ntext/html=viewer.desktop\n");

    std::string program;
    EXPECT_GT(Find("details.htm", Root() + "/pages", program), 32);
    EXPECT_EQ(fs::weakly_canonical(program), fs::weakly_canonical(testsupport::BuildPath("brelvo-open")));
    ASSERT_EQ(Open(program, "details.htm"), 0) << Read("opener.err");
    // The viewer runs on its own; its note comes when it has run.
    ASSERT_TRUE(testsupport::Eventually([&] { return !Read("viewer.note").empty(); })) << "the viewer did not run";
    const std::string pages = Root() + "/pages";
    EXPECT_EQ(Read("viewer.note"), "FOO=1|" + pages + "|" + pages + "/details.htm\n");
}

TEST_F(ShellApiTest, FailuresSayWhatIsMissing)
{
    std::string program;
    EXPECT_EQ(Find("details.htm", Root() + "/pages", program), SE_ERR_NOASSOC) << "no application for the type";
    EXPECT_EQ(program, "");
    EXPECT_EQ(Find("notes.xyz", Root() + "/pages", program), SE_ERR_NOASSOC) << "a type nothing names";
    EXPECT_EQ(Find("missing.htm", Root() + "/pages", program), SE_ERR_FNF);
    EXPECT_EQ(Find("details.htm", Root() + "/no-such-folder", program), SE_ERR_PNF);
    EXPECT_EQ(Open(testsupport::BuildPath("brelvo-open"), "details.htm"), 1);
    EXPECT_NE(Read("opener.err").find("no application opens"), std::string::npos) << Read("opener.err");
}

TEST_F(ShellApiTest, ShortPathsAreTheLongOnesWhereTheyExist)
{
    char buf[260];
    const std::string page = Root() + "/pages/details.htm";
    EXPECT_EQ(GetShortPathNameA(page.c_str(), buf, sizeof buf), page.size());
    EXPECT_EQ(std::string(buf), page);
    EXPECT_EQ(GetShortPathNameA(page.c_str(), buf, 5), page.size() + 1) << "the size needed";
    EXPECT_EQ(GetShortPathNameA((Root() + "/none").c_str(), buf, sizeof buf), 0u);
}
