// The installed package on a multi-user desktop: /usr/bin/Notifier run by
// desktop users (a member of the group brelvo, a user outside it) on a
// virtual X server, against the package's store /var/lib/brelvo/registry.sqlite
// and update folders under /var/lib/brelvo/updates/ that root staged, as the
// download component does. The test itself plays root: it stages updates,
// reads and writes the store, and reports for installers that elevated
// themselves.
//
// Run by tests/package/package-test.sh with the package installed, as root;
// the users are named by PACKAGE_TEST_MEMBER and PACKAGE_TEST_OUTSIDER.
#include "CustomCode/Common/cmRegistryKey.h"
#include "Notifier/Retail/Common/tcConfigFileData.h"
#include "platform/advapi32/Registry.h"
#include "platform/advapi32/RegistryStore.h"
#include "platform/kernel32/ChildProcess.h"
#include "platform/kernel32/Environment.h"
#include "platform/kernel32/WinError.h"
#include "tests/e2e/DesktopSession.h"
#include "tests/support/TestPaths.h"
#include "update/BSURegistryLayout.h"
#include "update/CNotificationData.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <gtest/gtest.h>
#include <memory>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr char kStore[] = "/var/lib/brelvo/registry.sqlite";
constexpr char kUpdates[] = "/var/lib/brelvo/updates";
constexpr char kCaption[] = "Brelvo Glimmary software Update";
constexpr int kDialogTimeoutMs = 30000;
constexpr int kRunTimeoutMs = 60000;

struct User {
    std::string name;
    uid_t uid = 0;
    gid_t gid = 0;
};

User LookUp(const std::string& name)
{
    User u{name};
    if (const passwd* pw = ::getpwnam(name.c_str())) {
        u.uid = pw->pw_uid;
        u.gid = pw->pw_gid;
    }
    return u;
}

gid_t GroupId(const char* name)
{
    const group* g = ::getgrnam(name);
    return g != nullptr ? g->gr_gid : static_cast<gid_t>(-1);
}

std::string FileText(const std::string& path)
{
    return e2e::ReadText(path);
}

// Every key and value below a key, one line each, in the store's order.
std::string Dump(HKEY root, const std::string& path)
{
    HKEY h = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return "(no key " + path + ")\n";
    std::string out = "[" + path + "]\n";
    char name[256];
    BYTE data[4096];
    for (DWORD i = 0;; ++i) {
        DWORD cch = sizeof name, cb = sizeof data, type = 0;
        if (RegEnumValueA(h, i, name, &cch, nullptr, &type, data, &cb) != ERROR_SUCCESS)
            break;
        out += std::string(name) + " " + std::to_string(type) + " " +
               std::string(reinterpret_cast<const char*>(data), cb) + "\n";
    }
    std::vector<std::string> subKeys;
    for (DWORD i = 0; RegEnumKeyA(h, i, name, sizeof name) == ERROR_SUCCESS; ++i)
        subKeys.emplace_back(name);
    RegCloseKey(h);
    for (const std::string& sub : subKeys)
        out += Dump(root, path + "\\" + sub);
    return out;
}

class PackageDesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "run by tests/package/package-test.sh as root";
        m_member = LookUp(platform::GetEnv("PACKAGE_TEST_MEMBER"));
        m_outsider = LookUp(platform::GetEnv("PACKAGE_TEST_OUTSIDER"));
        ASSERT_NE(m_member.uid, 0u) << "PACKAGE_TEST_MEMBER names no user";
        ASSERT_NE(m_outsider.uid, 0u) << "PACKAGE_TEST_OUTSIDER names no user";
        m_group = GroupId("brelvo");
        ASSERT_NE(m_group, static_cast<gid_t>(-1)) << "the package made no group brelvo";
        ASSERT_TRUE(fs::exists(kStore)) << "the package made no store";
        // This process is root: the updater's components as they write the
        // machine's store.
        SetEnvironmentVariableA("BRELVO_REGISTRY", kStore);

        // Folders of the users' own (homes, runtime folders) below this test's
        // temporary folder, which they must be able to reach.
        m_scratch = platform::GetEnv("TMPDIR") + "/package";
        fs::create_directories(m_scratch);
        const fs::path top = fs::path(platform::GetEnv("TMPDIR")).parent_path().parent_path();
        for (fs::path p = m_scratch; p != top && p.has_relative_path(); p = p.parent_path())
            fs::permissions(p, fs::perms::others_exec, fs::perm_options::add);
        for (const User* u : {&m_member, &m_outsider})
            for (const char* d : {"home", "runtime"})
                ASSERT_NO_FATAL_FAILURE(MakePrivateFolder(UserPath(*u, d), *u));

        m_display = std::make_unique<e2e::VirtualDisplay>(m_scratch);
        ASSERT_TRUE(m_display->Ready()) << m_display->Failure();
        m_keyboard = std::make_unique<e2e::Keyboard>(m_display->Name(), m_scratch);

        // The notifier's traces go to each user's log file, for a failure's message.
        for (const char* subsystem : {"BSU_NOTIFIER", "NOTIFIER_BSU_DATA", "NOTIFIER_ARBITER", "NOTIFIER_UTILITY"})
            ASSERT_EQ(Key("Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\AppLogLevels")
                          .SetDword(subsystem, 0x2000000F),
                      ERROR_SUCCESS);
        ASSERT_EQ(Key(szBSUNotifierKey).SetString(szBSULanguageValue, cmString("1033")), ERROR_SUCCESS);
        // Each test starts due, with no update waiting and none to purge
        // (an earlier test's update folder is gone with that test).
        ASSERT_EQ(Key(szBSUNotificationKey).SetString(szBSULocationLastUpdateValue, cmString("")), ERROR_SUCCESS);
        ASSERT_EQ(Key(szBSUUpdaterKey).SetString(szBSUNewUpdateValue, cmString("")), ERROR_SUCCESS);
        ASSERT_EQ(Key(szBSUNotificationKey).SetDword(szBSUStatusValue, 0), ERROR_SUCCESS);
        ASSERT_EQ(Key(szBSUNotificationKey).SetString(szBSUNextUpdateValue, cmString("45000.5")), ERROR_SUCCESS);
    }

    void TearDown() override
    {
        for (const std::string& folder : m_staged) {
            std::error_code ec;
            fs::remove_all(folder, ec);
        }
    }

    std::string UserPath(const User& u, const std::string& what) const { return m_scratch + "/" + u.name + "-" + what; }

    static void MakePrivateFolder(const std::string& path, const User& u)
    {
        fs::create_directories(path);
        ASSERT_EQ(::chown(path.c_str(), u.uid, u.gid), 0) << path;
        ASSERT_EQ(::chmod(path.c_str(), 0700), 0) << path;
    }

    // The sample update copied to /var/lib/brelvo/updates/<name> as the
    // download component leaves an update there: group brelvo (the folder's
    // set-group-id bit gives it), group-writable, so that a member's notifier
    // can delete it. Named as the waiting update.
    std::string StageUpdate(const std::string& name)
    {
        const std::string folder = std::string(kUpdates) + "/" + name;
        std::error_code ec;
        fs::remove_all(folder, ec);
        fs::copy(testsupport::BuildPath("sample-update"), folder, fs::copy_options::recursive, ec);
        EXPECT_FALSE(ec) << "cannot stage the sample update: " << ec.message();
        m_staged.push_back(folder);
        for (const auto& e : fs::recursive_directory_iterator(folder))
            fs::permissions(e.path(), fs::perms::group_write, fs::perm_options::add);
        fs::permissions(folder, fs::perms::group_write, fs::perm_options::add);
        struct stat st {};
        EXPECT_EQ(::stat(folder.c_str(), &st), 0);
        EXPECT_EQ(st.st_gid, m_group) << "the updates folder gives its group";
        EXPECT_EQ(Key(szBSUUpdaterKey).SetString(szBSUNewUpdateValue, cmString(folder.c_str())), ERROR_SUCCESS);
        return folder;
    }

    static void SetInstallerCommand(const std::string& folder, const std::string& command)
    {
        tcConfigFileData data;
        ASSERT_EQ(data.ReadFile((folder + "/Update.cfg").c_str()), S_OK);
        data.SetCommand(cmString(command.c_str()));
        ASSERT_EQ(data.WriteFile((folder + "/Update.cfg").c_str()), S_OK);
    }

    // /usr/bin/Notifier as the user logs in: the user's ids and groups, a
    // home and runtime folder of the user's, the virtual display, no
    // session bus; the store is the machine's, as the program finds it.
    std::unique_ptr<platform::ChildProcess> StartNotifier(const User& u)
    {
        ++m_runs;
        std::vector<std::string> argv = {"setpriv",
                                         "--reuid=" + std::to_string(u.uid),
                                         "--regid=" + std::to_string(u.gid),
                                         "--init-groups",
                                         "env",
                                         "-i",
                                         "PATH=/usr/bin:/bin",
                                         "HOME=" + UserPath(u, "home"),
                                         "USER=" + u.name,
                                         "XDG_RUNTIME_DIR=" + UserPath(u, "runtime"),
                                         "DISPLAY=" + m_display->Name(),
                                         "XAUTHORITY=" + m_scratch + "/no-xauthority",
                                         "DBUS_SESSION_BUS_ADDRESS=unix:path=" + m_scratch + "/no-session-bus",
                                         "/usr/bin/Notifier"};
        platform::ChildProcess::Options o;
        o.stdoutFile = m_scratch + "/notifier-" + std::to_string(m_runs) + ".out";
        o.stderrFile = m_scratch + "/notifier-" + std::to_string(m_runs) + ".err";
        auto p = std::make_unique<platform::ChildProcess>();
        EXPECT_EQ(p->Start(argv, o), ERROR_SUCCESS);
        m_users.push_back(&u);
        return p;
    }

    std::string WaitForDialog(platform::ChildProcess& notifier, const std::vector<std::string>& known = {})
    {
        const std::string w = m_keyboard->WaitForNewWindow(kCaption, known, kDialogTimeoutMs);
        EXPECT_FALSE(w.empty()) << "no dialog appeared" << (notifier.HasExited() ? " (the notifier has ended)" : "")
                                << "\n"
                                << Diagnostics();
        return w;
    }

    void Press(const std::string& window, const std::vector<std::string>& keys)
    {
        EXPECT_TRUE(m_keyboard->Press(window, keys)) << m_keyboard->LastError();
    }

    int Finish(platform::ChildProcess& notifier)
    {
        int code = -1;
        if (!notifier.Wait(kRunTimeoutMs, code)) {
            ADD_FAILURE() << "the notifier did not end\n" << Diagnostics();
            notifier.Kill();
            notifier.Wait(5000, code);
        }
        return code;
    }

    // glm-milestone as an elevated installer runs it: root, a clean
    // environment with what pkexec or sudo leaves, and the variables given.
    int SendAsRoot(const std::vector<std::string>& environment, const std::vector<std::string>& args)
    {
        std::vector<std::string> argv = {"env", "-i", "PATH=/usr/bin:/bin"};
        argv.insert(argv.end(), environment.begin(), environment.end());
        argv.push_back("/usr/bin/glm-milestone");
        argv.insert(argv.end(), args.begin(), args.end());
        platform::ChildProcess tool;
        if (tool.Start(argv) != ERROR_SUCCESS)
            return -1;
        int code = -1;
        return tool.Wait(30000, code) ? code : -2;
    }

    // The window sockets of the user's session now.
    std::vector<std::string> Windows(const User& u) const
    {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(UserPath(u, "runtime") + "/brelvo/windows", ec))
            names.push_back(e.path().filename().string());
        return names;
    }

    // Waits for a window the session did not have before: the listener the
    // notifier makes once the installer runs. False (and a failure) when
    // none came in time.
    bool WaitForListener(const User& u, const std::vector<std::string>& before)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kDialogTimeoutMs);
        for (;;) {
            for (const std::string& w : Windows(u))
                if (std::find(before.begin(), before.end(), w) == before.end())
                    return true;
            if (std::chrono::steady_clock::now() >= deadline) {
                ADD_FAILURE() << "the notifier's listener did not come\n" << Diagnostics();
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    // The user's notifier with its dialog answered "Update", once it listens
    // for the installer's report; null (and a failure) when it got no further.
    std::unique_ptr<platform::ChildProcess> UpdateAndWaitForListener(const User& u)
    {
        auto notifier = StartNotifier(u);
        const std::string dialog = WaitForDialog(*notifier);
        if (dialog.empty())
            return nullptr;
        const std::vector<std::string> before = Windows(u);
        Press(dialog, {"Return"});
        return WaitForListener(u, before) ? std::move(notifier) : nullptr;
    }

    // A FIFO every user may open, that holds an installer until the test
    // writes a line to it (Release, which also makes a file that is missing).
    std::string MakeHold(const std::string& name) const
    {
        const std::string path = m_scratch + "/" + name;
        EXPECT_EQ(::mkfifo(path.c_str(), 0666), 0);
        EXPECT_EQ(::chmod(path.c_str(), 0666), 0);
        return path;
    }
    static void Release(const std::string& hold) { std::ofstream(hold) << "go\n"; }

    std::string Diagnostics() const
    {
        std::string s;
        for (int i = 1; i <= m_runs; ++i) {
            s += "notifier run " + std::to_string(i) + " stderr:\n" +
                 FileText(m_scratch + "/notifier-" + std::to_string(i) + ".err");
            s += "its log:\n" + FileText(UserPath(*m_users[i - 1], "home") + "/.local/state/brelvo/logfile");
        }
        return s;
    }

    static cmRegistryKey Key(const char* path)
    {
        return cmRegistryKey(HKEY_LOCAL_MACHINE, path, cmRegistryCreate::CreateMissing).GetWritableCopy();
    }
    static std::string Text(const char* key, const char* value)
    {
        return cmRegistryKey(HKEY_LOCAL_MACHINE, key).QueryString(value).GetText();
    }
    static DWORD Status()
    {
        return cmRegistryKey(HKEY_LOCAL_MACHINE, szBSUNotificationKey).QueryDword(szBSUStatusValue);
    }
    static std::string NewUpdate() { return Text(szBSUUpdaterKey, szBSUNewUpdateValue); }

    // The store's files: group brelvo, group-writable.
    void ExpectSharedFiles() const
    {
        for (const std::string suffix : {"", "-wal", "-shm"}) {
            struct stat st {};
            const std::string path = kStore + suffix;
            ASSERT_EQ(::stat(path.c_str(), &st), 0) << path;
            EXPECT_EQ(st.st_gid, m_group) << path;
            EXPECT_EQ(st.st_mode & 0777, 0664u) << path;
        }
    }

    User m_member;
    User m_outsider;
    gid_t m_group = 0;
    std::string m_scratch;
    std::unique_ptr<e2e::VirtualDisplay> m_display;
    std::unique_ptr<e2e::Keyboard> m_keyboard;
    std::vector<std::string> m_staged;
    std::vector<const User*> m_users;
    int m_runs = 0;
};

}  // namespace

