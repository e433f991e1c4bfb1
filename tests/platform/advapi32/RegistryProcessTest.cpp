// The store shared by real processes: concurrent writers, a writer killed
// mid-burst, and a process that may only read the file.
#include "platform/advapi32/Registry.h"
#include "platform/advapi32/RegistryStore.h"
#include "platform/kernel32/ChildProcess.h"
#include "tests/platform/advapi32/RegistryTestHelpers.h"
#include "tests/support/TestPaths.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sstream>
#include <thread>

using namespace registrytest;
namespace fs = std::filesystem;

namespace {

const std::string kWorker = testsupport::BuildPath("tests/platform/registry_worker");

class RegistryProcesses : public ::testing::Test {
protected:
    void SetUp() override { m_path = UseFreshStore(::testing::UnitTest::GetInstance()->current_test_info()->name()); }

    std::string Output(int i) const { return fs::path(m_path).parent_path().string() + "/out" + std::to_string(i); }

    std::string m_path;
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST_F(RegistryProcesses, FourProcessesWritingAtOnceNeitherFailNorLoseAWrite)
{
    constexpr int kWorkers = 4;
    constexpr int kOperations = 500;
    std::vector<platform::ChildProcess> children(kWorkers);
    for (int i = 0; i < kWorkers; ++i) {
        platform::ChildProcess::Options o;
        o.stdoutFile = Output(i);
        ASSERT_EQ(children[i].Start({kWorker, "mixed", std::to_string(i), std::to_string(kOperations)}, o), 0u);
    }
    for (int i = 0; i < kWorkers; ++i) {
        int code = -1;
        ASSERT_TRUE(children[i].Wait(25000, code)) << "worker " << i << " did not finish";
        EXPECT_EQ(code, 0) << "worker " << i << " saw a failing call";
    }

    // Each worker's own last writes are there; each shared value holds the
    // last write of one of the workers.
    std::map<std::string, std::set<std::string>> sharedCandidates;
    for (int i = 0; i < kWorkers; ++i) {
        const std::vector<std::string> lines = Lines(FileBytes(Output(i)));
        ASSERT_FALSE(lines.empty()) << "worker " << i << " reported nothing";
        HKEY own = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, ("SOFTWARE\\Mix\\P" + std::to_string(i)).c_str(), 0, KEY_READ,
                                &own),
                  0);
        for (const std::string& line : lines) {
            std::istringstream words(line);
            std::string kind, name, data;
            words >> kind >> name >> data;
            if (kind == "own") {
                EXPECT_EQ(GetRaw(own, name.c_str()), data + '\0') << "worker " << i << " " << name;
            } else if (kind == "shared") {
                sharedCandidates[name].insert(data + '\0');
            } else if (kind == "dword" && name == "N") {
                const DWORD v = static_cast<DWORD>(std::stoul(data));
                EXPECT_EQ(GetRaw(own, "N"), std::string(reinterpret_cast<const char*>(&v), 4));
            } else if (kind == "dword") {
                HKEY k = nullptr;
                const std::string sub = "SOFTWARE\\Mix\\Shared\\" + name.substr(0, name.find('\\'));
                ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, sub.c_str(), 0, KEY_READ, &k), 0);
                const DWORD v = static_cast<DWORD>(std::stoul(data));
                EXPECT_EQ(GetRaw(k, name.substr(name.find('\\') + 1).c_str()),
                          std::string(reinterpret_cast<const char*>(&v), 4))
                    << name;
                RegCloseKey(k);
            }
        }
        RegCloseKey(own);
    }
    HKEY shared = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Mix\\Shared", 0, KEY_READ, &shared), 0);
    ASSERT_EQ(sharedCandidates.size(), 5u);
    for (const auto& [name, candidates] : sharedCandidates)
        EXPECT_EQ(candidates.count(GetRaw(shared, name.c_str())), 1u) << name << " is nobody's last write";
    // Keys that all workers created at the same time exist once each.
    std::vector<std::string> subKeys;
    char sub[16];
    for (DWORD i = 0; RegEnumKeyA(shared, i, sub, sizeof sub) == 0; ++i)
        subKeys.emplace_back(sub);
    EXPECT_EQ(subKeys, (std::vector<std::string>{"K0", "K1", "K2"}));
    RegCloseKey(shared);

    std::string report;
    EXPECT_EQ(platform::RegistryStore(m_path).CheckIntegrity(report), 0) << report;
}

