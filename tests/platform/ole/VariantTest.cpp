// VARIANT records, BSTRs, copying and clearing, and the conversions of
// VariantChangeType that can go wrong: ranges, rounding, boolean texts,
// texts that are no numbers, dates.
#include "platform/ole/Variant.h"

#include <clocale>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

// A BSTR from ASCII text (freed by the variant that takes it).
BSTR MakeBstr(const std::string& s)
{
    BSTR b = SysAllocStringLen(nullptr, static_cast<UINT>(s.size()));
    for (std::size_t i = 0; i < s.size(); ++i)
        b[i] = static_cast<OLECHAR>(s[i]);
    return b;
}

std::string BstrText(BSTR b)
{
    std::string s;
    for (UINT i = 0; i < SysStringLen(b); ++i)
        s += static_cast<char>(b[i]);
    return s;
}

// A variant that clears itself.
struct Var {
    VARIANT v;
    Var() { VariantInit(&v); }
    ~Var() { VariantClear(&v); }
    Var(const Var&) = delete;
    Var& operator=(const Var&) = delete;
};

class CountedUnknown : public IUnknown {
public:
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
    ULONG refs = 1;
};

// Converts and returns the result code; the result stays in out.
HRESULT Change(Var& out, const VARIANT& in, VARTYPE vt, USHORT flags = 0)
{
    return VariantChangeType(&out.v, &in, flags, vt);
}

VARIANT I4(LONG n)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = n;
    return v;
}

VARIANT R8(double d)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_R8;
    v.dblVal = d;
    return v;
}

VARIANT Bool(bool b)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

// Converts a text to vt; the text variant is cleared here.
HRESULT FromText(Var& out, const std::string& text, VARTYPE vt, USHORT flags = 0)
{
    Var in;
    in.v.vt = VT_BSTR;
    in.v.bstrVal = MakeBstr(text);
    return Change(out, in.v, vt, flags);
}

std::string ToText(const VARIANT& in, USHORT flags = 0)
{
    Var out;
    const HRESULT hr = Change(out, in, VT_BSTR, flags);
    if (FAILED(hr))
        return "failed";
    return BstrText(out.v.bstrVal);
}

}  // namespace

TEST(VariantRecord, ValueLiesLittleEndianAtOffsetEight)
{
    VARIANT v = I4(0x01020304);
    BYTE image[platform::kVariantRecordSize];
    platform::VariantToRecordImage(v, image);
    const BYTE expected[16] = {3, 0, 0, 0, 0, 0, 0, 0, 4, 3, 2, 1, 0, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(image, expected, 16));
    // The image is the record as it lies in memory on a little-endian machine.
    EXPECT_EQ(0, std::memcmp(image, &v, 16));
}

TEST(VariantRecord, DecimalFillsTheRecordAndRoundTrips)
{
    VARIANT v;
    VariantInit(&v);
    v.decVal.scale = 2;
    v.decVal.sign = DECIMAL_NEG;
    v.decVal.Hi32 = 0x11223344;
    v.decVal.Lo64 = 0x5566778899AABBCCull;
    v.vt = VT_DECIMAL;
    BYTE image[platform::kVariantRecordSize];
    platform::VariantToRecordImage(v, image);
    EXPECT_EQ(14, image[0]);
    EXPECT_EQ(2, image[2]);
    EXPECT_EQ(0x80, image[3]);
    EXPECT_EQ(0x44, image[4]);
    EXPECT_EQ(0xCC, image[8]);
    VARIANT back;
    ASSERT_EQ(S_OK, platform::VariantFromRecordImage(back, image, sizeof image));
    EXPECT_EQ(VT_DECIMAL, back.vt);
    EXPECT_EQ(0x11223344u, back.decVal.Hi32);
    EXPECT_EQ(0x5566778899AABBCCull, back.decVal.Lo64);
    EXPECT_EQ(DECIMAL_NEG, back.decVal.sign);
}

