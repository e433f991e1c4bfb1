// cmPacket: the byte encodings, reads that do not fit, the cursor rules,
// variants in their three storage kinds, files and streams, comparison.
#include "CustomCode/Common/cmPacket.h"

#include "platform/kernel32/FileApi.h"
#include "platform/linux/TempDirectory.h"

#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

Bytes BytesOf(const cmPacket& p) { return Bytes(p.GetData(), p.GetData() + p.GetSize()); }

Bytes Le(DWORD n)
{
    return {static_cast<BYTE>(n), static_cast<BYTE>(n >> 8), static_cast<BYTE>(n >> 16), static_cast<BYTE>(n >> 24)};
}

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& b : parts)
        all.insert(all.end(), b.begin(), b.end());
    return all;
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

cmPacket PacketOf(const Bytes& b) { return cmPacket(b.data(), static_cast<DWORD>(b.size())); }

class CountedUnknown : public IUnknown {
public:
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
    ULONG refs = 1;
};

// A stream over bytes that can end early or fail after a number of bytes.
class ByteStream : public ISequentialStream {
public:
    explicit ByteStream(Bytes b) : m_bytes(std::move(b)) {}
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override
    {
        ++reads;
        largestRequest = std::max<ULONG>(largestRequest, cb);
        if (m_pos >= failAt)
            return E_ACCESSDENIED;
        const ULONG n = std::min<ULONG>(cb, static_cast<ULONG>(m_bytes.size() - m_pos));
        std::memcpy(pv, m_bytes.data() + m_pos, n);
        m_pos += n;
        *pcbRead = n;
        return n == cb ? S_OK : S_FALSE;
    }
    HRESULT Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }

    std::size_t failAt = SIZE_MAX;
    int reads = 0;
    ULONG largestRequest = 0;

private:
    Bytes m_bytes;
    std::size_t m_pos = 0;
};

}  // namespace

TEST(PacketWrite, NumberAndTextGiveTheSeventeenBytes)
{
    cmPacket p;
    ASSERT_EQ(S_OK, p.WriteNumber(2));
    ASSERT_EQ(S_OK, p.WriteString(cmString("setup.exe")));
    EXPECT_EQ(Cat({Le(2), Le(9), Text("setup.exe")}), BytesOf(p));
    EXPECT_EQ(17u, p.GetCursor());

    cmPacket q;
    ASSERT_EQ(S_OK, q.WriteString(cmString()));
    EXPECT_EQ(Le(0), BytesOf(q));  // an empty text is the number 0
}

TEST(PacketWrite, WritingAfterMovingBackDropsWhatFollowed)
{
    cmPacket p;
    p.WriteNumber(1);
    p.WriteNumber(2);
    p.WriteNumber(3);
    ASSERT_EQ(S_OK, p.SetCursor(4));
    ASSERT_EQ(S_OK, p.WriteBytes("\xAA", 1));
    EXPECT_EQ(Cat({Le(1), Bytes{0xAA}}), BytesOf(p));
    EXPECT_EQ(5u, p.GetCursor());
    EXPECT_EQ(E_INVALIDARG, p.SetCursor(6));
}

TEST(PacketWrite, NestedPacketIsWrittenWholeWhateverItsCursor)
{
    cmPacket inner;
    inner.WriteNumber(7);
    inner.WriteNumber(8);
    inner.SetCursor(4);
    cmPacket outer;
    ASSERT_EQ(S_OK, outer.WritePacket(inner));
    EXPECT_EQ(Cat({Le(8), Le(7), Le(8)}), BytesOf(outer));

    // A packet written into itself carries its bytes as they were.
    cmPacket self;
    self.WriteNumber(5);
    self.SetCursor(0);
    ASSERT_EQ(S_OK, self.WritePacket(self));
    EXPECT_EQ(Cat({Le(4), Le(5)}), BytesOf(self));

    outer.SetCursor(0);
    cmPacket back;
    ASSERT_EQ(S_OK, outer.ReadPacket(back));
    EXPECT_EQ(0u, back.GetCursor());
    EXPECT_EQ(Cat({Le(7), Le(8)}), BytesOf(back));
}

