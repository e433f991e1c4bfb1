// The stream over a global memory block: reads, writes that grow the block,
// seeks, interfaces and who frees the block.
#include "platform/kernel32/GlobalMemory.h"
#include "platform/kernel32/WinError.h"
#include "platform/ole/Picture.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

HGLOBAL BlockWith(const std::string& text)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, text.size());
    if (h != nullptr && !text.empty()) {
        std::memcpy(GlobalLock(h), text.data(), text.size());
        GlobalUnlock(h);
    }
    return h;
}

std::string BlockText(HGLOBAL h)
{
    const std::size_t n = GlobalSize(h);
    if (n == 0)
        return {};
    std::string s(static_cast<const char*>(GlobalLock(h)), n);
    GlobalUnlock(h);
    return s;
}

ULONGLONG Position(IStream* s)
{
    ULONGLONG pos = 12345;
    EXPECT_EQ(S_OK, s->Seek(0, STREAM_SEEK_CUR, &pos));
    return pos;
}

}  // namespace

TEST(HGlobalStreamTest, ReadsTheBlockAndShortReadsAtTheEnd)
{
    HGLOBAL h = BlockWith("hello world");
    IStream* s = nullptr;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(h, TRUE, &s));
    char buf[8] = {};
    ULONG got = 0;
    EXPECT_EQ(S_OK, s->Read(buf, 5, &got));
    EXPECT_EQ(5u, got);
    EXPECT_EQ("hello", std::string(buf, got));
    // Fewer bytes than asked is still S_OK for this stream.
    EXPECT_EQ(S_OK, s->Read(buf, sizeof buf, &got));
    EXPECT_EQ(6u, got);
    EXPECT_EQ(" world", std::string(buf, got));
    EXPECT_EQ(S_OK, s->Read(buf, sizeof buf, &got));
    EXPECT_EQ(0u, got);
    EXPECT_EQ(STG_E_INVALIDPOINTER, s->Read(nullptr, 1, &got));
    EXPECT_EQ(S_OK, s->Read(buf, 1, nullptr));  // the count is optional
    EXPECT_EQ(0u, s->Release());
}

TEST(HGlobalStreamTest, WriteOverwritesThenGrowsTheBlock)
{
    HGLOBAL h = BlockWith("abcdef");
    IStream* s = nullptr;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(h, FALSE, &s));
    ASSERT_EQ(S_OK, s->Seek(4, STREAM_SEEK_SET, nullptr));
    ULONG written = 0;
    EXPECT_EQ(S_OK, s->Write("XYZW", 4, &written));
    EXPECT_EQ(4u, written);
    EXPECT_EQ(8u, Position(s));
    EXPECT_EQ("abcdXYZW", BlockText(h));
    EXPECT_EQ(S_OK, s->Write("", 0, &written));
    EXPECT_EQ(0u, written);
    EXPECT_EQ(STG_E_INVALIDPOINTER, s->Write(nullptr, 1, &written));
    s->Release();
    // Without fDeleteOnRelease the block outlives the stream.
    ASSERT_TRUE(platform::IsGlobalBlock(h));
    EXPECT_EQ("abcdXYZW", BlockText(h));
    GlobalFree(h);
}

TEST(HGlobalStreamTest, WritePastTheEndLeavesZeros)
{
    HGLOBAL h = BlockWith("ab");
    IStream* s = nullptr;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(h, FALSE, &s));
    ULONGLONG pos = 0;
    ASSERT_EQ(S_OK, s->Seek(3, STREAM_SEEK_END, &pos));
    EXPECT_EQ(5u, pos);
    char buf[4];
    ULONG got = 9;
    EXPECT_EQ(S_OK, s->Read(buf, sizeof buf, &got));  // past the end: nothing
    EXPECT_EQ(0u, got);
    ASSERT_EQ(S_OK, s->Write("!", 1, nullptr));
    EXPECT_EQ(std::string("ab\0\0\0!", 6), BlockText(h));
    s->Release();
    GlobalFree(h);
}