TEST(VariantRecord, ImagesOfPointerTypesAreRefused)
{
    for (VARTYPE vt : {VARTYPE(VT_BSTR), VARTYPE(VT_UNKNOWN), VARTYPE(VT_DISPATCH), VARTYPE(VT_BYREF | VT_I4),
                       VARTYPE(VT_ARRAY | VT_I4), VARTYPE(VT_RECORD)}) {
        BYTE image[16] = {static_cast<BYTE>(vt), static_cast<BYTE>(vt >> 8), 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};
        VARIANT v;
        VariantInit(&v);
        EXPECT_EQ(E_INVALIDARG, platform::VariantFromRecordImage(v, image, sizeof image)) << vt;
        EXPECT_EQ(VT_EMPTY, v.vt);
    }
}

TEST(VariantRecord, ShortImageLeavesTheRestZero)
{
    const BYTE image[10] = {3, 0, 0, 0, 0, 0, 0, 0, 7, 1};
    VARIANT v;
    ASSERT_EQ(S_OK, platform::VariantFromRecordImage(v, image, sizeof image));
    EXPECT_EQ(VT_I4, v.vt);
    EXPECT_EQ(0x107, v.lVal);
}

TEST(Bstr, ByteLengthPrefixAndTerminator)
{
    BSTR b = SysAllocStringByteLen("abc", 3);
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(3u, SysStringByteLen(b));
    EXPECT_EQ(1u, SysStringLen(b));  // whole UTF-16 units only
    const BYTE* p = reinterpret_cast<const BYTE*>(b);
    EXPECT_EQ('a', p[0]);
    EXPECT_EQ(0, p[3]);
    EXPECT_EQ(0, p[4]);
    std::uint32_t prefix = 0;
    std::memcpy(&prefix, p - 4, 4);
    EXPECT_EQ(3u, prefix);
    SysFreeString(b);

    const OLECHAR text[] = u"hello";
    BSTR h = SysAllocString(text);
    EXPECT_EQ(5u, SysStringLen(h));
    EXPECT_EQ(10u, SysStringByteLen(h));
    EXPECT_EQ(0, h[5]);
    SysFreeString(h);

    EXPECT_EQ(0u, SysStringLen(nullptr));
    EXPECT_EQ(nullptr, SysAllocString(nullptr));
    SysFreeString(nullptr);
    BSTR empty = SysAllocStringByteLen(nullptr, 0);
    ASSERT_NE(nullptr, empty);
    EXPECT_EQ(0u, SysStringByteLen(empty));
    SysFreeString(empty);
}

TEST(VariantCopyClear, StringsAreCopiedAndInterfacesCounted)
{
    Var src, dst;
    src.v.vt = VT_BSTR;
    src.v.bstrVal = MakeBstr("text");
    ASSERT_EQ(S_OK, VariantCopy(&dst.v, &src.v));
    EXPECT_NE(src.v.bstrVal, dst.v.bstrVal);
    EXPECT_EQ("text", BstrText(dst.v.bstrVal));

    CountedUnknown unk;
    Var a, b;
    a.v.vt = VT_UNKNOWN;
    a.v.punkVal = &unk;
    unk.AddRef();
    ASSERT_EQ(S_OK, VariantCopy(&b.v, &a.v));
    EXPECT_EQ(3u, unk.refs);
    // Copying over a string frees the string and takes another reference.
    ASSERT_EQ(S_OK, VariantCopy(&dst.v, &a.v));
    EXPECT_EQ(4u, unk.refs);
    EXPECT_EQ(S_OK, VariantClear(&dst.v));
    EXPECT_EQ(S_OK, VariantClear(&b.v));
    EXPECT_EQ(S_OK, VariantClear(&a.v));
    EXPECT_EQ(1u, unk.refs);
    EXPECT_EQ(VT_EMPTY, a.v.vt);
}

