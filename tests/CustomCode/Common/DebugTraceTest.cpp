// Trace guards in this process: the exact lines of entry, exit, return,
// heap check and thread id; timing of nested calls; the routine records.
// Flags words are set directly (each test runs in its own process).
#include "CustomCode/Common/cmDebugReport.h"
#include "CustomCode/Common/cmDebugSubsystems.h"
#include "CustomCode/Common/cmDebugSupport.h"
#include "CustomCode/Common/cmRegistryKey.h"
#include "platform/kernel32/ProcessIds.h"
#include "platform/user32/Clipboard.h"
#include "tests/support/LogCapture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr DWORD kTestId = 0x7E1;  // an id no module of the program uses

volatile unsigned g_sink = 0;
int g_formatted = 0;

void Work()
{
    for (int i = 0; i < 200000; ++i)
        g_sink = g_sink + static_cast<unsigned>(i);
}

HRESULT Plain()
{
    CM_TRACE_FUNCTION(kTestId, "TraceTest::Plain");
    HRESULT hr = E_FAIL;
    CM_TRACE_RETURN(hr);
}

bool Flag(bool b)
{
    CM_TRACE_FUNCTION(kTestId, "TraceTest::Flag");
    bool bBool = b;
    CM_TRACE_RETURN(bBool);
}

unsigned long long TwoWords()
{
    CM_TRACE_FUNCTION(kTestId, "TraceTest::TwoWords");
    CM_TRACE_RETURN(0x1111222233334444ull);
}

const char* Counted()
{
    ++g_formatted;
    return "text";
}

void Messages()
{
    CM_TRACE_FUNCTION(kTestId, "TraceTest::Messages");
    CM_TRACE_INFO("info %s", Counted());
    CM_TRACE_WARNING("warning %d", 2);
    CM_TRACE_DETAIL("detail");
}

HRESULT Inner()
{
    CM_TRACE_FUNCTION(kTestId, "TraceTest::Inner");
    Work();
    HRESULT hr = S_OK;
    CM_TRACE_RETURN(hr);
}

HRESULT Outer()
{
    CM_TRACE_FUNCTION(kTestId, "TraceTest::Outer");
    Work();
    Inner();
    Work();
    Inner();
    HRESULT hr = S_OK;
    CM_TRACE_RETURN(hr);
}

const cmDebugStatistics* FindRoutine(const char* name)
{
    for (const cmDebugStatistics* s = cmDebugBase::GetSharedData()->pRoutines; s != nullptr; s = s->next)
        if (s->name != nullptr && std::string(s->name) == name)
            return s;
    return nullptr;
}

std::string Hex(DWORD v)
{
    char b[16];
    std::snprintf(b, sizeof b, "%x", static_cast<unsigned>(v));
    return b;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST(DebugTrace, IsKeyPresentOnAMissingKeyWritesEntryReturnAndExit)
{
    testsupport::LogCapture log;
    cmDebugFlags<CM_DEBUG_ID_CMLIB>() = 0x18;
    EXPECT_FALSE(IsKeyPresent(HKEY_LOCAL_MACHINE, "Software\\Brelvo\\NoSuchKey"));
    const std::vector<std::string> expected = {
        "cmRegistryKey::IsKeyPresent: Entering\n",
        "cmRegistryKey::IsKeyPresent: Returning lSuccess == ERROR_SUCCESS as 0x0\n",
        "cmRegistryKey::IsKeyPresent: Exiting\n",
    };
    EXPECT_EQ(log.Lines(), expected);

    log.Clear();
    cmDebugFlags<CM_DEBUG_ID_CMLIB>() = 0x18 | CM_DEBUG_THREAD_ID;
    IsKeyPresent(HKEY_LOCAL_MACHINE, "Software\\Brelvo\\NoSuchKey");
    const std::string prefix = "cmRegistryKey::IsKeyPresent <0x" + Hex(GetCurrentThreadId()) + ">: ";
    const std::vector<std::string> withThread = {
        prefix + "Entering\n",
        prefix + "Returning lSuccess == ERROR_SUCCESS as 0x0\n",
        prefix + "Exiting\n",
    };
    EXPECT_EQ(log.Lines(), withThread);
}

TEST(DebugTrace, EachBitWritesOnlyItsOwnLines)
{
    testsupport::LogCapture log;
    cmDebugFlags<kTestId>() = 0;
    Plain();
    EXPECT_TRUE(log.Lines().empty());

    cmDebugFlags<kTestId>() = CM_DEBUG_RETURN;
    Plain();
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"TraceTest::Plain: Returning hr as 0x80004005\n"});

    log.Clear();
    cmDebugFlags<kTestId>() = CM_DEBUG_ENTRY_EXIT | CM_DEBUG_HEAP_CHECK;
    Plain();
    const std::vector<std::string> heap = {
        "TraceTest::Plain: Entering\n",
        "TraceTest::Plain: Cheak Heaps returned 0x0\n",
        "TraceTest::Plain: Cheak Heaps returned 0x0\n",
        "TraceTest::Plain: Exiting\n",
    };
    EXPECT_EQ(log.Lines(), heap);
}