TEST(HGlobalStreamTest, SeekOrigins)
{
    IStream* s = nullptr;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(BlockWith("0123456789"), TRUE, &s));
    ULONGLONG pos = 0;
    EXPECT_EQ(S_OK, s->Seek(3, STREAM_SEEK_SET, &pos));
    EXPECT_EQ(3u, pos);
    EXPECT_EQ(S_OK, s->Seek(2, STREAM_SEEK_CUR, &pos));
    EXPECT_EQ(5u, pos);
    EXPECT_EQ(S_OK, s->Seek(-1, STREAM_SEEK_CUR, &pos));
    EXPECT_EQ(4u, pos);
    EXPECT_EQ(S_OK, s->Seek(-2, STREAM_SEEK_END, &pos));
    EXPECT_EQ(8u, pos);
    char c = 0;
    ULONG got = 0;
    ASSERT_EQ(S_OK, s->Read(&c, 1, &got));
    EXPECT_EQ('8', c);
    s->Release();
}

TEST(HGlobalStreamTest, SeekErrorsKeepThePosition)
{
    IStream* s = nullptr;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(BlockWith("0123456789"), TRUE, &s));
    ASSERT_EQ(S_OK, s->Seek(4, STREAM_SEEK_SET, nullptr));
    ULONGLONG pos = 77;
    EXPECT_EQ(STG_E_SEEKERROR, s->Seek(-5, STREAM_SEEK_CUR, &pos));
    EXPECT_EQ(STG_E_SEEKERROR, s->Seek(-11, STREAM_SEEK_END, &pos));
    EXPECT_EQ(STG_E_SEEKERROR, s->Seek(-1, STREAM_SEEK_SET, &pos));
    EXPECT_EQ(STG_E_SEEKERROR, s->Seek(0, 3, &pos));
    EXPECT_EQ(STG_E_SEEKERROR, s->Seek(0x100000000LL, STREAM_SEEK_SET, &pos));
    EXPECT_EQ(STG_E_SEEKERROR, s->Seek(INT64_MIN, STREAM_SEEK_END, &pos));
    EXPECT_EQ(STG_E_SEEKERROR, s->Seek(INT64_MAX, STREAM_SEEK_END, &pos));
    EXPECT_EQ(77u, pos);
    EXPECT_EQ(4u, Position(s));
    s->Release();
}

TEST(HGlobalStreamTest, DeleteOnReleaseFreesAtTheLastRelease)
{
    HGLOBAL h = BlockWith("x");
    IStream* s = nullptr;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(h, TRUE, &s));
    EXPECT_EQ(2u, s->AddRef());
    EXPECT_EQ(1u, s->Release());
    EXPECT_TRUE(platform::IsGlobalBlock(h));
    EXPECT_EQ(0u, s->Release());
    EXPECT_FALSE(platform::IsGlobalBlock(h));
}

TEST(HGlobalStreamTest, NullBlockMakesAnEmptyOneThatGrows)
{
    IStream* s = nullptr;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, FALSE, &s));
    ULONGLONG end = 9;
    EXPECT_EQ(S_OK, s->Seek(0, STREAM_SEEK_END, &end));
    EXPECT_EQ(0u, end);
    ASSERT_EQ(S_OK, s->Write("data", 4, nullptr));
    ASSERT_EQ(S_OK, s->Seek(0, STREAM_SEEK_SET, nullptr));
    char buf[4];
    ULONG got = 0;
    ASSERT_EQ(S_OK, s->Read(buf, 4, &got));
    EXPECT_EQ("data", std::string(buf, got));
    s->Release();  // frees its own block (the leak checker would say otherwise)
}

TEST(HGlobalStreamTest, RefusesBadArguments)
{
    EXPECT_EQ(E_INVALIDARG, CreateStreamOnHGlobal(nullptr, TRUE, nullptr));
    char notABlock[4];
    IStream* s = reinterpret_cast<IStream*>(notABlock);
    EXPECT_EQ(E_INVALIDARG, CreateStreamOnHGlobal(notABlock, TRUE, &s));
    EXPECT_EQ(nullptr, s);
}

TEST(HGlobalStreamTest, QueryInterfaceGivesTheStreamInterfaces)
{
    IStream* s = nullptr;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &s));
    for (const IID* iid : {&IID_IUnknown, &IID_ISequentialStream, &IID_IStream}) {
        void* p = nullptr;
        ASSERT_EQ(S_OK, s->QueryInterface(*iid, &p));
        EXPECT_EQ(static_cast<void*>(s), p);
        EXPECT_EQ(1u, static_cast<IUnknown*>(p)->Release());  // QueryInterface added one
    }
    void* p = s;
    EXPECT_EQ(E_NOINTERFACE, s->QueryInterface(IID_IPicture, &p));
    EXPECT_EQ(nullptr, p);
    EXPECT_EQ(E_POINTER, s->QueryInterface(IID_IStream, nullptr));
    EXPECT_EQ(0u, s->Release());
}