TEST(VariantCopyClear, ValuelessPointerTypesClearWithoutTouchingAnything)
{
    for (VARTYPE vt : {VARTYPE(VT_UNKNOWN), VARTYPE(VT_DISPATCH), VARTYPE(VT_BSTR), VARTYPE(VT_BYREF | VT_BSTR),
                       VARTYPE(VT_ARRAY | VT_I4), VARTYPE(0x0FFF)}) {
        VARIANT v;
        VariantInit(&v);
        v.vt = vt;
        EXPECT_EQ(S_OK, VariantClear(&v)) << vt;
        EXPECT_EQ(VT_EMPTY, v.vt);
    }
    EXPECT_EQ(E_INVALIDARG, VariantClear(nullptr));
}

TEST(VariantChangeType, IntegerRangesOverflow)
{
    Var out;
    EXPECT_EQ(DISP_E_OVERFLOW, Change(out, I4(40000), VT_I2));
    EXPECT_EQ(VT_EMPTY, out.v.vt);  // untouched on failure
    EXPECT_EQ(S_OK, Change(out, I4(-32768), VT_I2));
    EXPECT_EQ(-32768, out.v.iVal);
    EXPECT_EQ(DISP_E_OVERFLOW, Change(out, I4(-1), VT_UI1));
    EXPECT_EQ(-32768, out.v.iVal);  // the earlier result stays
    EXPECT_EQ(DISP_E_OVERFLOW, Change(out, I4(-1), VT_UI4));
    EXPECT_EQ(DISP_E_OVERFLOW, Change(out, I4(128), VT_I1));
    EXPECT_EQ(S_OK, Change(out, I4(255), VT_UI1));
    EXPECT_EQ(255, out.v.bVal);

    VARIANT big;
    VariantInit(&big);
    big.vt = VT_UI8;
    big.ullVal = 0xFFFFFFFFFFFFFFFFull;
    EXPECT_EQ(DISP_E_OVERFLOW, Change(out, big, VT_I8));
    EXPECT_EQ(S_OK, Change(out, big, VT_R8));
    EXPECT_DOUBLE_EQ(18446744073709551615.0, out.v.dblVal);
    EXPECT_EQ("18446744073709551615", ToText(big));
    EXPECT_EQ(DISP_E_OVERFLOW, Change(out, R8(1e300), VT_R4));
    EXPECT_EQ(DISP_E_OVERFLOW, Change(out, R8(std::nan("")), VT_I4));
}

TEST(VariantChangeType, FractionsRoundHalfToEven)
{
    Var out;
    const struct {
        double in;
        LONG out;
    } cases[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {2.4999, 2}, {0.5, 0}, {1.5, 2}};
    for (const auto& c : cases) {
        ASSERT_EQ(S_OK, Change(out, R8(c.in), VT_I4)) << c.in;
        EXPECT_EQ(c.out, out.v.lVal) << c.in;
    }
    EXPECT_EQ(DISP_E_OVERFLOW, Change(out, R8(4294967295.5), VT_UI4));  // rounds to 2^32
    ASSERT_EQ(S_OK, Change(out, R8(4294967294.5), VT_UI4));
    EXPECT_EQ(4294967294u, out.v.ulVal);
    ASSERT_EQ(S_OK, FromText(out, "2.5", VT_I4));
    EXPECT_EQ(2, out.v.lVal);
    ASSERT_EQ(S_OK, FromText(out, "2.500000000000000000000000000000000000000000001", VT_I4));
    EXPECT_EQ(3, out.v.lVal);
}

