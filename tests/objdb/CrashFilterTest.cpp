// The crash filter, in processes of their own (crash_probe): a listener that
// faults during a delivery leaves a minidump, reports through the extension
// library (a stand-in built by the tests) and ends the process with 13.
#include "CustomCode/Common/cmRegistryKey.h"
#include "objdb/pjExtensionLibrary.h"
#include "platform/kernel32/ChildProcess.h"
#include "platform/kernel32/Environment.h"
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/SharedMemory.h"
#include "platform/linux/TempDirectory.h"
#include "tests/objdb/MiniDumpFile.h"
#include "tests/support/TestPaths.h"

#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <string>
#include <utility>

namespace fs = std::filesystem;
namespace md = platform::minidump;

namespace {

constexpr int kFilterStatus = 13;  // 0xBAADF00D's low byte
constexpr int kDiedOfSegv = 128 + SIGSEGV;

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// A sanitizer's own fault handlers would be the actions in place before the
// filter: the probe runs with the system's.
std::pair<std::string, std::string> WithSystemFaultActions(const char* variable)
{
    std::string options = platform::GetEnv(variable);
    options += std::string(options.empty() ? "" : ":") + "handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_sigill=0";
    return {variable, options};
}

struct ProbeRun {
    int status = -1;
    DWORD pid = 0;
    std::uintptr_t listener = 0;  // the faulting function
    std::uintptr_t stack = 0;     // a variable of the probe's main
};

// What the extension library's SealImage was called with.
struct SealCall {
    unsigned report = 0;
    std::uintptr_t fault = 0;
    std::uintptr_t address = 0;
};

class CrashFilter : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_dir.Path().empty());
        // A folder that does not exist yet: the dump makes it.
        m_dump = m_dir.Path() + "/state/brelvo/Glimmary.dmp";
        m_record = m_dir.Path() + "/seal-record";
    }

    // Where the setup names the library's folder.
    static void NameExtensionFolder(const std::string& folder)
    {
        cmRegistryKey key(HKEY_LOCAL_MACHINE, pjExtensionLibrary::kSetupKey, cmRegistryCreate::CreateMissing);
        ASSERT_EQ(key.GetWritableCopy().SetString("Directory", cmString(folder.c_str())), ERROR_SUCCESS);
    }
    static std::string ExtensionFolder() { return testsupport::BuildPath("tests/objdb/extension"); }
    static std::string Probe() { return testsupport::BuildPath("tests/objdb/crash_probe"); }

    ProbeRun Run(const char* mode)
    {
        platform::ChildProcess::Options options;
        options.workingDirectory = m_dir.Path();  // where a core file would go
        options.environment = {{"BRELVO_DUMP_FILE", m_dump},
                               {"GLIMMRX_TEST_RECORD", m_record},
                               WithSystemFaultActions("ASAN_OPTIONS"),
                               WithSystemFaultActions("TSAN_OPTIONS")};
        options.stdoutFile = m_dir.Path() + "/probe-out";
        platform::ChildProcess child;
        ProbeRun run;
        EXPECT_EQ(child.Start({Probe(), mode}, options), ERROR_SUCCESS);
        run.pid = child.GetProcessId();
        EXPECT_TRUE(child.Wait(60000, run.status)) << "crash_probe " << mode << " did not end within a minute";
        std::istringstream out(ReadAll(options.stdoutFile));
        std::string what, address;
        while (out >> what >> address) {
            if (what == "listener")
                run.listener = std::stoull(address, nullptr, 16);
            else if (what == "stack")
                run.stack = std::stoull(address, nullptr, 16);
        }
        return run;
    }

    std::optional<SealCall> Sealed() const
    {
        std::ifstream in(m_record);
        SealCall call;
        if (!(in >> call.report >> std::hex >> call.fault >> call.address))
            return std::nullopt;
        return call;
    }

    platform::ScopedTempDirectory m_dir;
    std::string m_dump;
    std::string m_record;
};

// The build id the dump gives the module must be the one in the file.
void ExpectBuildIdOf(const MiniDumpFile& dump, const md::Module& module, const std::string& path)
{
    const std::string cv = dump.Bytes(module.cvRecord);
    ASSERT_GT(cv.size(), 4u) << "no build id for " << path;
    std::uint32_t signature = 0;
    std::memcpy(&signature, cv.data(), 4);
    EXPECT_EQ(signature, md::kCvElfBuildId);
    EXPECT_NE(ReadAll(path).find("GNU" + std::string(1, '\0') + cv.substr(4)), std::string::npos)
        << "the build id is not the file's";
}

}  // namespace

