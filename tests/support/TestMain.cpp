// The main of every test program. Before any test runs, the process gets a
// private store path, runtime folder, log and dump files, home and XDG
// folders in a temporary folder of its own, so no test ever touches the
// machine's store, the user's home or a fixed path.
#include "platform/kernel32/Environment.h"
#include "platform/linux/TempDirectory.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace {

// The private folders are made before any other static object of the program
// is constructed: the log subsystems read their switches from the store
// during static initialisation, and that must already be the private store.
class IsolatedRoot {
public:
    IsolatedRoot()
    {
        m_root = std::make_unique<platform::ScopedTempDirectory>("notifier-test");
        if (m_root->Path().empty())
            return;
        const std::string& r = m_root->Path();
        for (const char* d : {"home", "state", "config", "data", "cache", "runtime", "tmp"})
            std::filesystem::create_directories(r + "/" + d);
        SetEnvironmentVariableA("HOME", (r + "/home").c_str());
        SetEnvironmentVariableA("XDG_STATE_HOME", (r + "/state").c_str());
        SetEnvironmentVariableA("XDG_CONFIG_HOME", (r + "/config").c_str());
        SetEnvironmentVariableA("XDG_DATA_HOME", (r + "/data").c_str());
        SetEnvironmentVariableA("XDG_CACHE_HOME", (r + "/cache").c_str());
        SetEnvironmentVariableA("XDG_RUNTIME_DIR", (r + "/runtime").c_str());
        SetEnvironmentVariableA("BRELVO_RUNTIME_DIR", (r + "/runtime/brelvo").c_str());
        SetEnvironmentVariableA("BRELVO_REGISTRY", (r + "/registry.sqlite").c_str());
        SetEnvironmentVariableA("BRELVO_LOG_FILE", (r + "/logfile").c_str());
        SetEnvironmentVariableA("BRELVO_DUMP_FILE", (r + "/Glimmary.dmp").c_str());
        SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", nullptr);
        SetEnvironmentVariableA("TMPDIR", (r + "/tmp").c_str());
    }

    const std::string& Path() const { return m_root->Path(); }

private:
    std::unique_ptr<platform::ScopedTempDirectory> m_root;
};

__attribute__((init_priority(101))) IsolatedRoot g_root;

class IsolatedEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_FALSE(g_root.Path().empty()) << "cannot make a temporary folder"; }
};

// ctest runs each test in a process of its own; when a test program runs all
// its tests in one process, each test still starts on a store, runtime
// folder, log and dump file of its own.
class FreshStorePerTest : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override
    {
        if (g_root.Path().empty())
            return;
        const std::string dir = g_root.Path() + "/test-" + std::to_string(++m_count);
        std::filesystem::create_directories(dir);
        SetEnvironmentVariableA("BRELVO_REGISTRY", (dir + "/registry.sqlite").c_str());
        SetEnvironmentVariableA("BRELVO_RUNTIME_DIR", (dir + "/runtime").c_str());
        SetEnvironmentVariableA("BRELVO_LOG_FILE", (dir + "/logfile").c_str());
        SetEnvironmentVariableA("BRELVO_DUMP_FILE", (dir + "/Glimmary.dmp").c_str());
        SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", nullptr);
    }

private:
    int m_count = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new IsolatedEnvironment);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshStorePerTest);
    return RUN_ALL_TESTS();
}
