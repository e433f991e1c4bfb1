// The machine's store shared through a group, as the package lays it out: a
// set-group-id folder of root and the group. Root and a member write it in
// either order, each with a umask that shares nothing, whoever makes the
// store and its -wal and -shm; a user outside the group, and a member after
// the store lost its group bit, read it and have every write refused.
//
// The other users are played by nobody (with or without the group) through
// setpriv, so the tests run only as root.
#include "platform/advapi32/RegistryStore.h"
#include "platform/kernel32/ChildProcess.h"
#include "platform/kernel32/Environment.h"
#include "tests/platform/advapi32/RegistryTestHelpers.h"
#include "tests/support/TestPaths.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace registrytest;
namespace fs = std::filesystem;

namespace {

const std::string kWorker = testsupport::BuildPath("tests/platform/registry_worker");
// The shared group: a number no account needs to have.
constexpr gid_t kGroup = 64917;
constexpr uid_t kNobody = 65534;

enum class Who { Root, Member, Outsider };

const char* Name(Who who)
{
    return who == Who::Root ? "root" : who == Who::Member ? "member" : "outsider";
}

class RegistrySharedStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "playing other users needs root";
        if (platform::GetEnv("PATH").empty() || ::system("command -v setpriv >/dev/null") != 0)
            GTEST_SKIP() << "setpriv (util-linux) is needed";
        const std::string fresh = UseFreshStore(::testing::UnitTest::GetInstance()->current_test_info()->name());
        m_dir = fs::path(fresh).parent_path() / "brelvo";
        m_store = (m_dir / "registry.sqlite").string();
        SetEnvironmentVariableA("BRELVO_REGISTRY", m_store.c_str());
        // nobody must get through every folder above the shared one.
        const fs::path top = fs::path(platform::GetEnv("TMPDIR")).parent_path().parent_path();
        for (fs::path p = m_dir.parent_path(); p != top && p.has_relative_path(); p = p.parent_path())
            fs::permissions(p, fs::perms::others_exec, fs::perm_options::add);
        fs::create_directories(m_dir);
        ASSERT_EQ(::chown(m_dir.c_str(), 0, kGroup), 0);
        ASSERT_EQ(::chmod(m_dir.c_str(), 02775), 0);
        // nobody runs a copy beside the store: the build tree may lie in a
        // folder only root can enter (a checkout in a private temporary folder).
        m_worker = Scratch("registry_worker");
        fs::copy_file(kWorker, m_worker, fs::copy_options::overwrite_existing);
        fs::permissions(m_worker, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                      fs::perms::others_read | fs::perms::others_exec);
    }

    // Starts the worker as who, with umask 077.
    void Start(platform::ChildProcess& child, Who who, const std::vector<std::string>& args, const std::string& tag)
    {
        std::vector<std::string> argv;
        if (who != Who::Root)
            argv = {"setpriv", "--reuid=" + std::to_string(kNobody), "--regid=" + std::to_string(kNobody),
                    who == Who::Member ? "--groups=" + std::to_string(kGroup) : "--clear-groups"};
        for (const char* a : {"sh", "-c", "umask 077; exec \"$0\" \"$@\""})
            argv.push_back(a);
        argv.push_back(m_worker);
        argv.insert(argv.end(), args.begin(), args.end());
        platform::ChildProcess::Options o;
        o.environment = {{"BRELVO_REGISTRY", m_store}, {"BRELVO_REGISTRY_READONLY", ""}};
        o.stdoutFile = Scratch(tag + ".out");
        o.stderrFile = Scratch(tag + ".err");
        ASSERT_EQ(child.Start(argv, o), 0u);
    }

    // Its exit code; a failure's message carries what it said.
    int Finish(platform::ChildProcess& child, Who who, const std::string& tag)
    {
        int code = -1;
        if (!child.Wait(60000, code)) {
            ADD_FAILURE() << Name(who) << " " << tag << " did not end";
            return -1;
        }
        if (code != 0)
            ADD_FAILURE() << Name(who) << " " << tag << ": " << FileBytes(Scratch(tag + ".err"));
        return code;
    }

    int Run(Who who, const std::vector<std::string>& args, const std::string& tag)
    {
        platform::ChildProcess child;
        Start(child, who, args, tag);
        return Finish(child, who, tag);
    }

    std::string Scratch(const std::string& name) const { return (m_dir.parent_path() / name).string(); }

    // Mode and group of a file of the store.
    static void ExpectShared(const std::string& path)
    {
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0) << path;
        EXPECT_EQ(st.st_mode & 07777, 0664u) << path;
        EXPECT_EQ(st.st_gid, kGroup) << path;
    }

    fs::path m_dir;
    std::string m_store;
    std::string m_worker;
};

TEST_F(RegistrySharedStore, RootAndAMemberWriteInEitherOrderWhoeverMadeTheFiles)
{
    const std::vector<std::vector<Who>> orders = {{Who::Member, Who::Root, Who::Member},
                                                  {Who::Root, Who::Member, Who::Root}};
    int round = 0;
    for (const auto& order : orders) {
        SCOPED_TRACE(std::string("first ") + Name(order.front()));
        fs::remove_all(m_dir / "registry.sqlite");
        fs::remove_all(m_dir / "registry.sqlite-wal");
        fs::remove_all(m_dir / "registry.sqlite-shm");
        for (Who who : order) {
            ++round;
            ASSERT_EQ(Run(who, {"mixed", std::to_string(round), "40"}, "round" + std::to_string(round)), 0);
            ExpectShared(m_store);
            ExpectShared(m_store + "-wal");
            ExpectShared(m_store + "-shm");
        }
        // Both at once, neither failing.
        platform::ChildProcess root, member;
        Start(root, Who::Root, {"mixed", "8", "200"}, "both-root");
        Start(member, Who::Member, {"mixed", "9", "200"}, "both-member");
        EXPECT_EQ(Finish(root, Who::Root, "both-root"), 0);
        EXPECT_EQ(Finish(member, Who::Member, "both-member"), 0);
        std::string report;
        EXPECT_EQ(platform::RegistryStore(m_store).CheckIntegrity(report), 0) << report;
    }
}

TEST_F(RegistrySharedStore, OutsidersAndAStoreThatLostItsGroupBitReadButNeverWrite)
{
    ASSERT_EQ(Run(Who::Root, {"mixed", "1", "10"}, "root"), 0);
    {
        HKEY h = CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Probe");
        SetText(h, "NewUpdate", "/opt/update");
        RegCloseKey(h);
    }
    EXPECT_EQ(Run(Who::Outsider, {"readonly", "NewUpdate", "/opt/update"}, "outsider"), 0);
    ASSERT_EQ(::chmod(m_store.c_str(), 0644), 0);
    EXPECT_EQ(Run(Who::Member, {"readonly", "NewUpdate", "/opt/update"}, "member"), 0);
    std::string report;
    EXPECT_EQ(platform::RegistryStore(m_store).CheckIntegrity(report), 0) << report;
}

}  // namespace
