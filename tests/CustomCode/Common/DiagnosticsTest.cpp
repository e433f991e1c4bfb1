// Result errors and their texts, the failed-call line, stack traces as text,
// the traced reference count and the cross-module block.
#include "CustomCode/Common/cmChecks.h"
#include "CustomCode/Common/cmComError.h"
#include "CustomCode/Common/cmCrossModule.h"
#include "CustomCode/Common/cmDebugSubsystems.h"
#include "CustomCode/Common/cmRefCountEx.h"
#include "CustomCode/Common/cmStackTrace.h"
#include "platform/kernel32/LastError.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

HRESULT RaisesInside(HRESULT failure)
{
    CM_TRACE_FUNCTION(0x7E3, "DiagTest::RaisesInside");
    HRESULT hr = S_OK;
    try {
        cmRaiseError(S_FALSE);  // success codes pass
        cmRaiseError(failure);
    } catch (const _com_error& e) {
        CM_TRACE_COM_ERROR(e);
        hr = e.Error();
    }
    CM_TRACE_RETURN(hr);
}

volatile int g_sink = 0;
cmString g_trace;

__attribute__((noinline)) void TraceLevel3()
{
    g_trace = cmGetStackTrace(3);
    g_sink = g_sink + 1;
}
__attribute__((noinline)) void TraceLevel2()
{
    TraceLevel3();
    g_sink = g_sink + 1;
}
__attribute__((noinline)) void TraceLevel1()
{
    TraceLevel2();
    g_sink = g_sink + 1;
}

class CTracked : public cmRefCountEx {
public:
    CTracked() : cmRefCountEx(cmRefTracking::On) {}
};

struct TestRecord {
    DWORD dwMagic;
    DWORD dwInitialisations;
    DWORD dwUseCount;
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        out.push_back(l);
    return out;
}

}  // namespace

TEST(ComError, MessagesComeFromTheSystemTableOrAFixedFallBack)
{
    EXPECT_STREQ(_com_error(E_FAIL).ErrorMessage(), "Unspecified error");
    EXPECT_STREQ(_com_error(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)).ErrorMessage(), "Access is denied.");
    EXPECT_STREQ(_com_error(MakeHresult(0x80040201u)).ErrorMessage(), "IDispatch error #1");
    EXPECT_STREQ(_com_error(MakeHresult(0x8004FFFFu)).ErrorMessage(), "IDispatch error #65023");
    EXPECT_STREQ(_com_error(MakeHresult(0x8123ABCDu)).ErrorMessage(), "Unknown error 0x8123ABCD");
    EXPECT_EQ(_com_error(E_OUTOFMEMORY).Error(), E_OUTOFMEMORY);
}

TEST(ComError, ARaisedErrorIsCaughtInTheOperationAndReportedAsWarning)
{
    testsupport::LogCapture log;
    cmDebugFlags<0x7E3>() = 0;
    EXPECT_EQ(RaisesInside(E_ACCESSDENIED), E_ACCESSDENIED);
    EXPECT_TRUE(log.Lines().empty());
    cmDebugFlags<0x7E3>() = CM_DEBUG_WARNING;
    EXPECT_EQ(RaisesInside(E_ACCESSDENIED), E_ACCESSDENIED);
    EXPECT_EQ(log.Lines(),
              std::vector<std::string>{"DiagTest::RaisesInside: error -2147024891 <message> <Access is denied.>\n"});
}

TEST(FailedCall, TheLineNamesThePlaceTheConditionAndTheLastError)
{
    testsupport::LogCapture log;
    [[maybe_unused]] void* hFile = nullptr;
    SetLastError(ERROR_FILE_NOT_FOUND);
    const int line = __LINE__ + 1;
    const HRESULT hr = CM_LOG_FAILED_CALL(NULL == hFile);
    EXPECT_EQ(hr, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    const std::string expected = std::string(__FILE__) + "(" + std::to_string(line) +
                                 "): 'NULL == hFile' returned 0x80070002 ('The system cannot find the file "
                                 "specified.')\n\n";
    EXPECT_EQ(log.Lines(), std::vector<std::string>{expected});

    log.Clear();
    SetLastError(0);
    EXPECT_EQ(CM_LOG_FAILED_CALL(!bWritten), S_OK) << "0 stays as it is";
    EXPECT_NE(log.Lines().at(0).find("'!bWritten' returned 0x0 ('The operation completed successfully.')"),
              std::string::npos);
}

TEST(StackTraceText, FramesNameTheCallChainInTheFixedFormat)
{
    TraceLevel1();
    const std::vector<std::string> lines = Lines(g_trace.GetText());
    ASSERT_EQ(lines.size(), 3u) << g_trace.GetText();
    const std::regex frame("(.+)\\((\\d+)\\): (.+)\\+0x[0-9a-f]+\\([0-9a-f]+, [0-9a-f]+, [0-9a-f]+, [0-9a-f]+\\)");
    const char* names[] = {"(anonymous namespace)::TraceLevel3", "(anonymous namespace)::TraceLevel2",
                           "(anonymous namespace)::TraceLevel1"};
    for (int i = 0; i < 3; ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(lines[i], m, frame)) << lines[i];
        EXPECT_NE(m[1].str().find("DiagnosticsTest.cpp"), std::string::npos);
        EXPECT_EQ(m[3].str(), names[i]);
    }
}

