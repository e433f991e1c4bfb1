// The files diagnostics go to: default path, per-line appends, and refusal
// to write through symbolic links or into anything but a regular file.
#include "platform/kernel32/Environment.h"
#include "platform/kernel32/WinError.h"
#include "platform/linux/LogFile.h"
#include "platform/linux/TempDirectory.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Restores an environment variable when the test ends.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name), m_old(platform::GetEnv(name)), m_had(std::getenv(name) != nullptr)
    {
        SetEnvironmentVariableA(name, value);
    }
    ~ScopedEnv() { SetEnvironmentVariableA(m_name, m_had ? m_old.c_str() : nullptr); }

private:
    const char* m_name;
    std::string m_old;
    bool m_had;
};

}  // namespace

TEST(LogFile, DefaultPathFollowsTheEnvironment)
{
    {
        ScopedEnv log("BRELVO_LOG_FILE", "/some/where/log.txt");
        EXPECT_EQ(platform::DefaultLogFilePath(), "/some/where/log.txt");
    }
    ScopedEnv log("BRELVO_LOG_FILE", nullptr);
    {
        ScopedEnv state("XDG_STATE_HOME", "/state");
        EXPECT_EQ(platform::DefaultLogFilePath(), "/state/brelvo/logfile");
    }
    ScopedEnv state("XDG_STATE_HOME", nullptr);
    ScopedEnv home("HOME", "/home/someone");
    EXPECT_EQ(platform::DefaultLogFilePath(), "/home/someone/.local/state/brelvo/logfile");
}

TEST(LogFile, AppendsCreateThePrivateFileAndItsFolders)
{
    platform::ScopedTempDirectory dir;
    const fs::path file = fs::path(dir.Path()) / "a" / "b" / "logfile";
    ASSERT_TRUE(platform::AppendToLogFile(file.string(), "one\n", 4));
    ASSERT_TRUE(platform::AppendToLogFile(file.string(), "two\n", 4));
    EXPECT_EQ(ReadAll(file), "one\ntwo\n");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(file.parent_path()).permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST(LogFile, NothingIsWrittenThroughASymbolicLink)
{
    platform::ScopedTempDirectory dir;
    const fs::path target = fs::path(dir.Path()) / "target";
    const fs::path link = fs::path(dir.Path()) / "logfile";
    std::ofstream(target) << "precious\n";
    fs::create_symlink(target, link);
    EXPECT_FALSE(platform::AppendToLogFile(link.string(), "x\n", 2));
    EXPECT_EQ(ReadAll(target), "precious\n");
    EXPECT_TRUE(fs::is_symlink(link));

    platform::NewTextFile f;
    EXPECT_EQ(f.Create(link.string()), ERROR_BAD_PATHNAME);
    EXPECT_EQ(ReadAll(target), "precious\n") << "not truncated through the link";
}

TEST(LogFile, OnlyRegularFilesAreWritten)
{
    platform::ScopedTempDirectory dir;
    EXPECT_FALSE(platform::AppendToLogFile(dir.Path(), "x\n", 2)) << "a folder";
    EXPECT_FALSE(platform::AppendToLogFile("/dev/null", "x\n", 2)) << "a device";
    EXPECT_FALSE(platform::AppendToLogFile("", "x\n", 2));
}

TEST(LogFile, NewTextFileStartsEmpty)
{
    platform::ScopedTempDirectory dir;
    const fs::path file = fs::path(dir.Path()) / "report.txt";
    std::ofstream(file) << "old content that is longer";
    platform::NewTextFile f;
    ASSERT_EQ(f.Create(file.string()), ERROR_SUCCESS);
    ASSERT_EQ(f.Write("new", 3), ERROR_SUCCESS);
    f.Close();
    EXPECT_EQ(ReadAll(file), "new");
    EXPECT_EQ(f.Write("x", 1), ERROR_INVALID_HANDLE);
}