TEST(PacketWrite, WriteBytesFromItsOwnArray)
{
    cmPacket p;
    p.WriteBytes("abcdefgh", 8);
    // Large enough to move the array while copying from it.
    for (int i = 0; i < 12; ++i)
        ASSERT_EQ(S_OK, p.WriteBytes(p.GetData(), p.GetSize() > 64 ? 64 : p.GetSize()));
    EXPECT_EQ(0, std::memcmp(p.GetData() + p.GetSize() - 8, "abcdefgh", 8));
}

TEST(PacketRead, RoundTripOfEveryKind)
{
    cmPacket p;
    cmBuffer buf;
    buf.Set(3, "\x00\x01\x02");
    p.WriteNumber(0xDEADBEEF);
    p.WriteString(cmString("text"));
    p.WriteBuffer(buf);
    p.WriteBuffer(cmBuffer());
    p.WriteBytes("xy", 2);
    p.SetCursor(0);

    DWORD n = 0;
    cmString s;
    cmBuffer b, empty;
    empty.Set(1, "z");
    char two[2];
    ASSERT_EQ(S_OK, p.ReadNumber(n));
    ASSERT_EQ(S_OK, p.ReadString(s));
    ASSERT_EQ(S_OK, p.ReadBuffer(b));
    ASSERT_EQ(S_OK, p.ReadBuffer(empty));
    ASSERT_EQ(S_OK, p.ReadBytes(two, 2));
    EXPECT_EQ(0xDEADBEEFu, n);
    EXPECT_EQ(cmString("text"), s);
    ASSERT_EQ(3u, b.GetSize());
    EXPECT_EQ(0, std::memcmp(b.GetData(), "\x00\x01\x02", 3));
    EXPECT_EQ(0u, empty.GetSize());  // replaced, not appended to
    EXPECT_EQ(0, std::memcmp(two, "xy", 2));
    EXPECT_EQ(p.GetSize(), p.GetCursor());
    EXPECT_EQ(E_INVALIDARG, p.ReadNumber(n));
}

TEST(PacketRead, ReadsThatDoNotFitFailAndKeepTheCursor)
{
    // A text whose count is larger than what remains.
    cmPacket p = PacketOf(Cat({Le(1), Le(10), Text("short")}));
    DWORD n = 0;
    ASSERT_EQ(S_OK, p.ReadNumber(n));
    cmString s("kept");
    EXPECT_EQ(E_INVALIDARG, p.ReadString(s));
    EXPECT_EQ(4u, p.GetCursor());
    EXPECT_EQ(cmString("kept"), s);
    cmBuffer b;
    b.Set(2, "bb");
    EXPECT_EQ(E_INVALIDARG, p.ReadBuffer(b));
    EXPECT_EQ(2u, b.GetSize());
    cmPacket nested = PacketOf(Le(3));
    EXPECT_EQ(E_INVALIDARG, p.ReadPacket(nested));
    EXPECT_EQ(4u, nested.GetSize());
    EXPECT_EQ(4u, p.GetCursor());

    // A number with three bytes left, and bytes with one too few.
    cmPacket q = PacketOf({1, 2, 3});
    EXPECT_EQ(E_INVALIDARG, q.ReadNumber(n));
    EXPECT_EQ(0u, q.GetCursor());
    BYTE dst[4] = {9, 9, 9, 9};
    EXPECT_EQ(E_INVALIDARG, q.ReadBytes(dst, 4));
    EXPECT_EQ(9, dst[0]);
    EXPECT_EQ(S_OK, q.ReadBytes(dst, 3));

    // The largest count there is.
    cmPacket r = PacketOf(Cat({Le(0xFFFFFFFF), Text("abc")}));
    EXPECT_EQ(E_INVALIDARG, r.ReadString(s));
    EXPECT_EQ(0u, r.GetCursor());
}