TEST(StackTraceText, AContextThatNamesNoInstructionGivesNoTrace)
{
    // A signal context whose registers are all zero points at no code: there
    // is no frame to start from, and the trace says so instead of walking
    // from somewhere else.
    alignas(16) static const unsigned char zeroContext[4096] = {};
    EXPECT_EQ(std::string(cmGetStackTrace(-1, zeroContext).GetText()), "No Trace Available.");
    EXPECT_EQ(std::string(cmGetStackTrace(5, zeroContext).GetText()), "No Trace Available.");
}

TEST(RefCountEx, TrackingKeepsATraceOfEveryChangeAndReportsTheLifetime)
{
    testsupport::LogCapture log;
    cmDebugFlags<CM_DEBUG_ID_CMLIB>() = CM_DEBUG_WARNING;
    auto* p = new CTracked;
    EXPECT_TRUE(p->IsTracking());
    p->AddRef();
    p->AddRef();
    p->Release();
    const std::vector<std::string> texts = p->GetTrackingTexts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].rfind("\nIncrement: \n", 0), 0u);
    EXPECT_EQ(texts[2].rfind("\nDecrement: \n", 0), 0u);
    EXPECT_NE(texts[0].find("RefCountEx_TrackingKeepsATraceOfEveryChangeAndReportsTheLifetime_Test::TestBody"),
              std::string::npos)
        << texts[0];
    EXPECT_TRUE(log.Lines().empty());
    std::ostringstream address;
    // The line's format has 32 bits for the address: its low half on this system.
    address << "0x" << std::hex << static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(p));
    p->Release();  // the last reference: a fourth text, then the report
    const std::vector<std::string>& lines = log.Lines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "cmRefCountEx::~cmRefCountEx: Lifetime for ??? at " + address.str() + ":\n");
    EXPECT_EQ(lines[1].rfind("cmRefCountEx::~cmRefCountEx: \t\nIncrement: \n", 0), 0u);
    EXPECT_EQ(lines[4].rfind("cmRefCountEx::~cmRefCountEx: \t\nDecrement: \n", 0), 0u);
}

TEST(RefCountEx, AnUntrackedObjectKeepsNothing)
{
    testsupport::LogCapture log;
    cmDebugFlags<CM_DEBUG_ID_CMLIB>() = CM_DEBUG_WARNING;
    cmRefPtr<cmRefCountEx> ref(new cmRefCountEx);
    EXPECT_FALSE(ref->IsTracking());
    EXPECT_EQ(ref->GetRefCount(), 1u);
    EXPECT_TRUE(ref->GetTrackingTexts().empty());
    ref.Reset();
    EXPECT_TRUE(log.Lines().empty());
}

TEST(CrossModule, ASecondHolderFindsTheFirstsRecordAndDoesNotInitialiseIt)
{
    auto init = [](TestRecord& r) {
        r.dwMagic = 0xC0FFEE;
        ++r.dwInitialisations;
    };
    cmCrossModuleBlock<TestRecord> first("cmtest", cmCrossModuleScope::PerProcess, init);
    ASSERT_NE(first.Get(), nullptr);
    EXPECT_TRUE(first.WasCreated());
    EXPECT_EQ(first.Get()->dwUseCount, 1u);

    cmCrossModuleBlock<TestRecord> second("cmtest", cmCrossModuleScope::PerProcess, init);
    ASSERT_NE(second.Get(), nullptr);
    EXPECT_FALSE(second.WasCreated());
    EXPECT_NE(second.Get(), first.Get()) << "a view of its own";
    EXPECT_EQ(second.Get()->dwMagic, 0xC0FFEEu);
    EXPECT_EQ(second.Get()->dwInitialisations, 1u);
    EXPECT_EQ(first.Get()->dwUseCount, 2u);

    cmCrossModuleBlock<TestRecord> other("other", cmCrossModuleScope::PerProcess, init);
    EXPECT_TRUE(other.WasCreated()) << "another prefix is another block";
}

TEST(CrossModule, NamesCarryPrefixTypeAndProcess)
{
    const std::string name = cmCrossModuleBlock<TestRecord>::Name("pre", cmCrossModuleScope::PerProcess);
    EXPECT_EQ(name, std::string("preYYY") + typeid(TestRecord).name() + "ZZZ" + std::to_string(GetCurrentProcessId()));
    EXPECT_EQ(cmCrossModuleBlock<TestRecord>::Name(nullptr, cmCrossModuleScope::MachineWide),
              std::string("YYY") + typeid(TestRecord).name() + "ZZZ0");
}

TEST(CrossModule, AnotherModuleReachesTheSameDebugBlock)
{
    // What a second copy of the library in this process would do.
    cmCrossModuleBlock<cmDebugSharedData_V2> module2("", cmCrossModuleScope::PerProcess,
                                                     [](cmDebugSharedData_V2&) { FAIL() << "made again"; });
    ASSERT_NE(module2.Get(), nullptr);
    EXPECT_FALSE(module2.WasCreated());
    const cmDebugSharedData_V2* mine = cmDebugBase::GetSharedData();
    EXPECT_EQ(module2.Get()->dwTlsIndex, mine->dwTlsIndex);
    EXPECT_EQ(module2.Get()->pRoutines, mine->pRoutines);
    EXPECT_EQ(module2.Get()->dwVersion, 3u);
}