TEST_F(RegistryProcesses, AWriterKilledMidBurstLeavesASoundStoreWithEveryWriteItWasToldSucceeded)
{
    // Three writers in a row, each killed after a different number of writes.
    long expectedTotal = 0;
    for (const int killAfter : {15, 120, 333}) {
        const long first = killAfter * 1000L;
        platform::ChildProcess child;
        platform::ChildProcess::Options o;
        o.stdoutFile = Output(killAfter);
        ASSERT_EQ(child.Start({kWorker, "burst", std::to_string(first)}, o), 0u);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (Lines(FileBytes(o.stdoutFile)).size() < static_cast<std::size_t>(killAfter)) {
            ASSERT_FALSE(child.HasExited()) << "the writer stopped by itself";
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the writer is too slow";
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        }
        child.Kill();  // SIGKILL, wherever it is in its write
        int code = 0;
        ASSERT_TRUE(child.Wait(5000, code));
        EXPECT_EQ(code, 128 + 9);

        std::string report;
        EXPECT_EQ(platform::RegistryStore(m_path).CheckIntegrity(report), 0) << report;
        HKEY h = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Burst", 0, KEY_READ, &h), 0);
        const std::vector<std::string> done = Lines(FileBytes(o.stdoutFile));
        ASSERT_GE(done.size(), static_cast<std::size_t>(killAfter));
        for (const std::string& line : done) {
            const DWORD k = static_cast<DWORD>(std::stol(line));
            EXPECT_EQ(GetRaw(h, ("B" + line).c_str()), std::string(reinterpret_cast<const char*>(&k), 4))
                << "write " << line << " was reported and is gone";
        }
        // Nothing beyond the reported writes and at most the one in flight.
        DWORD values = 0;
        char name[32];
        for (DWORD cch = sizeof name; RegEnumValueA(h, values, name, &cch, nullptr, nullptr, nullptr, nullptr) == 0;
             cch = sizeof name)
            ++values;
        expectedTotal += static_cast<long>(done.size());
        EXPECT_GE(static_cast<long>(values), expectedTotal);
        EXPECT_LE(static_cast<long>(values), expectedTotal + 3);
        expectedTotal = values;
        RegCloseKey(h);
    }
}

// Whether file permissions bind this process (they do not bind root).
bool PermissionsBindUs(const fs::path& dir)
{
    const fs::path probe = dir / "permission-probe";
    { std::ofstream(probe) << "x"; }
    fs::permissions(probe, fs::perms::owner_read);
    const bool bound = !std::ofstream(probe, std::ios::app).good();
    fs::remove(probe);
    return bound;
}

// Runs the worker's read-only check on the store; as the user nobody when
// permissions do not bind us.
int RunReadOnlyWorker(const std::string& store, bool asNobody, const std::string& outFile)
{
    std::vector<std::string> argv = {kWorker, "readonly", "NewUpdate", "/opt/update"};
    if (asNobody)
        argv.insert(argv.begin(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    platform::ChildProcess child;
    platform::ChildProcess::Options o;
    o.environment = {{"BRELVO_REGISTRY", store}, {"BRELVO_REGISTRY_READONLY", ""}};
    o.stdoutFile = outFile;
    if (child.Start(argv, o) != 0)
        return -1;
    int code = -1;
    return child.Wait(20000, code) ? code : -2;
}

TEST_F(RegistryProcesses, AStoreTheUserMayNotWriteReadsFullyAndRefusesEveryWrite)
{
    // The store lives in a folder that only its owner may change, and the
    // file is read-only for everybody else.
    const fs::path dir = fs::path(m_path).parent_path() / "shared";
    fs::create_directories(dir);
    const std::string store = (dir / "registry.sqlite").string();
    SetEnvironmentVariableA("BRELVO_REGISTRY", store.c_str());
    {
        HKEY h = CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Probe");
        SetText(h, "NewUpdate", "/opt/update");
        RegCloseKey(h);
    }
    const bool asNobody = !PermissionsBindUs(dir);
    if (asNobody) {
        // nobody must get through every folder above the store.
        const fs::path top = fs::path(platform::GetEnv("TMPDIR")).parent_path().parent_path();
        for (fs::path p = dir.parent_path(); p != top && p.has_relative_path(); p = p.parent_path())
            fs::permissions(p, fs::perms::others_exec, fs::perm_options::add);
    }
    const fs::perms readOnlyDir = fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                  fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec;
    const fs::perms writableDir = readOnlyDir | fs::perms::owner_write;
    fs::permissions(store, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(dir, asNobody ? writableDir : readOnlyDir);

    // While this process keeps the store open, its -shm exists and is readable.
    ASSERT_TRUE(fs::exists(store + "-shm"));
    EXPECT_EQ(RunReadOnlyWorker(store, asNobody, Output(1)), 0) << "with the -shm of a running writer";

    // With no writer around and without -wal and -shm, which the reader may
    // not create in the folder, the file is still read.
    fs::permissions(dir, writableDir);
    const std::string elsewhere = (dir.parent_path() / "elsewhere.sqlite").string();
    SetEnvironmentVariableA("BRELVO_REGISTRY", elsewhere.c_str());
    HKEY none = nullptr;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &none);  // lets go of the first store
    fs::remove(store + "-wal");
    fs::remove(store + "-shm");
    fs::permissions(dir, asNobody ? writableDir : readOnlyDir);
    const std::string checkpointed = FileBytes(store);
    EXPECT_EQ(RunReadOnlyWorker(store, asNobody, Output(2)), 0) << "without -wal and -shm";
    EXPECT_FALSE(fs::exists(store + "-shm"));
    EXPECT_EQ(FileBytes(store), checkpointed) << "the reader changed the store";

    fs::permissions(dir, writableDir);
    fs::permissions(store, fs::perms::owner_read | fs::perms::owner_write);
}

}  // namespace
