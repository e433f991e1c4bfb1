#include "platform/dbghelp/StackTrace.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

volatile int g_sink = 0;
std::vector<platform::StackFrame> g_frames;
bool g_ok = false;

// Each level calls the next and then does more work, so none is inlined
// into its caller or left by a tail call.
__attribute__((noinline)) void Innermost()
{
    g_ok = platform::CaptureStackTrace(g_frames, 8, 0, nullptr);
    g_sink = g_sink + 1;
}
__attribute__((noinline)) void Middle()
{
    Innermost();
    g_sink = g_sink + 1;
}
__attribute__((noinline)) void Outer()
{
    Middle();
    g_sink = g_sink + 1;
}

}  // namespace

TEST(StackTrace, NamesTheCallChainInOrderWithFilesAndLines)
{
    Outer();
    ASSERT_TRUE(g_ok);
    ASSERT_GE(g_frames.size(), 3u);
    EXPECT_EQ(g_frames[0].function, "(anonymous namespace)::Middle") << "starts at the caller of the caller";
    EXPECT_EQ(g_frames[1].function, "(anonymous namespace)::Outer");
    EXPECT_EQ(g_frames[2].function, "StackTrace_NamesTheCallChainInOrderWithFilesAndLines_Test::TestBody");
    for (int i = 0; i < 3; ++i) {
        EXPECT_NE(g_frames[i].file.find("StackTraceTest.cpp"), std::string::npos) << g_frames[i].file;
        EXPECT_GT(g_frames[i].line, 0);
        EXPECT_GT(g_frames[i].displacement, 0u);
    }
    EXPECT_LE(g_frames.size(), 8u);
}

TEST(StackTrace, HonoursTheFrameLimitAndSkips)
{
    std::vector<platform::StackFrame> frames;
    ASSERT_TRUE(platform::CaptureStackTrace(frames, 1, 0, nullptr));
    ASSERT_EQ(frames.size(), 1u);
    std::vector<platform::StackFrame> all;
    ASSERT_TRUE(platform::CaptureStackTrace(all, -1, 0, nullptr));
    EXPECT_GT(all.size(), 2u);
    std::vector<platform::StackFrame> skipped;
    ASSERT_TRUE(platform::CaptureStackTrace(skipped, -1, 1, nullptr));
    ASSERT_EQ(skipped.size() + 1, all.size());
    EXPECT_EQ(skipped[0].function, all[1].function);
}