TEST_F(CrashFilter, AFaultInAListenerLeavesADumpReportsAndEndsWith13)
{
    NameExtensionFolder(ExtensionFolder());
    struct Fault {
        const char* mode;
        int signal;
        unsigned report;
    };
    for (const Fault& fault : {Fault{"null", SIGSEGV, 301}, Fault{"divide", SIGFPE, 313}, Fault{"overflow", SIGSEGV, 319}}) {
        SCOPED_TRACE(fault.mode);
        fs::remove(m_dump);
        fs::remove(m_record);
        const ProbeRun run = Run(fault.mode);
        EXPECT_EQ(run.status, kFilterStatus);

        // The report: the number for the fault, the faulting instruction in
        // the listener, and the address the fault was at.
        const std::optional<SealCall> sealed = Sealed();
        ASSERT_TRUE(sealed.has_value()) << "SealImage was not called";
        EXPECT_EQ(sealed->report, fault.report);
        // Within the listener's code: a few hundred bytes in a plain build,
        // several times that with the sanitizers' checks compiled in, and the
        // stack may run out at any of the recursion's stores.
        EXPECT_GE(sealed->fault, run.listener);
        EXPECT_LT(sealed->fault, run.listener + 4096) << "not in the listener";
        if (std::strcmp(fault.mode, "null") == 0) {
            EXPECT_EQ(sealed->address, 0u) << "the null read";
        } else if (std::strcmp(fault.mode, "divide") == 0) {
            EXPECT_EQ(sealed->address, sealed->fault) << "a division faults at its instruction";
        } else {
            EXPECT_LT(sealed->address, run.stack) << "below main's frame";
            EXPECT_GT(sealed->address, run.stack - (64u << 20)) << "on the stack";
        }

        // The dump: new, this user's only, and of the fault.
        ASSERT_TRUE(fs::is_regular_file(m_dump));
        EXPECT_EQ(fs::status(m_dump).permissions(), fs::perms::owner_read | fs::perms::owner_write);
        const MiniDumpFile dump(m_dump);
        ASSERT_TRUE(dump.HasHeader());
        const auto exception = dump.Read<md::ExceptionStream>(dump.Stream(md::kException).rva);
        EXPECT_EQ(exception.exceptionRecord.exceptionCode, static_cast<std::uint32_t>(fault.signal));
        EXPECT_EQ(exception.exceptionRecord.exceptionAddress, sealed->address);
        const auto threads = dump.Read<std::uint32_t>(dump.Stream(md::kThreadList).rva);
        ASSERT_EQ(threads, 1u);
        const auto thread = dump.Read<md::Thread>(dump.Stream(md::kThreadList).rva + 4);
        EXPECT_EQ(thread.threadId, exception.threadId);
        EXPECT_EQ(thread.threadId, run.pid) << "the main thread faulted";
        const auto registers = dump.Read<md::ContextAmd64>(exception.threadContext.rva);
        EXPECT_EQ(registers.rip, sealed->fault);
        EXPECT_GT(thread.stack.memory.dataSize, 0u);
        EXPECT_GT(thread.stack.startOfMemoryRange + thread.stack.memory.dataSize, registers.rsp + 64)
            << "the stack holds the listener's frame";
        if (std::strcmp(fault.mode, "overflow") != 0) {
            EXPECT_LE(thread.stack.startOfMemoryRange, run.stack) << "and main's";
        }

        const md::Location modules = dump.Stream(md::kModuleList);
        ASSERT_GT(dump.Read<std::uint32_t>(modules.rva), 1u);
        const auto program = dump.Read<md::Module>(modules.rva + 4);
        EXPECT_EQ(dump.String(program.moduleNameRva), Probe()) << "the program comes first";
        EXPECT_GE(sealed->fault, program.baseOfImage);
        EXPECT_LT(sealed->fault, program.baseOfImage + program.sizeOfImage);
        ExpectBuildIdOf(dump, program, Probe());

        EXPECT_NE(dump.Bytes(dump.Stream(md::kLinuxMaps)).find(Probe()), std::string::npos);
        EXPECT_NE(dump.Bytes(dump.Stream(md::kLinuxProcStatus)).find("Pid:\t" + std::to_string(run.pid) + "\n"),
                  std::string::npos);
    }
}

TEST_F(CrashFilter, WithoutTheExtensionLibraryTheDumpIsStillWrittenAndTheStatusIs13)
{
    const ProbeRun run = Run("null");
    EXPECT_EQ(run.status, kFilterStatus);
    EXPECT_TRUE(fs::is_regular_file(m_dump));
    EXPECT_FALSE(Sealed().has_value());
}

