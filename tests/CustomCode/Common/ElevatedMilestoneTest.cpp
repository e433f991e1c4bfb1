// An installer that elevated itself reports as root: glm-milestone run as
// root with SUDO_UID or PKEXEC_UID of the user reaches the listener window
// in that user's session (its runtime folder, where the user's session gave
// the message an id of its own), and nowhere else: not a folder of somebody
// else, not one the user keeps open to others, not one behind a symbolic link.
//
// The user is played by nobody through setpriv, so the tests run only as root.
#include "platform/kernel32/ChildProcess.h"
#include "platform/kernel32/Environment.h"
#include "tests/support/Eventually.h"
#include "tests/support/TestPaths.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr unsigned kUser = 65534;  // nobody

std::string FileText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class ElevatedMilestone : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "playing another user needs root";
        if (::system("command -v setpriv >/dev/null") != 0)
            GTEST_SKIP() << "setpriv (util-linux) is needed";
        m_base = platform::GetEnv("TMPDIR") + "/elevated";
        fs::create_directories(m_base);
        // The user must get through every folder above its runtime folder.
        const fs::path top = fs::path(platform::GetEnv("TMPDIR")).parent_path().parent_path();
        for (fs::path p = m_base; p != top && p.has_relative_path(); p = p.parent_path())
            fs::permissions(p, fs::perms::others_exec, fs::perm_options::add);
        m_userRuntime = m_base + "/user-runtime";
        fs::create_directories(m_userRuntime);
        ASSERT_EQ(::chown(m_userRuntime.c_str(), kUser, kUser), 0);
        ASSERT_EQ(::chmod(m_userRuntime.c_str(), 0700), 0);
    }

    // The listener, as the user (or as root), in that runtime folder. It
    // registers another name first, so the milestone message's id in its
    // session is not the one a fresh session gives it.
    void StartListener(const std::string& runtime, bool asUser = true)
    {
        std::vector<std::string> argv;
        if (asUser)
            argv = {"setpriv", "--reuid=" + std::to_string(kUser), "--regid=" + std::to_string(kUser),
                    "--clear-groups"};
        argv.push_back(testsupport::BuildPath("tests/CustomCode/Common/milestone_listener"));
        argv.push_back("SOME_OTHER_MESSAGE");
        platform::ChildProcess::Options o;
        o.environment = {{"BRELVO_RUNTIME_DIR", runtime}};
        ++m_listeners;
        o.stdoutFile = Output("out");
        o.stderrFile = Output("err");
        m_listener = platform::ChildProcess();
        ASSERT_EQ(m_listener.Start(argv, o), 0u);
        const auto ready = [&] { return Heard().rfind("ready\n", 0) == 0; };
        ASSERT_TRUE(testsupport::Eventually([&] { return ready() || m_listener.HasExited(); }))
            << "the listener's window did not come up";
        ASSERT_TRUE(ready()) << FileText(Output("err"));
    }

    // What the current listener printed.
    std::string Heard() const { return FileText(Output("out")); }
    std::string Output(const char* kind) const
    {
        return m_base + "/listener" + std::to_string(m_listeners) + "." + kind;
    }

    // glm-milestone as root with the environment given; its exit code.
    int SendAsRoot(const std::vector<std::string>& args, const platform::ChildProcess::Options& env)
    {
        std::vector<std::string> argv{testsupport::BuildPath("tools/glm-milestone")};
        argv.insert(argv.end(), args.begin(), args.end());
        platform::ChildProcess tool;
        if (tool.Start(argv, env) != 0)
            return -1;
        int code = -1;
        return tool.Wait(30000, code) ? code : -2;
    }

    // The environment of an installer elevated by sudo -E: the user's
    // runtime folder kept, SUDO_UID naming the user.
    platform::ChildProcess::Options SudoEnvironment(const std::string& runtime) const
    {
        platform::ChildProcess::Options o;
        o.environment = {{"BRELVO_RUNTIME_DIR", runtime},
                         {"XDG_RUNTIME_DIR", ""},
                         {"PKEXEC_UID", ""},
                         {"SUDO_UID", std::to_string(kUser)}};
        return o;
    }

    int ListenerExit()
    {
        int code = -1;
        if (!m_listener.Wait(20000, code))
            m_listener.Kill();
        return code;
    }

    std::string m_base;
    std::string m_userRuntime;
    platform::ChildProcess m_listener;
    int m_listeners = 0;
};

TEST_F(ElevatedMilestone, RootWithSudoUidOrPkexecUidReachesTheUsersListener)
{
    StartListener(m_userRuntime);
    EXPECT_EQ(SendAsRoot({"70"}, SudoEnvironment(m_userRuntime)), 0);
    platform::ChildProcess::Options pkexec;
    pkexec.environment = {
        {"BRELVO_RUNTIME_DIR", m_userRuntime}, {"SUDO_UID", ""}, {"PKEXEC_UID", std::to_string(kUser)}};
    EXPECT_EQ(SendAsRoot({"200", "10"}, pkexec), 0);
    EXPECT_EQ(ListenerExit(), 0);
    EXPECT_EQ(Heard(), "ready\n70 0\n200 10\n");
}

TEST_F(ElevatedMilestone, FoldersOfSomebodyElseOpenToOthersOrBehindALinkAreNotReached)
{
    // The named user's folder belongs to root: a listener of root's there
    // hears nothing from a sender acting for the user.
    const std::string rootsFolder = m_base + "/roots/brelvo";
    fs::create_directories(rootsFolder);
    fs::permissions(rootsFolder, fs::perms::owner_all, fs::perm_options::replace);
    StartListener(rootsFolder, false);
    platform::ChildProcess::Options env;
    fs::create_directories(m_base + "/sender-own");
    env.environment = {{"BRELVO_RUNTIME_DIR", m_base + "/sender-own"},
                       {"XDG_RUNTIME_DIR", m_base + "/roots"},
                       {"PKEXEC_UID", ""},
                       {"SUDO_UID", std::to_string(kUser)}};
    EXPECT_EQ(SendAsRoot({"200", "10"}, env), 1);
    m_listener.Kill();
    ListenerExit();
    EXPECT_EQ(Heard(), "ready\n");

    StartListener(m_userRuntime);
    // The user's folder, once others may enter it ...
    ASSERT_EQ(::chmod(m_userRuntime.c_str(), 0750), 0);
    EXPECT_EQ(SendAsRoot({"200", "20"}, SudoEnvironment(m_userRuntime)), 1);
    ASSERT_EQ(::chmod(m_userRuntime.c_str(), 0700), 0);
    // ... or reached through a symbolic link.
    fs::create_directory_symlink(m_userRuntime, m_base + "/link");
    EXPECT_EQ(SendAsRoot({"200", "30"}, SudoEnvironment(m_base + "/link")), 1);
    EXPECT_EQ(Heard(), "ready\n");
    EXPECT_EQ(SendAsRoot({"200", "10"}, SudoEnvironment(m_userRuntime)), 0);
    EXPECT_EQ(ListenerExit(), 0);
    EXPECT_EQ(Heard(), "ready\n200 10\n");
}

}  // namespace