TEST(DebugTrace, ReturnLinesShowFlagsByTheirLowByteAndWideValuesByTheirFirstWord)
{
    testsupport::LogCapture log;
    cmDebugFlags<kTestId>() = CM_DEBUG_RETURN;
    EXPECT_TRUE(Flag(true));
    EXPECT_FALSE(Flag(false));
    EXPECT_EQ(TwoWords(), 0x1111222233334444ull) << "the value is handed back unchanged";
    const std::vector<std::string> expected = {
        "TraceTest::Flag: Returning bBool as 0x1\n",
        "TraceTest::Flag: Returning bBool as 0x0\n",
        "TraceTest::TwoWords: Returning 0x1111222233334444ull as 0x33334444\n",
    };
    EXPECT_EQ(log.Lines(), expected);
}

TEST(DebugTrace, MessagesAreFormattedOnlyWhenTheirBitIsSet)
{
    testsupport::LogCapture log;
    cmDebugFlags<kTestId>() = 0;
    Messages();
    EXPECT_EQ(g_formatted, 0) << "no argument evaluated, nothing formatted";
    EXPECT_TRUE(log.Lines().empty());

    cmDebugFlags<kTestId>() = CM_DEBUG_INFO | CM_DEBUG_DETAIL;
    Messages();
    EXPECT_EQ(g_formatted, 1);
    const std::vector<std::string> expected = {"TraceTest::Messages: info text\n", "TraceTest::Messages: detail\n"};
    EXPECT_EQ(log.Lines(), expected);
}

TEST(DebugTrace, MessagesAreBoundedTo1024Bytes)
{
    testsupport::LogCapture log;
    cmDebugFunction<kTestId> guard("TraceTest::Long");
    guard.Print("%s", std::string(5000, 'x').c_str());
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0].size(), 1024u) << "the line with its newline fills the buffer";
    EXPECT_EQ(log.Lines()[0].back(), '\n');
}

TEST(DebugTrace, GuardsChainPerThreadAndRestoreTheChain)
{
    const cmDebugBase* before = cmDebugBase::GetCurrent();
    ASSERT_NE(before, nullptr) << "the main thread's chain starts with the log subsystems";
    EXPECT_EQ(before, &g_dbgNotifierUtility) << "the last one constructed is innermost";
    {
        cmDebugFunction<kTestId> outer("A");
        EXPECT_EQ(cmDebugBase::GetCurrent(), &outer);
        EXPECT_EQ(outer.GetParent(), before);
        {
            cmDebugFunction<CM_DEBUG_ID_CMLIB> inner("B");
            EXPECT_EQ(inner.GetParent(), &outer);
        }
        EXPECT_EQ(cmDebugBase::GetCurrent(), &outer);
    }
    EXPECT_EQ(cmDebugBase::GetCurrent(), before);

    // The subsystems chain in start-up order.
    EXPECT_EQ(g_dbgNotifierUtility.GetParent(), &g_dbgPjObj);
    EXPECT_EQ(g_dbgCmLib.GetParent(), &g_dbgCmLock);
    EXPECT_EQ(g_dbgCmLock.GetParent(), nullptr);
}

TEST(DebugTrace, OuterRawMinusCookedIsWhatItsChildrenTook)
{
    testsupport::LogCapture log;
    cmDebugFlags<kTestId>() = CM_DEBUG_TIMING;
    Outer();
    const cmDebugStatistics* outer = FindRoutine("TraceTest::Outer");
    const cmDebugStatistics* inner = FindRoutine("TraceTest::Inner");
    ASSERT_NE(outer, nullptr);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(outer->invocations, 1u);
    EXPECT_EQ(inner->invocations, 2u);
    EXPECT_GT(inner->rawWallTicks, 0u);
    EXPECT_EQ(outer->rawWallTicks - outer->cookedWallTicks, inner->rawWallTicks);
    EXPECT_EQ(inner->rawWallTicks, inner->cookedWallTicks) << "the inner call has no children";
    EXPECT_EQ(outer->rawUserTime - outer->cookedUserTime, inner->rawUserTime);
    EXPECT_EQ(outer->rawKernelTime - outer->cookedKernelTime, inner->rawKernelTime);

    // Each guard writes its six duration lines, in order.
    const std::regex ex("TraceTest::(Inner|Outer): ExDur: Raw: \\d+ms User, \\d+ms Kernel  Cooked: \\d+ms User, \\d+ms Kernel\n");
    const std::regex exSub("TraceTest::(Inner|Outer): ExDurSubsys: Raw: \\d+ms User, \\d+ms Kernel  Cooked: \\d+ms User, \\d+ms Kernel\n");
    const std::regex exFunc("TraceTest::(Inner|Outer): ExDurFunc: Raw: \\d+ms User, \\d+ms Kernel  Cooked: \\d+ms User, \\d+ms Kernel\n");
    const std::regex wallFunc("TraceTest::(Inner|Outer): WallDurFunc: Raw: \\d+ms      Cooked: \\d+ms\\.\n");
    const std::regex wall("TraceTest::(Inner|Outer): WallDur: Raw: \\d+ms      Cooked: \\d+ms\\.\n");
    const std::regex wallSub("TraceTest::(Inner|Outer): WallDurSubsys: Raw: \\d+ms      Cooked: \\d+ms\\.\n");
    const std::vector<std::string>& lines = log.Lines();
    ASSERT_EQ(lines.size(), 18u);
    for (std::size_t i = 0; i < lines.size(); i += 6) {
        EXPECT_TRUE(std::regex_match(lines[i], ex)) << lines[i];
        EXPECT_TRUE(std::regex_match(lines[i + 1], exSub)) << lines[i + 1];
        EXPECT_TRUE(std::regex_match(lines[i + 2], exFunc)) << lines[i + 2];
        EXPECT_TRUE(std::regex_match(lines[i + 3], wallFunc)) << lines[i + 3];
        EXPECT_TRUE(std::regex_match(lines[i + 4], wall)) << lines[i + 4];
        EXPECT_TRUE(std::regex_match(lines[i + 5], wallSub)) << lines[i + 5];
    }
    EXPECT_EQ(lines[0].rfind("TraceTest::Inner", 0), 0u);
    EXPECT_EQ(lines[12].rfind("TraceTest::Outer", 0), 0u) << "the outer guard ends last";

    // The subsystem totals of the id hold every guard's raw wall time.
    const cmDebugSubsystemState& state = cmDebugFunction<kTestId>::State();
    EXPECT_EQ(state.totals.rawWallTicks, outer->rawWallTicks + inner->rawWallTicks);
}