TEST_F(CrashFilter, TheSharedBlockNamesTheLibraryBeforeTheSetupKey)
{
    NameExtensionFolder(m_dir.Path());  // no library there
    const std::string path = ExtensionFolder() + "/" + pjExtensionLibrary::kFileName;
    HANDLE hBlock = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096,
                                       pjExtensionLibrary::kPathMappingName);
    ASSERT_NE(hBlock, nullptr);
    void* pView = MapViewOfFile(hBlock, FILE_MAP_WRITE, 0, 0, 0);
    ASSERT_NE(pView, nullptr);
    std::memcpy(pView, path.c_str(), path.size() + 1);

    const ProbeRun run = Run("null");
    UnmapViewOfFile(pView);
    CloseHandle(hBlock);
    EXPECT_EQ(run.status, kFilterStatus);
    const std::optional<SealCall> sealed = Sealed();
    ASSERT_TRUE(sealed.has_value());
    EXPECT_EQ(sealed->report, 301u);
}

TEST_F(CrashFilter, ADumpPathThatIsASymbolicLinkIsNotFollowedAndTheFaultGoesOn)
{
    NameExtensionFolder(ExtensionFolder());
    const std::string target = m_dir.Path() + "/precious";
    std::ofstream(target) << "keep";
    fs::create_directories(fs::path(m_dump).parent_path());
    fs::create_symlink(target, m_dump);

    EXPECT_EQ(Run("null").status, kDiedOfSegv) << "the default action, as without the filter";
    EXPECT_TRUE(fs::is_symlink(m_dump));
    EXPECT_EQ(ReadAll(target), "keep");
    EXPECT_FALSE(Sealed().has_value()) << "no dump, no report";

    EXPECT_EQ(Run("chained").status, 42) << "the program's own handler gets the fault";
    EXPECT_TRUE(fs::is_symlink(m_dump));
    EXPECT_EQ(ReadAll(target), "keep");
    EXPECT_FALSE(Sealed().has_value());
}

TEST_F(CrashFilter, AFaultOutsideTheFilterIsNotOurs)
{
    NameExtensionFolder(ExtensionFolder());
    const ProbeRun run = Run("outside");
    EXPECT_EQ(run.status, kDiedOfSegv);
    EXPECT_FALSE(fs::exists(m_dump));
    EXPECT_FALSE(Sealed().has_value());
}

TEST_F(CrashFilter, LldbOpensTheDumpAtTheFaultingFunction)
{
    ASSERT_EQ(Run("null").status, kFilterStatus);
    platform::ChildProcess::Options options;
    options.stdoutFile = m_dir.Path() + "/lldb-out";
    options.stderrFile = m_dir.Path() + "/lldb-err";
    platform::ChildProcess lldb;
    if (lldb.Start({"lldb", "--batch", "--no-lldbinit", "--core", m_dump, "-o", "thread backtrace"}, options) !=
        ERROR_SUCCESS)
        GTEST_SKIP() << "lldb is not installed (Debian package lldb)";
    int status = -1;
    ASSERT_TRUE(lldb.Wait(100000, status)) << "lldb did not finish";
    const std::string out = ReadAll(options.stdoutFile);
    EXPECT_EQ(status, 0) << out << ReadAll(options.stderrFile);
    EXPECT_NE(out.find("stop reason = signal SIGSEGV"), std::string::npos) << out;
    const std::string::size_type frame0 = out.find("frame #0:");
    ASSERT_NE(frame0, std::string::npos) << out;
    const std::string firstFrame = out.substr(frame0, out.find('\n', frame0) - frame0);
    EXPECT_NE(firstFrame.find("crash_probe`"), std::string::npos) << out;
    EXPECT_NE(firstFrame.find("ListenerDereferencesNull"), std::string::npos) << out;
    EXPECT_NE(out.find("crash_probe`main"), std::string::npos) << "the stack unwinds to main:\n" << out;
}

TEST_F(CrashFilter, AListenerOfTheDatabaseThatFaultsIsReported)
{
    NameExtensionFolder(ExtensionFolder());
    const ProbeRun run = Run("database");
    EXPECT_EQ(run.status, kFilterStatus);
    EXPECT_TRUE(fs::is_regular_file(m_dump));
    const std::optional<SealCall> sealed = Sealed();
    ASSERT_TRUE(sealed.has_value());
    EXPECT_EQ(sealed->report, 301u);
    EXPECT_GE(sealed->fault, run.listener);
    EXPECT_LT(sealed->fault, run.listener + 256);
}