TEST_F(PackageDesktopTest, AMembersRemindMeLaterSticksAndRootWritesAfterIt)
{
    StageUpdate("remind");
    auto notifier = StartNotifier(m_member);
    const std::string dialog = WaitForDialog(*notifier);
    ASSERT_FALSE(dialog.empty());
    Press(dialog, {"Tab", "Return"});
    EXPECT_EQ(Finish(*notifier), 0);

    EXPECT_EQ(Status(), 2u) << Diagnostics();
    const double next =
        CNotificationData::TextToDate(cmString(Text(szBSUNotificationKey, szBSUNextUpdateValue).c_str()));
    const double now = CNotificationData::Now();
    EXPECT_GT(next, now + 6.9);
    EXPECT_LT(next, now + 7.1);
    ExpectSharedFiles();
    // Root's components go on writing the store the member wrote last.
    EXPECT_EQ(Key(szBSUNotificationKey).SetDword(szBSURetryCountValue, 1), ERROR_SUCCESS);
    EXPECT_EQ(Key(szBSUUpdaterKey).SetString(szBSUNewUpdateValue, cmString("")), ERROR_SUCCESS);
    EXPECT_EQ(cmRegistryKey(HKEY_LOCAL_MACHINE, szBSUNotificationKey).QueryDword(szBSURetryCountValue), 1u);
}

