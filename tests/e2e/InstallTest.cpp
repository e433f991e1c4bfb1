// `cmake --install` of this build tree into a private prefix: the programs,
// the GUI module and the autostart entry land where the installed notifier
// and the session manager look for them, and the installed notifier runs.
#include "tests/e2e/NotifierDesktopFixture.h"

#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class Installation {
public:
    // Installs into <private folder>/prefix. A build configured for the system
    // folders (prefix /usr: the entry goes to /etc) is staged below DESTDIR,
    // so the test never writes outside its private folder.
    explicit Installation(const std::string& root)
        : m_prefix(root + "/prefix"),
          m_destdir(fs::path(NOTIFIER_AUTOSTART_DIR).is_absolute() ? root + "/destdir" : ""),
          m_scratch(root)
    {
    }

    e2e::RunResult Install() const
    {
        return e2e::Run({NOTIFIER_CMAKE_COMMAND, "--install", NOTIFIER_BINARY_DIR, "--prefix", m_prefix},
                        {{"DESTDIR", m_destdir}}, m_scratch, 120000);
    }

    // Where a file the installation names by path is now.
    std::string Staged(const std::string& installedPath) const { return m_destdir + installedPath; }
    // An installed path from a folder relative to the prefix or absolute.
    std::string Installed(const std::string& dir, const std::string& name) const
    {
        const std::string base = fs::path(dir).is_absolute() ? dir : m_prefix + "/" + dir;
        return base + "/" + name;
    }
    std::string Program(const std::string& name) const { return Installed(NOTIFIER_INSTALL_BINDIR, name); }
    std::string Module() const { return Installed(NOTIFIER_MODULE_DIR, "NotifierQt.so"); }
    std::string AutostartEntry() const { return Installed(NOTIFIER_AUTOSTART_DIR, "brelvo-notifier.desktop"); }
    std::string StagedPrefix() const { return m_destdir + m_prefix; }

private:
    std::string m_prefix;
    std::string m_destdir;
    std::string m_scratch;
};

bool IsExecutable(const std::string& path)
{
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    return !ec && fs::is_regular_file(st) && (st.permissions() & fs::perms::owner_exec) != fs::perms::none;
}

// The value of a key in the [Desktop Entry] group; empty when absent.
std::string EntryValue(const std::string& text, const std::string& key)
{
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(key + "=", 0) == 0)
            return line.substr(key.size() + 1);
    return {};
}

class InstallTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_dir.Path().empty());
        const e2e::RunResult r = m_install.Install();
        ASSERT_TRUE(r.ended) << "cmake --install did not end";
        ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    }

    platform::ScopedTempDirectory m_dir{"install"};
    Installation m_install{m_dir.Path()};
};

class InstalledDialogTest : public e2e::NotifierDesktopTest {
protected:
    platform::ScopedTempDirectory m_dir{"install"};
    Installation m_install{m_dir.Path()};
};

}  // namespace

TEST_F(InstallTest, PutsTheProgramsTheModuleAndTheAutostartEntryInPlace)
{
    for (const char* program : {"Notifier", "brelvo-reg", "updcfg", "glm-milestone"})
        EXPECT_TRUE(IsExecutable(m_install.Staged(m_install.Program(program)))) << program;
    EXPECT_TRUE(fs::is_regular_file(m_install.Staged(m_install.Module())));

    const std::string entry = e2e::ReadText(m_install.Staged(m_install.AutostartEntry()));
    ASSERT_FALSE(entry.empty()) << "no autostart entry at " << m_install.Staged(m_install.AutostartEntry());
    EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u) << entry;
    EXPECT_EQ(EntryValue(entry, "Type"), "Application");
    EXPECT_EQ(EntryValue(entry, "Exec"), m_install.Program("Notifier")) << "the installed program, not the build's";
    EXPECT_EQ(EntryValue(entry, "X-GNOME-Autostart-enabled"), "true");
    EXPECT_FALSE(EntryValue(entry, "Name").empty());
    EXPECT_FALSE(EntryValue(entry, "Comment").empty());
}

TEST_F(InstallTest, InstallsNothingOfTheSampleUpdateOrTheTests)
{
    std::vector<std::string> files;
    const std::string root = m_install.StagedPrefix();
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (!e.is_directory())
            files.push_back(fs::relative(e.path(), root).string());
    for (const std::string& f : files) {
        const std::string name = fs::path(f).filename().string();
        EXPECT_NE(name, "setup.sh") << f;
        EXPECT_NE(name, "Update.cfg") << f;
        EXPECT_NE(name.rfind("test_", 0), 0u) << f;
        EXPECT_NE(name, "rescomp") << f;
    }
    EXPECT_GE(files.size(), 5u);
}

TEST_F(InstallTest, TheInstalledNotifierRunsOnAnEmptyStoreAndItsToolReadsIt)
{
    // No display and no waiting update: a first run records the task as due
    // and ends with 0, without needing its GUI module.
    const std::string scratch = m_dir.Path();
    const e2e::Environment env{{"DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}, {"BRELVO_GUI_MODULE", ""}};
    const e2e::RunResult run = e2e::Run({m_install.Staged(m_install.Program("Notifier"))}, env, scratch, 30000);
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0) << run.err;

    const e2e::RunResult query = e2e::Run(
        {m_install.Staged(m_install.Program("brelvo-reg")), "query", std::string("HKLM\\") + szBSUNotificationKey},
        env, scratch, 30000);
    ASSERT_TRUE(query.ended);
    EXPECT_EQ(query.exitCode, 0) << query.err;
    EXPECT_NE(query.out.find("    BSU    REG_DWORD    0x0\n"), std::string::npos) << query.out;
    EXPECT_NE(query.out.find("    BSU_NEXTUPDATE    REG_SZ    0.\n"), std::string::npos) << query.out;
}

TEST_F(InstalledDialogTest, TheInstalledNotifierShowsTheDialogWithTheInstalledModule)
{
    const e2e::RunResult r = m_install.Install();
    ASSERT_TRUE(r.ended && r.exitCode == 0) << r.out << r.err;
    // The build tree's module is nowhere near the installed program, so a
    // dialog on the display proves the installed module was found and loaded.
    const std::string folder = StageSampleUpdate();
    auto notifier = StartNotifier(m_install.Staged(m_install.Program("Notifier")));
    const std::string dialog = WaitForDialog(*notifier);
    ASSERT_FALSE(dialog.empty());
    Press(dialog, {"Tab", "Return"});
    EXPECT_EQ(Finish(*notifier), 0);
    EXPECT_EQ(Status(), 2u);
    EXPECT_EQ(NewUpdate(), folder);
}
