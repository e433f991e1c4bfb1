// The start-up of the log subsystems, seen from a fresh process (the
// debug_probe program): flags read from and created in the store, the sinks
// they register and in which order, and the id shared by several subsystems.
#include "CustomCode/Common/cmRegistryKey.h"
#include "CustomCode/Common/cmRegistryLayout.h"
#include "platform/kernel32/ChildProcess.h"
#include "platform/kernel32/Environment.h"
#include "platform/linux/TempDirectory.h"
#include "tests/support/TestPaths.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct ProbeRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Each test gets a store, a log file and output files of its own; the probe
// inherits them through the environment.
class DebugStartup : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_dir.Path().empty());
        m_store = m_dir.Path() + "/store.sqlite";
        m_log = m_dir.Path() + "/state/brelvo/logfile";
        m_savedStore = platform::GetEnv("BRELVO_REGISTRY");
        m_savedLog = platform::GetEnv("BRELVO_LOG_FILE");
        SetEnvironmentVariableA("BRELVO_REGISTRY", m_store.c_str());
        SetEnvironmentVariableA("BRELVO_LOG_FILE", m_log.c_str());
    }
    void TearDown() override
    {
        SetEnvironmentVariableA("BRELVO_REGISTRY", m_savedStore.c_str());
        SetEnvironmentVariableA("BRELVO_LOG_FILE", m_savedLog.c_str());
        SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", nullptr);
    }

    void SetLevel(const char* name, DWORD value)
    {
        cmRegistryKey key(HKEY_LOCAL_MACHINE, szAppLogLevelsKey, cmRegistryCreate::CreateMissing);
        ASSERT_EQ(key.GetWritableCopy().SetDword(name, value), ERROR_SUCCESS);
    }

    ProbeRun Run(const std::vector<std::string>& commands)
    {
        ProbeRun r;
        const std::string err = m_dir.Path() + "/stderr";
        std::vector<std::string> argv = {"sh", "-c", "exec \"$@\" 2>\"$PROBE_STDERR\"", "sh",
                                         testsupport::BuildPath("tests/CustomCode/Common/debug_probe")};
        argv.insert(argv.end(), commands.begin(), commands.end());
        platform::ChildProcess::Options opt;
        opt.environment = {{"PROBE_STDERR", err}};
        opt.stdoutFile = m_dir.Path() + "/stdout";
        platform::ChildProcess child;
        EXPECT_EQ(child.Start(argv, opt), ERROR_SUCCESS);
        EXPECT_TRUE(child.Wait(30000, r.exitCode));
        r.out = ReadAll(opt.stdoutFile);
        r.err = ReadAll(err);
        return r;
    }

    platform::ScopedTempDirectory m_dir;
    std::string m_store, m_log, m_savedStore, m_savedLog;
};

const std::vector<std::string> kNames = {"cmLock", "cmlib", "BSU_NOTIFIER", "NOTIFIER_BSU_DATA", "Tester",
                                         "tcConfigFileData", "NOTIFIER_ARBITER", "pjObj", "NOTIFIER_UTILITY"};

}  // namespace

