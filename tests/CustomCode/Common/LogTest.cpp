// The log call and its sinks: bounds, the file sink, the memory ring and its
// dump, sink registration, and the checks that write whatever the flags say.
#include "CustomCode/Common/cmChecks.h"
#include "CustomCode/Common/cmDebugSupport.h"
#include "CustomCode/Common/cmLog.h"
#include "platform/kernel32/LastError.h"
#include "platform/linux/TempDirectory.h"
#include "tests/support/LogCapture.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

HRESULT CheckedCopy(const char* szFileName, int nOffset, int nLength)
{
    CM_TRACE_FUNCTION(0x7E2, "LogTest::CheckedCopy");
    CM_CHECK_ARG(szFileName!=NULL);
    CM_CHECK_ARG((nOffset<=nLength));
    CM_CHECK_STATE(nLength != 0);
    HRESULT hr = S_OK;
    CM_TRACE_RETURN(hr);
}

// Removes every sink the test registered, also when an expectation fails.
struct SinkCleanup {
    ~SinkCleanup() { RemoveLogOutput(nullptr); }
};

}  // namespace

TEST(Log, NothingIsWrittenWithoutASinkAndLinesAreBounded)
{
    EXPECT_EQ(cmLogGetOutputCount(), 0u) << "no sink asked for by the store";
    cmLogPrint("%s", "lost");  // must not crash or go anywhere

    testsupport::LogCapture log;
    cmLogPrint("%s", std::string(3000, 'y').c_str());
    cmLogPrint("%d-%s", 7, "x");
    cmLogPrintNoNewline("no newline");
    ASSERT_EQ(log.Lines().size(), 3u);
    EXPECT_EQ(log.Lines()[0], std::string(1023, 'y') + "\n");
    EXPECT_EQ(log.Lines()[1], "7-x\n");
    EXPECT_EQ(log.Lines()[2], "no newline");
}

TEST(Log, ChecksWriteTheirLineWithEveryFlagClear)
{
    testsupport::LogCapture log;
    cmDebugFlags<0x7E2>() = 0;
    EXPECT_EQ(CheckedCopy(nullptr, 0, 1), E_INVALIDARG);
    EXPECT_EQ(CheckedCopy("f", 2, 1), E_INVALIDARG);
    EXPECT_EQ(CheckedCopy("f", 0, 0), E_UNEXPECTED);
    EXPECT_EQ(CheckedCopy("f", 0, 1), S_OK);
    const std::vector<std::string> expected = {
        "INVALID ARG: Evaluation of 'szFileName!=NULL' failed.  Returning E_INVALIDARG.\n",
        "INVALID ARG: Evaluation of '(nOffset<=nLength)' failed.  Returning E_INVALIDARG.\n",
        "INVALID STATE: Evaluation of 'nLength != 0' failed.  Returning E_UNEXPECTED.\n",
    };
    EXPECT_EQ(log.Lines(), expected);
}