TEST(VariantChangeType, BooleanTextForms)
{
    EXPECT_EQ("True", ToText(Bool(true), VARIANT_LOCALBOOL));
    EXPECT_EQ("False", ToText(Bool(false), VARIANT_LOCALBOOL));
    EXPECT_EQ("True", ToText(Bool(true), VARIANT_ALPHABOOL));
    EXPECT_EQ("-1", ToText(Bool(true)));
    EXPECT_EQ("0", ToText(Bool(false)));

    Var out;
    for (const char* t : {"True", "true", " TRUE ", "-1", "2", "0.5"}) {
        ASSERT_EQ(S_OK, FromText(out, t, VT_BOOL, VARIANT_LOCALBOOL)) << t;
        EXPECT_EQ(VARIANT_TRUE, out.v.boolVal) << t;
    }
    for (const char* t : {"False", "FALSE", "0", "0.0", "-0"}) {
        ASSERT_EQ(S_OK, FromText(out, t, VT_BOOL)) << t;
        EXPECT_EQ(VARIANT_FALSE, out.v.boolVal) << t;
    }
    for (const char* t : {"yes", "", "Truth", "T"})
        EXPECT_EQ(DISP_E_TYPEMISMATCH, FromText(out, t, VT_BOOL)) << t;
}

TEST(VariantChangeType, TrueIsMinusOneAndAllBitsForUnsigned)
{
    Var out;
    ASSERT_EQ(S_OK, Change(out, Bool(true), VT_I4));
    EXPECT_EQ(-1, out.v.lVal);
    ASSERT_EQ(S_OK, Change(out, Bool(true), VT_UI1));
    EXPECT_EQ(0xFF, out.v.bVal);
    ASSERT_EQ(S_OK, Change(out, Bool(true), VT_UI4));
    EXPECT_EQ(0xFFFFFFFFu, out.v.ulVal);
    ASSERT_EQ(S_OK, Change(out, Bool(true), VT_R8));
    EXPECT_EQ(-1.0, out.v.dblVal);
    ASSERT_EQ(S_OK, Change(out, I4(7), VT_BOOL));
    EXPECT_EQ(VARIANT_TRUE, out.v.boolVal);
}

TEST(VariantChangeType, TextsThatAreNoNumbers)
{
    Var out;
    for (const char* t : {"", " ", "12a", "a12", "1,000", "0x10", "&H10", "1e", "1e+", "--1", "+-1", ".", "1.2.3", "$5"})
        EXPECT_EQ(DISP_E_TYPEMISMATCH, FromText(out, t, VT_I4)) << t;
    EXPECT_EQ(DISP_E_TYPEMISMATCH, FromText(out, "abc", VT_R8));
    EXPECT_EQ(DISP_E_TYPEMISMATCH, FromText(out, "abc", VT_DECIMAL));
    EXPECT_EQ(DISP_E_TYPEMISMATCH, FromText(out, "abc", VT_CY));
    EXPECT_EQ(VT_EMPTY, out.v.vt);

    // Non-ASCII characters never make a number.
    Var in;
    in.v.vt = VT_BSTR;
    in.v.bstrVal = SysAllocString(u"\u0661\u0662");  // Arabic-Indic digits
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Change(out, in.v, VT_I4));
}

TEST(VariantChangeType, TextsThatAreNumbers)
{
    Var out;
    ASSERT_EQ(S_OK, FromText(out, " 42 ", VT_I4));
    EXPECT_EQ(42, out.v.lVal);
    ASSERT_EQ(S_OK, FromText(out, "+1e3", VT_I4));
    EXPECT_EQ(1000, out.v.lVal);
    ASSERT_EQ(S_OK, FromText(out, "-2147483648", VT_I4));
    EXPECT_EQ(-2147483647 - 1, out.v.lVal);
    EXPECT_EQ(DISP_E_OVERFLOW, FromText(out, "2147483648", VT_I4));
    EXPECT_EQ(DISP_E_OVERFLOW, FromText(out, "1e400", VT_I8));
    EXPECT_EQ(DISP_E_OVERFLOW, FromText(out, "1e400", VT_R8));
    ASSERT_EQ(S_OK, FromText(out, "1e-400", VT_R8));
    EXPECT_EQ(0.0, out.v.dblVal);
    ASSERT_EQ(S_OK, FromText(out, "1e-400", VT_I4));
    EXPECT_EQ(0, out.v.lVal);
    ASSERT_EQ(S_OK, FromText(out, ".5", VT_R8));
    EXPECT_EQ(0.5, out.v.dblVal);
    ASSERT_EQ(S_OK, FromText(out, "18446744073709551615", VT_UI8));
    EXPECT_EQ(0xFFFFFFFFFFFFFFFFull, out.v.ullVal);
    EXPECT_EQ(DISP_E_OVERFLOW, FromText(out, "18446744073709551616", VT_UI8));
    EXPECT_EQ(DISP_E_OVERFLOW, FromText(out, "-1", VT_UI2));
    ASSERT_EQ(S_OK, FromText(out, "-0", VT_UI2));
    EXPECT_EQ(0, out.v.uiVal);
}