TEST_F(DebugStartup, AFirstRunCreatesOneZeroPerSubsystemAndWritesNothing)
{
    ASSERT_FALSE(IsKeyPresent(HKEY_LOCAL_MACHINE, szAppLogLevelsKey));
    const ProbeRun r = Run({"print", "hello", "trace", "keypresent"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(fs::exists(m_log));

    cmRegistryKey key(HKEY_LOCAL_MACHINE, szAppLogLevelsKey);
    ASSERT_TRUE(key.IsOpen());
    std::vector<std::string> names;
    for (DWORD i = 0;; ++i) {
        const cmString name = key.EnumValueName(i);
        if (key.GetStatus() != ERROR_SUCCESS)
            break;
        names.emplace_back(name.GetText());
        DWORD type = 0, size = 0;
        EXPECT_EQ(RegQueryValueExA(key.GetHandle(), name.GetText(), nullptr, &type, nullptr, &size), ERROR_SUCCESS);
        EXPECT_EQ(type, REG_DWORD) << name.GetText();
        EXPECT_EQ(key.QueryDword(name.GetText()), 0u) << name.GetText();
    }
    EXPECT_EQ(names, kNames) << "in start-up order, the shared name once";

    // A second run reads them and changes nothing.
    EXPECT_EQ(Run({"flags"}).out, "0x40A=0x0 0x10=0x0 0=0x0 0x11=0x0 0x100=0x0\n");
}

TEST_F(DebugStartup, AReadOnlyStoreLeavesLoggingOff)
{
    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", "1");
    const ProbeRun r = Run({"flags", "print", "x"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "0x40A=0x0 0x10=0x0 0=0x0 0x11=0x0 0x100=0x0\n");
    EXPECT_EQ(r.err, "");
    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", nullptr);
    EXPECT_FALSE(IsKeyPresent(HKEY_LOCAL_MACHINE, szAppLogLevelsKey));
}

TEST_F(DebugStartup, AValueOfAnotherTypeCountsAsMissingAndIsReplacedByZero)
{
    {
        cmRegistryKey key(HKEY_LOCAL_MACHINE, szAppLogLevelsKey, cmRegistryCreate::CreateMissing);
        ASSERT_EQ(key.GetWritableCopy().SetString("cmlib", cmString("0x10000018")), ERROR_SUCCESS);
    }
    const ProbeRun r = Run({"flags", "keypresent"});
    EXPECT_EQ(r.out, "0x40A=0x0 0x10=0x0 0=0x0 0x11=0x0 0x100=0x0\n");
    EXPECT_EQ(r.err, "");
    cmRegistryKey key(HKEY_LOCAL_MACHINE, szAppLogLevelsKey);
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExA(key.GetHandle(), "cmlib", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(key.QueryDword("cmlib"), 0u);
}

TEST_F(DebugStartup, SinksComeInTheOrderOfTheSubsystemsThatAskFirst)
{
    SetLevel("cmlib", 0x10000000);
    SetLevel("NOTIFIER_UTILITY", 0x30000000);
    const ProbeRun r = Run({"sinks", "print", "one line"});
    EXPECT_EQ(r.out, "debugger\nfile " + m_log + "\n") << "debugger by cmlib, then the file by NOTIFIER_UTILITY";
    EXPECT_EQ(r.err, "one line\n");
    EXPECT_EQ(ReadAll(m_log), "one line\n");
}

TEST_F(DebugStartup, OneFileSinkReceivesTheLinesOfEverySubsystem)
{
    SetLevel("cmlib", 0x20000001);
    SetLevel("pjObj", 0x20000000);
    SetLevel("NOTIFIER_UTILITY", 0x40000018);
    const ProbeRun r = Run({"sinks", "trace", "keypresent"});
    EXPECT_EQ(r.out, "file " + m_log + "\nmemory\n");
    EXPECT_EQ(ReadAll(m_log), "Probe::Run: Entering\nProbe::Run: Returning hr as 0x0\nProbe::Run: Exiting\n")
        << "id 0x100 writes to the file that cmlib asked for; cmlib itself has no entry/exit bit";
}

TEST_F(DebugStartup, TheLastSubsystemOfASharedIdGovernsIt)
{
    SetLevel("cmlib", 0x10000000);
    SetLevel("NOTIFIER_ARBITER", 0x18);
    SetLevel("NOTIFIER_UTILITY", 0);
    ProbeRun r = Run({"flags", "trace"});
    EXPECT_EQ(r.out, "0x40A=0x0 0x10=0x10000000 0=0x0 0x11=0x0 0x100=0x0\n");
    // The NOTIFIER_UTILITY object is itself a guard and began under the
    // arbiter's flags; from then on its own 0 governs the id.
    EXPECT_EQ(r.err, "NOTIFIER_UTILITY: Entering\n") << "no line of Probe::Run";

    SetLevel("NOTIFIER_ARBITER", 0);
    SetLevel("NOTIFIER_UTILITY", 0x18);
    r = Run({"trace"});
    EXPECT_EQ(r.err, "Probe::Run: Entering\nProbe::Run: Returning hr as 0x0\nProbe::Run: Exiting\n");
}

TEST_F(DebugStartup, StoredFlagsTraceIsKeyPresentWithTheThreadId)
{
    SetLevel("cmlib", 0x10100018);
    const ProbeRun r = Run({"keypresent"});
    const std::string p = "cmRegistryKey::IsKeyPresent <0x[0-9a-f]+>: ";
    EXPECT_TRUE(std::regex_match(r.err, std::regex(p + "Entering\n" + p +
                                                    "Returning lSuccess == ERROR_SUCCESS as 0x0\n" + p + "Exiting\n")))
        << r.err;
}