TEST(DebugTrace, EveryTracedRoutineIsRegisteredOnceAndCounted)
{
    cmDebugFlags<kTestId>() = 0;
    Plain();
    Plain();
    Plain();
    const cmDebugStatistics* plain = FindRoutine("TraceTest::Plain");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->invocations, 3u);
    int seen = 0;
    for (const cmDebugStatistics* s = cmDebugBase::GetSharedData()->pRoutines; s != nullptr; s = s->next)
        seen += (s->name != nullptr && std::string(s->name) == "TraceTest::Plain");
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(plain->rawWallTicks, 0u) << "nothing timed with the timing bit clear";
}

TEST(DebugTrace, TheSharedBlockHoldsTheChainSlotAndTheLists)
{
    const cmDebugSharedData_V2* d = cmDebugBase::GetSharedData();
    EXPECT_EQ(d->dwVersion, 3u);
    EXPECT_GE(d->dwUseCount, 1u);
    // The subsystem totals list: one record per id, named by the last subsystem of the id.
    std::vector<std::string> names;
    for (const cmDebugStatistics* s = d->pSubsystems; s != nullptr; s = s->next)
        names.push_back(s->name);
    const std::vector<std::string> expected = {"pjObj", "NOTIFIER_UTILITY", "BSU_NOTIFIER", "cmlib", "cmLock"};
    EXPECT_EQ(names, expected);
}

namespace {
std::string g_clipboard;
bool CatchClipboard(const std::string& text)
{
    g_clipboard = text;
    return true;
}
}  // namespace

TEST(DebugTrace, TheStatisticsReportGoesToTheClipboardOrBesideTheLogFile)
{
    cmDebugFlags<kTestId>() = CM_DEBUG_TIMING;
    Outer();
    const std::string report = cmDebugStatisticsReport().GetText();
    const std::string subsystemHeader =
        "Subsystem\t\tRaw User\tRaw Kernel\tCooked User\tCooked Kernel\tRaw Wall\tCooked Wall\n";
    const std::string routineHeader =
        "\n\n\nRoutine\tInvocations\tRaw User\tRaw Kernel\tCooked User\tCooked Kernel\tRaw Wall\tCooked Wall\n";
    EXPECT_EQ(report.rfind(subsystemHeader, 0), 0u);
    EXPECT_NE(report.find("\nNOTIFIER_UTILITY\t\t"), std::string::npos);
    const std::string::size_type routines = report.find(routineHeader);
    ASSERT_NE(routines, std::string::npos);
    EXPECT_TRUE(std::regex_search(report.substr(routines), std::regex("\nTraceTest::Inner\t2(\t\\d+){6}\n")));
    EXPECT_LT(report.find("TraceTest::Inner\t"), report.find("TraceTest::Outer\t"))
        << "newest registration first: Inner registered after Outer";

    // No GUI: a file beside the log file.
    const std::string log = std::getenv("BRELVO_LOG_FILE");
    const std::string file = log.substr(0, log.rfind('/') + 1) + "statistics.txt";
    EXPECT_EQ(cmDebugWriteStatisticsReport(), S_OK);
    EXPECT_EQ(ReadAll(file).rfind(subsystemHeader, 0), 0u);
    std::filesystem::remove(file);

    platform::SetClipboardTextWriter(&CatchClipboard);
    EXPECT_EQ(cmDebugWriteStatisticsReport(), S_OK);
    platform::SetClipboardTextWriter(nullptr);
    EXPECT_EQ(g_clipboard.rfind(subsystemHeader, 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(file));
}