TEST_F(PackageDesktopTest, AMembersDoNotUpdateDeletesTheFolderRootStaged)
{
    const std::string folder = StageUpdate("ignored");
    auto notifier = StartNotifier(m_member);
    const std::string dialog = WaitForDialog(*notifier);
    ASSERT_FALSE(dialog.empty());
    Press(dialog, {"Tab", "Tab", "Return"});
    const std::string confirm = WaitForDialog(*notifier, {dialog});
    ASSERT_FALSE(confirm.empty()) << "no confirmation came";
    Press(confirm, {"Return"});
    EXPECT_EQ(Finish(*notifier), 0);

    EXPECT_FALSE(fs::exists(folder)) << Diagnostics();
    EXPECT_EQ(NewUpdate(), "");
    ExpectSharedFiles();
}

TEST_F(PackageDesktopTest, AUserOutsideTheGroupSeesTheDialogAndChangesNothing)
{
    const std::string folder = StageUpdate("outside");
    const std::string before = Dump(HKEY_LOCAL_MACHINE, "SOFTWARE");
    auto notifier = StartNotifier(m_outsider);
    const std::string dialog = WaitForDialog(*notifier);
    ASSERT_FALSE(dialog.empty());
    Press(dialog, {"Tab", "Return"});
    EXPECT_EQ(Finish(*notifier), 0);

    EXPECT_EQ(Dump(HKEY_LOCAL_MACHINE, "SOFTWARE"), before);
    EXPECT_TRUE(fs::exists(folder + "/Update.cfg"));
    std::string report;
    EXPECT_EQ(platform::RegistryStore(kStore).CheckIntegrity(report), ERROR_SUCCESS) << report;
}

