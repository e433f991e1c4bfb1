// FindExecutableA over a private XDG data and configuration tree: the MIME
// type from the name, the default application from mimeapps.list (the user's
// before the system's) or the desktop database, the program from the entry.
#include "platform/kernel32/Environment.h"
#include "platform/linux/TempDirectory.h"
#include "platform/shell/ShellApi.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
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
        SetEnvironmentVariableA("PATH", (root + "/bin").c_str());
        Write("sys-data/mime/globs2", "# comment\n50:text/html:*.htm\n50:text/html:*.html\n10:text/plain:*.txt\n");
        Program("bin/viewer");
        Program("bin/browser");
        Write("sys-data/applications/viewer.desktop", "[Desktop Entry]\nType=Application\nExec=viewer %f\n");
        Write("sys-data/applications/browser.desktop", "[Desktop Entry]\nExec=\"" + root + "/bin/browser\" %u\n");
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
    void Program(const std::string& relative) const
    {
        Write(relative, "#!/bin/sh\n");
        fs::permissions(Root() + "/" + relative, fs::perms::owner_all);
    }
    static int Find(const std::string& file, const std::string& dir, std::string& program)
    {
        char buf[260] = "x";
        const auto r = reinterpret_cast<std::uintptr_t>(FindExecutableA(file.c_str(), dir.c_str(), buf));
        program = buf;
        return static_cast<int>(r);
    }

private:
    platform::ScopedTempDirectory m_dir{"shellapi"};
};

}  // namespace

TEST_F(ShellApiTest, TheUsersDefaultWinsOverTheSystemsAndTheDesktopDatabase)
{
    std::string program;
    // Only the desktop database knows the type.
    Write("sys-data/applications/mimeinfo.cache", "[MIME Cache]\ntext/html=viewer.desktop;\n");
    EXPECT_GT(Find("details.htm", Root() + "/pages", program), 32);
    EXPECT_EQ(program, Root() + "/bin/viewer");
    // A system default comes before the database ...
    Write("sys-config/mimeapps.list", "[Default Applications]\ntext/html=browser.desktop\n");
    EXPECT_GT(Find("details.htm", Root() + "/pages", program), 32);
    EXPECT_EQ(program, Root() + "/bin/browser");
    // ... and the user's default before the system's. Extensions match
    // without regard to case.
    Write("home-config/mimeapps.list", "[Added Associations]\ntext/html=browser.desktop\n"
                                       "[Default Applications]\ntext/html=viewer.desktop;browser.desktop;\n");
    Write("pages/NOTES.HTM", "<html></html>");
    EXPECT_GT(Find("NOTES.HTM", Root() + "/pages", program), 32);
    EXPECT_EQ(program, Root() + "/bin/viewer");
    EXPECT_EQ(Find("notes.htm", Root() + "/pages", program), SE_ERR_FNF) << "the file itself is looked up as named";
}

TEST_F(ShellApiTest, FailuresSayWhatIsMissing)
{
    std::string program;
    EXPECT_EQ(Find("details.htm", Root() + "/pages", program), SE_ERR_NOASSOC) << "no default application";
    EXPECT_EQ(program, "");
    EXPECT_EQ(Find("missing.htm", Root() + "/pages", program), SE_ERR_FNF);
    EXPECT_EQ(Find("details.htm", Root() + "/no-such-folder", program), SE_ERR_PNF);
    EXPECT_EQ(Find("notes.xyz", Root() + "/pages", program), SE_ERR_NOASSOC) << "no MIME type";
    // An entry whose program is not there does not count.
    Write("sys-config/mimeapps.list", "[Default Applications]\ntext/html=gone.desktop;broken.desktop;viewer.desktop\n");
    Write("sys-data/applications/broken.desktop", "[Desktop Entry]\nExec=not-installed %f\n");
    EXPECT_GT(Find("details.htm", Root() + "/pages", program), 32);
    EXPECT_EQ(program, Root() + "/bin/viewer");
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
