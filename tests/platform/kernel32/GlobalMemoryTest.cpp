// Movable global memory blocks: sizes, lock counts, zero-size blocks,
// refused handles and the allocation limit.
#include "platform/kernel32/GlobalMemory.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WinError.h"
#include "platform/ole/Picture.h"

#include <cstring>
#include <gtest/gtest.h>

TEST(GlobalMemoryTest, BlockHoldsItsBytesAcrossLocks)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 10);
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(10u, GlobalSize(h));
    auto* p = static_cast<char*>(GlobalLock(h));
    ASSERT_NE(nullptr, p);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(0, p[i]) << i;
    std::memcpy(p, "0123456789", 10);
    EXPECT_FALSE(GlobalUnlock(h));
    EXPECT_EQ(ERROR_SUCCESS, GetLastError());  // the last lock went

    auto* again = static_cast<char*>(GlobalLock(h));
    ASSERT_NE(nullptr, again);
    EXPECT_EQ(0, std::memcmp(again, "0123456789", 10));
    GlobalUnlock(h);
    EXPECT_EQ(nullptr, GlobalFree(h));
}

TEST(GlobalMemoryTest, UnlockCountsLocks)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 4);
    ASSERT_NE(nullptr, h);
    ASSERT_NE(nullptr, GlobalLock(h));
    ASSERT_NE(nullptr, GlobalLock(h));
    EXPECT_TRUE(GlobalUnlock(h));  // still locked once
    EXPECT_FALSE(GlobalUnlock(h));
    EXPECT_EQ(ERROR_SUCCESS, GetLastError());
    EXPECT_FALSE(GlobalUnlock(h));
    EXPECT_EQ(ERROR_NOT_LOCKED, GetLastError());
    GlobalFree(h);
}

TEST(GlobalMemoryTest, ZeroSizeBlockExistsWithoutBytes)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 0);
    ASSERT_NE(nullptr, h);
    EXPECT_TRUE(platform::IsGlobalBlock(h));
    EXPECT_EQ(0u, GlobalSize(h));
    EXPECT_EQ(nullptr, GlobalLock(h));
    EXPECT_EQ(nullptr, GlobalFree(h));
}

TEST(GlobalMemoryTest, ResizeKeepsBytesAndZeroesNewOnes)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 3);
    ASSERT_NE(nullptr, h);
    std::memcpy(GlobalLock(h), "abc", 3);
    GlobalUnlock(h);
    ASSERT_TRUE(platform::GlobalResize(h, 6));
    EXPECT_EQ(6u, GlobalSize(h));
    const char* p = static_cast<const char*>(GlobalLock(h));
    EXPECT_EQ(0, std::memcmp(p, "abc\0\0\0", 6));
    GlobalUnlock(h);
    ASSERT_TRUE(platform::GlobalResize(h, 2));
    EXPECT_EQ(0, std::memcmp(GlobalLock(h), "ab", 2));
    GlobalUnlock(h);
    GlobalFree(h);
}

TEST(GlobalMemoryTest, TooLargeGivesNotEnoughMemory)
{
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(nullptr, GlobalAlloc(GMEM_MOVEABLE, platform::kMaxGlobalBlock + 1));
    EXPECT_EQ(ERROR_NOT_ENOUGH_MEMORY, GetLastError());
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 1);
    EXPECT_FALSE(platform::GlobalResize(h, platform::kMaxGlobalBlock + 1));
    EXPECT_EQ(ERROR_NOT_ENOUGH_MEMORY, GetLastError());
    EXPECT_EQ(1u, GlobalSize(h));  // unchanged
    GlobalFree(h);
}

TEST(GlobalMemoryTest, UnknownFlagsAreRefused)
{
    EXPECT_EQ(nullptr, GlobalAlloc(0x8000, 4));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, GetLastError());
}

TEST(GlobalMemoryTest, HandlesNotMadeByGlobalAllocAreRefused)
{
    char notABlock[8] = {};
    HGLOBAL bogus = notABlock;
    EXPECT_EQ(nullptr, GlobalLock(bogus));
    EXPECT_EQ(ERROR_INVALID_HANDLE, GetLastError());
    EXPECT_EQ(0u, GlobalSize(bogus));
    EXPECT_EQ(ERROR_INVALID_HANDLE, GetLastError());
    EXPECT_FALSE(GlobalUnlock(bogus));
    EXPECT_EQ(bogus, GlobalFree(bogus));
    EXPECT_EQ(ERROR_INVALID_HANDLE, GetLastError());
    EXPECT_EQ(nullptr, GlobalLock(nullptr));

    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 4);
    ASSERT_EQ(nullptr, GlobalFree(h));
    EXPECT_FALSE(platform::IsGlobalBlock(h));
    EXPECT_EQ(nullptr, GlobalLock(h));  // freed
    EXPECT_EQ(h, GlobalFree(h));
    EXPECT_EQ(ERROR_INVALID_HANDLE, GetLastError());
}