TEST_F(PackageDesktopTest, AnInstallerThatElevatesItselfWithSudoReportsTheInstallation)
{
    if (e2e::FindInPath("sudo").empty())
        GTEST_SKIP() << "sudo is needed (package-test.sh installs it)";
    // The sample installer as an installer that needs root is written; it
    // holds after its first milestone until the notifier listens.
    const std::string folder = StageUpdate("sudo");
    const std::string release = m_scratch + "/sudo-release";
    SetInstallerCommand(folder, "setup.sh --elevate --outcome installed --wait-for " + release);
    auto notifier = UpdateAndWaitForListener(m_member);
    ASSERT_NE(notifier, nullptr);
    Release(release);
    EXPECT_EQ(Finish(*notifier), 0);

    EXPECT_EQ(NewUpdate(), "") << Diagnostics();
    EXPECT_EQ(Text(szBSUNotificationKey, szBSULocationLastUpdateValue), folder);
}

TEST_F(PackageDesktopTest, ARootSenderWithPkexecUidReachesTheUsersNotifierAndNoOtherUsers)
{
    // The installer's own part waits while the test plays its elevated part.
    const std::string folder = StageUpdate("pkexec");
    const std::string hold = MakeHold("pkexec-hold");
    {
        std::ofstream script(folder + "/elevated.sh");
        script << "#!/bin/sh\nread line < '" << hold << "'\n";
    }
    fs::permissions(folder + "/elevated.sh",
                    fs::perms::owner_all | fs::perms::group_all | fs::perms::others_read | fs::perms::others_exec);
    SetInstallerCommand(folder, "elevated.sh");
    auto notifier = UpdateAndWaitForListener(m_member);
    ASSERT_NE(notifier, nullptr);

    const std::string runtime = "XDG_RUNTIME_DIR=" + UserPath(m_member, "runtime");
    // Acting for the user outside the group, root finds the member's runtime
    // folder, which is not that user's: nothing is delivered there.
    EXPECT_EQ(SendAsRoot({"PKEXEC_UID=" + std::to_string(m_outsider.uid), runtime}, {"200", "10"}), 1);
    const std::string pkexec = "PKEXEC_UID=" + std::to_string(m_member.uid);
    EXPECT_EQ(SendAsRoot({pkexec, runtime}, {"70"}), 0);
    EXPECT_EQ(SendAsRoot({pkexec, runtime}, {"200", "10"}), 0);
    Release(hold);
    EXPECT_EQ(Finish(*notifier), 0);

    EXPECT_EQ(NewUpdate(), "") << Diagnostics();
    EXPECT_EQ(Text(szBSUNotificationKey, szBSULocationLastUpdateValue), folder);
}