TEST(PacketVariant, Int32IsKindOneWithTheRecord)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = 5;
    cmPacket p;
    ASSERT_EQ(S_OK, p.WriteVariant(v));
    const Bytes record = {3, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(Cat({Le(1), Le(3), Le(16), record}), BytesOf(p));

    p.SetCursor(0);
    VARIANT back;
    VariantInit(&back);
    ASSERT_EQ(S_OK, p.ReadVariant(&back));
    EXPECT_EQ(VT_I4, back.vt);
    EXPECT_EQ(5, back.lVal);
    EXPECT_EQ(p.GetSize(), p.GetCursor());
}

TEST(PacketVariant, RecordTypesRoundTrip)
{
    cmPacket p;
    VARIANT in[4];
    for (VARIANT& v : in)
        VariantInit(&v);
    in[0].vt = VT_R8;
    in[0].dblVal = -2.5;
    in[1].vt = VT_BOOL;
    in[1].boolVal = VARIANT_TRUE;
    in[2].vt = VT_UI8;
    in[2].ullVal = 0x0102030405060708ull;
    in[3].decVal.scale = 3;
    in[3].decVal.Lo64 = 12345;
    in[3].vt = VT_DECIMAL;
    for (const VARIANT& v : in)
        ASSERT_EQ(S_OK, p.WriteVariant(v));
    p.SetCursor(0);
    VARIANT out;
    VariantInit(&out);
    ASSERT_EQ(S_OK, p.ReadVariant(&out));
    EXPECT_EQ(-2.5, out.dblVal);
    ASSERT_EQ(S_OK, p.ReadVariant(&out));
    EXPECT_EQ(VT_BOOL, out.vt);
    EXPECT_EQ(VARIANT_TRUE, out.boolVal);
    ASSERT_EQ(S_OK, p.ReadVariant(&out));
    EXPECT_EQ(0x0102030405060708ull, out.ullVal);
    ASSERT_EQ(S_OK, p.ReadVariant(&out));
    EXPECT_EQ(VT_DECIMAL, out.vt);
    EXPECT_EQ(3, out.decVal.scale);
    EXPECT_EQ(12345u, out.decVal.Lo64);
}

TEST(PacketVariant, StringIsKindTwoWithItsBytes)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocStringByteLen("abcde", 5);  // an odd byte count survives
    cmPacket p;
    ASSERT_EQ(S_OK, p.WriteVariant(v));
    EXPECT_EQ(Cat({Le(2), Le(8), Le(5), Text("abcde")}), BytesOf(p));
    p.SetCursor(0);
    // Reading into a variant that holds a string frees that string first.
    VARIANT out;
    VariantInit(&out);
    out.vt = VT_BSTR;
    out.bstrVal = SysAllocStringByteLen("old", 3);
    ASSERT_EQ(S_OK, p.ReadVariant(&out));
    ASSERT_EQ(VT_BSTR, out.vt);
    ASSERT_EQ(5u, SysStringByteLen(out.bstrVal));
    EXPECT_EQ(0, std::memcmp(out.bstrVal, "abcde", 5));
    VariantClear(&out);
    VariantClear(&v);

    VARIANT null;
    VariantInit(&null);
    null.vt = VT_BSTR;  // a null BSTR is the empty string
    cmPacket q;
    ASSERT_EQ(S_OK, q.WriteVariant(null));
    EXPECT_EQ(Cat({Le(2), Le(8), Le(0)}), BytesOf(q));
}

TEST(PacketVariant, InterfaceReadsBackAsEmptyValueOfItsType)
{
    CountedUnknown unk;
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_UNKNOWN;
    v.punkVal = &unk;
    cmPacket p;
    ASSERT_EQ(S_OK, p.WriteVariant(v));
    EXPECT_EQ(Cat({Le(0), Le(VT_UNKNOWN)}), BytesOf(p));
    EXPECT_EQ(1u, unk.refs);

    p.SetCursor(0);
    VARIANT out;
    VariantInit(&out);
    out.vt = VT_I4;
    out.lVal = 99;
    ASSERT_EQ(S_OK, p.ReadVariant(&out));
    EXPECT_EQ(VT_UNKNOWN, out.vt);
    EXPECT_EQ(nullptr, out.punkVal);
    EXPECT_EQ(S_OK, VariantClear(&out));
}

