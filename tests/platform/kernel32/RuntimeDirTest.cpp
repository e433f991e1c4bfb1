#include "platform/kernel32/Environment.h"
#include "platform/kernel32/ProcessIds.h"
#include "platform/kernel32/RuntimeDir.h"
#include "platform/kernel32/WinError.h"
#include "platform/linux/TempDirectory.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

namespace fs = std::filesystem;

namespace {

class RuntimeDirTest : public ::testing::Test {
protected:
    platform::ScopedTempDirectory root{"rt"};
    std::string Under(const char* name) const { return root.Path() + "/" + name; }
};

fs::perms Mode(const std::string& p) { return fs::status(p).permissions() & fs::perms::mask; }

}  // namespace

TEST_F(RuntimeDirTest, ChoosesOverrideThenXdgThenTmp)
{
    SetEnvironmentVariableA("BRELVO_RUNTIME_DIR", "/somewhere/else");
    EXPECT_EQ(platform::RuntimeDirPath(), "/somewhere/else");
    SetEnvironmentVariableA("BRELVO_RUNTIME_DIR", nullptr);
    SetEnvironmentVariableA("XDG_RUNTIME_DIR", "/run/user/1234");
    EXPECT_EQ(platform::RuntimeDirPath(), "/run/user/1234/brelvo");
    SetEnvironmentVariableA("XDG_RUNTIME_DIR", nullptr);
    EXPECT_EQ(platform::RuntimeDirPath().rfind("/tmp/brelvo-", 0), 0u);
}

TEST_F(RuntimeDirTest, IsCreatedPrivateWithItsParents)
{
    const std::string dir = Under("a/b/brelvo");
    SetEnvironmentVariableA("BRELVO_RUNTIME_DIR", dir.c_str());
    std::string path;
    ASSERT_EQ(platform::EnsureRuntimeDir(path), ERROR_SUCCESS);
    EXPECT_EQ(path, dir);
    EXPECT_TRUE(fs::is_directory(dir));
    EXPECT_EQ(Mode(dir), fs::perms::owner_all);
}

TEST_F(RuntimeDirTest, AnOpenFolderOfOursIsMadePrivate)
{
    const std::string dir = Under("open");
    fs::create_directory(dir);
    fs::permissions(dir, fs::perms::all);
    SetEnvironmentVariableA("BRELVO_RUNTIME_DIR", dir.c_str());
    std::string path;
    ASSERT_EQ(platform::EnsureRuntimeDir(path), ERROR_SUCCESS);
    EXPECT_EQ(Mode(dir), fs::perms::owner_all);
}

TEST_F(RuntimeDirTest, SymbolicLinksAndFilesAreRefused)
{
    const std::string real = Under("real");
    fs::create_directory(real);
    const std::string link = Under("link");
    fs::create_directory_symlink(real, link);
    SetEnvironmentVariableA("BRELVO_RUNTIME_DIR", link.c_str());
    std::string path;
    EXPECT_EQ(platform::EnsureRuntimeDir(path), ERROR_ACCESS_DENIED);

    const std::string file = Under("file");
    std::ofstream(file) << "x";
    SetEnvironmentVariableA("BRELVO_RUNTIME_DIR", file.c_str());
    EXPECT_EQ(platform::EnsureRuntimeDir(path), ERROR_ACCESS_DENIED);
}

TEST_F(RuntimeDirTest, AFileInTheWayOfAParentIsReported)
{
    const std::string file = Under("blocker");
    std::ofstream(file) << "x";
    SetEnvironmentVariableA("BRELVO_RUNTIME_DIR", (file + "/brelvo").c_str());
    std::string path;
    EXPECT_NE(platform::EnsureRuntimeDir(path), ERROR_SUCCESS);
}

TEST(ProcessIds, ThreadIdsDifferAndProcessIdIsStable)
{
    const DWORD mainId = GetCurrentThreadId();
    DWORD otherId = mainId;
    std::thread t([&] { otherId = GetCurrentThreadId(); });
    t.join();
    EXPECT_NE(mainId, otherId);
    EXPECT_EQ(GetCurrentProcessId(), GetCurrentProcessId());
    EXPECT_NE(GetCurrentProcessId(), 0u);
    // The main thread's id is the process id on Linux.
    EXPECT_EQ(mainId, GetCurrentProcessId());
}
