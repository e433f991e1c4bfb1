// The main of every test program. Before any test runs, the process gets a
// private store path, runtime folder, log and dump files, home and XDG
// folders in a temporary folder of its own, so no test ever touches the
// machine's store, the user's home or a fixed path.
#include "platform/Environment.h"
#include "platform/TempDirectory.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace {

class IsolatedEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        m_root = std::make_unique<platform::ScopedTempDirectory>("notifier-test");
        ASSERT_FALSE(m_root->Path().empty()) << "cannot make a temporary folder";
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

    void TearDown() override { m_root.reset(); }

private:
    std::unique_ptr<platform::ScopedTempDirectory> m_root;
};

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new IsolatedEnvironment);
    return RUN_ALL_TESTS();
}