TEST(PacketVariant, ByReferenceAndArraysStoreNoPointer)
{
    LONG target = 4;
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BYREF | VT_I4;
    v.byref = &target;
    cmPacket p;
    ASSERT_EQ(S_OK, p.WriteVariant(v));
    EXPECT_EQ(Cat({Le(0), Le(VT_BYREF | VT_I4)}), BytesOf(p));
    v.vt = VT_ARRAY | VT_I4;
    cmPacket q;
    ASSERT_EQ(S_OK, q.WriteVariant(v));
    EXPECT_EQ(Cat({Le(0), Le(VT_ARRAY | VT_I4)}), BytesOf(q));
}

TEST(PacketVariant, MalformedValuesAreRefused)
{
    VARIANT out;
    VariantInit(&out);
    // A record that claims to hold a string pointer.
    const Bytes bstrRecord = {8, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};
    cmPacket p = PacketOf(Cat({Le(1), Le(8), Le(16), bstrRecord}));
    EXPECT_EQ(E_INVALIDARG, p.ReadVariant(&out));
    EXPECT_EQ(VT_EMPTY, out.vt);
    EXPECT_EQ(0u, p.GetCursor());

    // A storage kind that does not exist.
    cmPacket k = PacketOf(Cat({Le(7), Le(3)}));
    EXPECT_EQ(E_INVALIDARG, k.ReadVariant(&out));
    EXPECT_EQ(0u, k.GetCursor());

    // Counted blocks past the end, and a missing type.
    cmPacket c = PacketOf(Cat({Le(2), Le(8), Le(100), Text("ab")}));
    EXPECT_EQ(E_INVALIDARG, c.ReadVariant(&out));
    EXPECT_EQ(0u, c.GetCursor());
    cmPacket t = PacketOf(Le(0));
    EXPECT_EQ(E_INVALIDARG, t.ReadVariant(&out));
    EXPECT_EQ(E_POINTER, t.ReadVariant(nullptr));

    // A short record is padded with zeros.
    cmPacket s = PacketOf(Cat({Le(1), Le(3), Le(9), Bytes{3, 0, 0, 0, 0, 0, 0, 0, 6}}));
    ASSERT_EQ(S_OK, s.ReadVariant(&out));
    EXPECT_EQ(VT_I4, out.vt);
    EXPECT_EQ(6, out.lVal);
    EXPECT_EQ(s.GetSize(), s.GetCursor());
}

TEST(PacketCompare, EqualityAndLessThan)
{
    const cmPacket ab = PacketOf(Text("ab"));
    const cmPacket abc = PacketOf(Text("abc"));
    const cmPacket abd = PacketOf(Text("abd"));
    cmPacket ab2 = PacketOf(Text("ab"));
    ab2.SetCursor(2);
    EXPECT_TRUE(ab == ab2);  // the cursor does not count
    EXPECT_FALSE(ab == abc);
    EXPECT_TRUE(abc < abd);
    EXPECT_FALSE(abd < abc);
    EXPECT_FALSE(ab < abc);  // never less than a packet it is a prefix of
    EXPECT_FALSE(abc < ab);
    EXPECT_FALSE(cmPacket() < ab);
    EXPECT_TRUE(cmPacket() == cmPacket());
}

TEST(PacketCopy, CopiesBytesAndCursorWithoutSharing)
{
    cmPacket a = PacketOf(Text("abcdef"));
    a.SetCursor(3);
    cmPacket b(a);
    EXPECT_EQ(3u, b.GetCursor());
    EXPECT_NE(a.GetData(), b.GetData());
    b.WriteBytes("X", 1);
    EXPECT_EQ(Text("abcdef"), BytesOf(a));
    EXPECT_EQ(Text("abcX"), BytesOf(b));
    a = b;
    EXPECT_EQ(4u, a.GetCursor());
    EXPECT_EQ(Text("abcX"), BytesOf(a));
}