TEST(VariantChangeType, FloatsAsText)
{
    EXPECT_EQ("1.5", ToText(R8(1.5)));
    EXPECT_EQ("0.1", ToText(R8(0.1)));
    EXPECT_EQ("1E+20", ToText(R8(1e20)));
    EXPECT_EQ("0", ToText(R8(-0.0)));
    EXPECT_EQ("0.333333333333333", ToText(R8(1.0 / 3.0)));
    VARIANT f;
    VariantInit(&f);
    f.vt = VT_R4;
    f.fltVal = 0.1f;
    EXPECT_EQ("0.1", ToText(f));
}

TEST(VariantChangeType, TextFormsDoNotFollowTheProcessLocale)
{
    // A toolkit may switch LC_NUMERIC; stored texts must not change with it.
    const char* locales[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"};
    const char* set = nullptr;
    for (const char* l : locales)
        if ((set = std::setlocale(LC_NUMERIC, l)) != nullptr)
            break;
    const std::string text = ToText(R8(1.5));
    Var out;
    const HRESULT hr = FromText(out, "2.25", VT_R8);
    std::setlocale(LC_NUMERIC, "C");
    if (set == nullptr)
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    EXPECT_EQ("1.5", text);
    ASSERT_EQ(S_OK, hr);
    EXPECT_EQ(2.25, out.v.dblVal);
}

TEST(VariantChangeType, CurrencyAndDecimal)
{
    Var out;
    ASSERT_EQ(S_OK, Change(out, R8(1.23456), VT_CY));
    EXPECT_EQ(12346, out.v.cyVal.int64);
    EXPECT_EQ("1.2346", ToText(out.v));
    VARIANT i8;
    VariantInit(&i8);
    i8.vt = VT_I8;
    i8.llVal = 0x7FFFFFFFFFFFFFFFll;
    EXPECT_EQ(DISP_E_OVERFLOW, Change(out, i8, VT_CY));

    ASSERT_EQ(S_OK, FromText(out, "79228162514264337593543950335", VT_DECIMAL));
    EXPECT_EQ(0xFFFFFFFFu, out.v.decVal.Hi32);
    EXPECT_EQ(0xFFFFFFFFFFFFFFFFull, out.v.decVal.Lo64);
    EXPECT_EQ(DISP_E_OVERFLOW, FromText(out, "79228162514264337593543950336", VT_DECIMAL));
    ASSERT_EQ(S_OK, FromText(out, "-1.05", VT_DECIMAL));
    EXPECT_EQ(VT_DECIMAL, out.v.vt);
    EXPECT_EQ("-1.05", ToText(out.v));
    Var i4;
    ASSERT_EQ(S_OK, Change(i4, out.v, VT_I4));
    EXPECT_EQ(-1, i4.v.lVal);
    // More digits than the type holds lose the least significant ones.
    ASSERT_EQ(S_OK, FromText(out, "0.12345678901234567890123456789012", VT_DECIMAL));
    EXPECT_EQ(28, out.v.decVal.scale);
    EXPECT_EQ("0.1234567890123456789012345679", ToText(out.v));
}

TEST(VariantChangeType, DatesAsTextAndBack)
{
    VARIANT d;
    VariantInit(&d);
    d.vt = VT_DATE;
    d.date = 39448.5;
    EXPECT_EQ("2008-01-01 12:00:00", ToText(d));
    d.date = 0.0;
    EXPECT_EQ("1899-12-30", ToText(d));
    d.date = -1.25;
    EXPECT_EQ("1899-12-29 06:00:00", ToText(d));
    d.date = 1e7;
    EXPECT_EQ("failed", ToText(d));

    Var out;
    ASSERT_EQ(S_OK, FromText(out, "2008-01-01 12:00:00", VT_DATE));
    EXPECT_EQ(39448.5, out.v.date);
    ASSERT_EQ(S_OK, FromText(out, "1899-12-29T06:00", VT_DATE));
    EXPECT_EQ(-1.25, out.v.date);
    ASSERT_EQ(S_OK, FromText(out, "10:30", VT_DATE));
    EXPECT_EQ(0.4375, out.v.date);
    ASSERT_EQ(S_OK, FromText(out, "2008-1-1", VT_DATE));
    EXPECT_EQ(39448.0, out.v.date);
    EXPECT_EQ(DISP_E_TYPEMISMATCH, FromText(out, "2008-02-30", VT_DATE));
    EXPECT_EQ(DISP_E_TYPEMISMATCH, FromText(out, "2008-01-01 24:00", VT_DATE));
    EXPECT_EQ(DISP_E_TYPEMISMATCH, FromText(out, "39448.5", VT_DATE));
    EXPECT_EQ(DISP_E_TYPEMISMATCH, FromText(out, "2008-01-01x", VT_DATE));
    EXPECT_EQ(DISP_E_OVERFLOW, FromText(out, "0099-12-31", VT_DATE));
    EXPECT_EQ(DISP_E_OVERFLOW, Change(out, R8(3e6), VT_DATE));
    ASSERT_EQ(S_OK, Change(out, I4(2), VT_DATE));
    EXPECT_EQ(2.0, out.v.date);
}

TEST(VariantChangeType, InPlaceConversionReplacesTheSource)
{
    Var v;
    v.v.vt = VT_BSTR;
    v.v.bstrVal = MakeBstr("17");
    ASSERT_EQ(S_OK, VariantChangeType(&v.v, &v.v, 0, VT_UI2));
    EXPECT_EQ(VT_UI2, v.v.vt);
    EXPECT_EQ(17, v.v.uiVal);
    // A failed in-place conversion keeps the source.
    Var t;
    t.v.vt = VT_BSTR;
    t.v.bstrVal = MakeBstr("x");
    EXPECT_EQ(DISP_E_TYPEMISMATCH, VariantChangeType(&t.v, &t.v, 0, VT_I4));
    EXPECT_EQ(VT_BSTR, t.v.vt);
    EXPECT_EQ("x", BstrText(t.v.bstrVal));
}

TEST(VariantChangeType, TypesThatDoNotConvert)
{
    Var out;
    CountedUnknown unk;
    VARIANT u;
    VariantInit(&u);
    u.vt = VT_UNKNOWN;
    u.punkVal = &unk;
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Change(out, u, VT_I4));
    EXPECT_EQ(1u, unk.refs);
    VARIANT n;
    VariantInit(&n);
    n.vt = VT_NULL;
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Change(out, n, VT_BSTR));
    EXPECT_EQ(DISP_E_BADVARTYPE, Change(out, I4(1), 15));
    EXPECT_EQ(DISP_E_BADVARTYPE, Change(out, I4(1), VT_VECTOR | VT_I4));
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Change(out, I4(1), VT_ERROR));
    // The empty value converts to zero, false and the empty text.
    VARIANT e;
    VariantInit(&e);
    ASSERT_EQ(S_OK, Change(out, e, VT_BSTR));
    ASSERT_NE(nullptr, out.v.bstrVal);
    EXPECT_EQ(0u, SysStringLen(out.v.bstrVal));
    ASSERT_EQ(S_OK, Change(out, e, VT_I4));
    EXPECT_EQ(0, out.v.lVal);
}