TEST(Log, TheFileSinkAppendsEachLineAndAFinalNewlineGivesAnEmptyLine)
{
    SinkCleanup cleanup;
    platform::ScopedTempDirectory dir;
    const fs::path file = fs::path(dir.Path()) / "logs" / "logfile";
    AddLogOutput(new cmLogOutputLogFile(file.string().c_str()));
    cmLogPrint("first");
    cmLogPrint("second\n");
    cmLogPrint("third");
    EXPECT_EQ(ReadAll(file), "first\nsecond\n\nthird\n");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

TEST(Log, TheFileSinkNeverWritesThroughASymbolicLink)
{
    SinkCleanup cleanup;
    platform::ScopedTempDirectory dir;
    const fs::path target = fs::path(dir.Path()) / "elsewhere";
    const fs::path link = fs::path(dir.Path()) / "logfile";
    std::ofstream(target) << "keep\n";
    fs::create_symlink(target, link);
    AddLogOutput(new cmLogOutputLogFile(link.string().c_str()));
    cmLogPrint("planted");
    EXPECT_EQ(ReadAll(target), "keep\n");
    EXPECT_TRUE(fs::is_symlink(link));
}

TEST(Log, TheDefaultFileSinkUsesTheEnvironmentsLogFile)
{
    SinkCleanup cleanup;
    AddLogOutput(nullptr);
    ASSERT_EQ(cmLogGetOutputCount(), 2u);
    EXPECT_NE(dynamic_cast<cmLogOutputDebugString*>(cmLogGetOutput(0)), nullptr);
    auto* file = dynamic_cast<cmLogOutputLogFile*>(cmLogGetOutput(1));
    ASSERT_NE(file, nullptr);
    EXPECT_STREQ(file->GetPath().GetText(), std::getenv("BRELVO_LOG_FILE"));
    RemoveLogOutput(cmLogGetOutput(0));
    ASSERT_EQ(cmLogGetOutputCount(), 1u);
    EXPECT_EQ(cmLogGetOutput(0), file);
    cmLogPrint("to the default file");
    EXPECT_EQ(ReadAll(std::getenv("BRELVO_LOG_FILE")), "to the default file\n");
    RemoveLogOutput(nullptr);
    EXPECT_EQ(cmLogGetOutputCount(), 0u);
}

TEST(Log, TheRingKeepsTheLast500LinesAndTheDumpStartsAtSlot0)
{
    SinkCleanup cleanup;
    AddLogOutput(new cmLogToInMemoryStore);
    for (int i = 1; i <= 501; ++i)
        cmLogPrint("line %d", i);
    EXPECT_STREQ(cmLogToInMemoryStore::GetStoredLine(0).GetText(), "line 501\n");
    EXPECT_STREQ(cmLogToInMemoryStore::GetStoredLine(1).GetText(), "line 2\n");
    EXPECT_STREQ(cmLogToInMemoryStore::GetStoredLine(499).GetText(), "line 500\n");
    EXPECT_STREQ(cmLogToInMemoryStore::GetStoredLine(500).GetText(), "") << "outside the ring";

    platform::ScopedTempDirectory dir;
    const fs::path dump = fs::path(dir.Path()) / "dump.txt";
    std::ofstream(dump) << "older content that must go";
    ASSERT_EQ(DumpLogStore(dump.string().c_str()), S_OK);
    std::string expected = "line 501\n";
    for (int i = 2; i <= 500; ++i)
        expected += "line " + std::to_string(i) + "\n";
    EXPECT_EQ(ReadAll(dump), expected);
}

TEST(Log, ADumpThatCannotBeCreatedWritesTheFailedCallLine)
{
    testsupport::LogCapture log;
    platform::ScopedTempDirectory dir;
    const std::string path = dir.Path() + "/missing/folder/dump.txt";
    EXPECT_EQ(DumpLogStore(path.c_str()), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    ASSERT_EQ(log.Lines().size(), 1u);
    const std::string line = log.Lines()[0];
    EXPECT_NE(line.find("cmLog.cpp("), std::string::npos) << line;
    EXPECT_NE(line.find("): 'INVALID_HANDLE_VALUE == hFile' returned 0x80070003 ('The system cannot find the path "
                        "specified.')\n\n"),
              std::string::npos)
        << line;
}

TEST(Log, TheDumpIsPrivateAndNeverWrittenThroughALink)
{
    platform::ScopedTempDirectory dir;
    const fs::path dump = fs::path(dir.Path()) / "dump.txt";
    ASSERT_EQ(DumpLogStore(dump.string().c_str()), S_OK);
    EXPECT_EQ(fs::status(dump).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

    // A link planted at the path: refused, and its target stays as it was.
    const fs::path target = fs::path(dir.Path()) / "target.txt";
    std::ofstream(target) << "keep";
    const fs::path link = fs::path(dir.Path()) / "planted.txt";
    fs::create_symlink(target, link);
    testsupport::LogCapture log;
    EXPECT_TRUE(FAILED(DumpLogStore(link.string().c_str())));
    EXPECT_EQ(ReadAll(target), "keep");
    EXPECT_EQ(log.Lines().size(), 1u) << "the failed-call line";
}

TEST(Log, ConcurrentWritersFillTheRingWithWholeLines)
{
    SinkCleanup cleanup;
    AddLogOutput(new cmLogToInMemoryStore);
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back([t] {
            for (int i = 0; i < 1000; ++i)
                cmLogPrint("writer %d line %d", t, i);
        });
    for (std::thread& w : writers)
        w.join();
    std::set<std::string> distinct;
    for (int i = 0; i < cmLogToInMemoryStore::kSlots; ++i) {
        const std::string s = cmLogToInMemoryStore::GetStoredLine(i).GetText();
        ASSERT_EQ(s.rfind("writer ", 0), 0u) << "slot " << i << ": '" << s << "'";
        ASSERT_EQ(s.back(), '\n');
        distinct.insert(s);
    }
    EXPECT_GT(distinct.size(), 1u);
}

TEST(Log, EachSinkKindIsRegisteredOnceByTheFirstThatAsks)
{
    SinkCleanup cleanup;
    platform::ScopedTempDirectory dir;
    const std::string file = dir.Path() + "/own.log";
    // The start-up of this process asked for no sink, so every kind is still new.
    cmLogRegisterSinks(0x20000000u | 0x1u, file.c_str());
    cmLogRegisterSinks(0x70000000u, nullptr);
    cmLogRegisterSinks(0x70000000u, nullptr);
    ASSERT_EQ(cmLogGetOutputCount(), 3u);
    auto* f = dynamic_cast<cmLogOutputLogFile*>(cmLogGetOutput(0));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::string(f->GetPath().GetText()), file) << "the path of the subsystem that registered it";
    EXPECT_NE(dynamic_cast<cmLogOutputDebugString*>(cmLogGetOutput(1)), nullptr);
    EXPECT_NE(dynamic_cast<cmLogToInMemoryStore*>(cmLogGetOutput(2)), nullptr) << "debugger, then memory";
}