namespace {

class PacketFileTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const Bytes& bytes)
    {
        const std::string path = m_dir.Path() + "/" + name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    static HANDLE OpenRead(const std::string& path)
    {
        return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }

    platform::ScopedTempDirectory m_dir{"packet"};
};

}  // namespace

TEST_F(PacketFileTest, WholeFileAndCountedBlock)
{
    HANDLE h = OpenRead(Write("whole", Cat({Le(3), Text("abc"), Text("rest")})));
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    cmPacket whole = PacketOf(Text("old"));
    ASSERT_EQ(ERROR_SUCCESS, whole.ReadWholeFile(h));
    EXPECT_EQ(Cat({Le(3), Text("abc"), Text("rest")}), BytesOf(whole));
    EXPECT_EQ(0u, whole.GetCursor());

    SetFilePointer(h, 0, nullptr, FILE_BEGIN);
    cmPacket counted;
    ASSERT_EQ(ERROR_SUCCESS, counted.ReadCountedBlock(h));
    EXPECT_EQ(Text("abc"), BytesOf(counted));
    CloseHandle(h);

    cmPacket p;
    EXPECT_EQ(ERROR_INVALID_HANDLE, p.ReadWholeFile(h));
    EXPECT_EQ(ERROR_INVALID_HANDLE, p.ReadCountedBlock(h));
}

TEST_F(PacketFileTest, ShortFilesAndFalseCounts)
{
    const Bytes valid = Cat({Le(5), Text("hello")});
    for (std::size_t cut = 0; cut < valid.size(); ++cut) {
        HANDLE h = OpenRead(Write("cut", Bytes(valid.begin(), valid.begin() + static_cast<long>(cut))));
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        cmPacket p = PacketOf(Text("kept"));
        EXPECT_EQ(ERROR_HANDLE_EOF, p.ReadCountedBlock(h)) << cut;
        EXPECT_EQ(Text("kept"), BytesOf(p));
        CloseHandle(h);
    }
    // A count of almost 4 GiB in front of a few bytes is refused at once.
    HANDLE h = OpenRead(Write("huge", Cat({Le(0xFFFFFFF0u), Text("tiny")})));
    cmPacket p;
    EXPECT_EQ(ERROR_HANDLE_EOF, p.ReadCountedBlock(h));
    EXPECT_EQ(0u, p.GetSize());
    CloseHandle(h);
}

TEST(PacketStream, CountedBlockFromAStream)
{
    ByteStream ok(Cat({Le(4), Text("data"), Text("more")}));
    cmPacket p;
    ASSERT_EQ(S_OK, p.ReadCountedBlock(&ok));
    EXPECT_EQ(Text("data"), BytesOf(p));

    ByteStream shortStream(Cat({Le(10), Text("abc")}));
    cmPacket q = PacketOf(Text("kept"));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_HANDLE_EOF), q.ReadCountedBlock(&shortStream));
    EXPECT_EQ(Text("kept"), BytesOf(q));

    ByteStream failing(Cat({Le(10), Text("abcdefghij")}));
    failing.failAt = 4;
    EXPECT_EQ(E_ACCESSDENIED, q.ReadCountedBlock(&failing));
    EXPECT_EQ(Text("kept"), BytesOf(q));
    EXPECT_EQ(E_POINTER, q.ReadCountedBlock(static_cast<ISequentialStream*>(nullptr)));
}

TEST(PacketStream, FalseCountDoesNotAskForItAllAtOnce)
{
    // The stream holds a few bytes but claims almost 4 GiB: memory must grow
    // with what arrives, not with the claim.
    ByteStream liar(Cat({Le(0xFFFFFFF0u), Text("abc")}));
    cmPacket p;
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_HANDLE_EOF), p.ReadCountedBlock(&liar));
    EXPECT_LE(liar.largestRequest, 64u * 1024u);
}
