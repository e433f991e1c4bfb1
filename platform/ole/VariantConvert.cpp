#include "platform/ole/VariantConvert.h"

#include "platform/kernel32/AsciiText.h"
#include "platform/ole/OleDate.h"
#include "platform/ole/VariantNumber.h"

#include <algorithm>
#include <charconv>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace platform {

namespace {

using namespace varnum;

// ------------------------------------------------------------ dates

// The dates that name a second of the years 100 to 9999.
bool InDateRange(double d)
{
    SYSTEMTIME st;
    return VariantTimeToSystemTime(d, &st) != FALSE;
}

// Reads exactly n (or, with nMin < n, between nMin and n) digits at s[i].
bool ReadDigits(const std::string& s, std::size_t& i, std::size_t nMin, std::size_t nMax, int& value)
{
    std::size_t n = 0;
    value = 0;
    while (i < s.size() && n < nMax && IsDigit(s[i])) {
        value = value * 10 + (s[i] - '0');
        ++i;
        ++n;
    }
    return n >= nMin;
}

bool ParseTime(const std::string& s, std::size_t& i, int& secs)
{
    int h = 0, mi = 0, se = 0;
    if (!ReadDigits(s, i, 1, 2, h) || i >= s.size() || s[i] != ':')
        return false;
    ++i;
    if (!ReadDigits(s, i, 2, 2, mi))
        return false;
    if (i < s.size() && s[i] == ':') {
        ++i;
        if (!ReadDigits(s, i, 2, 2, se))
            return false;
    }
    if (h > 23 || mi > 59 || se > 59)
        return false;
    secs = h * 3600 + mi * 60 + se;
    return true;
}

// ------------------------------------------------------------ source values

struct Value {
    enum Kind { kExact, kFloat, kText } kind = kExact;
    Exact exact;
    double f = 0;
    std::string text;      // ASCII; other characters become 0x01 so no form matches
    bool isEmpty = false;
    bool isBool = false;
    SHORT boolBits = 0;    // the boolean as stored, for the unsigned types
    bool isDate = false;
    bool isR4 = false;
};

bool IsKnownType(VARTYPE vt)
{
    if ((vt & (VT_VECTOR | VT_RESERVED)) != 0)
        return false;
    const VARTYPE base = vt & VT_TYPEMASK;
    const bool known = base <= VT_DECIMAL || (base >= VT_I1 && base <= VT_LPWSTR) || (base >= VT_RECORD && base <= VT_UINT_PTR);
    if (!known)
        return false;
    if ((vt & (VT_ARRAY | VT_BYREF)) == 0 && base == VT_VARIANT)
        return false;  // a variant holds a variant only by reference
    return true;
}

bool IsConvertibleType(VARTYPE vt)
{
    return vt == VT_EMPTY || vt == VT_BSTR || vt == VT_BOOL || vt == VT_DECIMAL || vt == VT_I2 || vt == VT_I4 ||
           vt == VT_R4 || vt == VT_R8 || vt == VT_CY || vt == VT_DATE || (vt >= VT_I1 && vt <= VT_UINT);
}

HRESULT Load(const VARIANT& v, Value& out)
{
    out = Value();
    switch (v.vt) {
    case VT_EMPTY: out.isEmpty = true; return S_OK;
    case VT_I1: out.exact = ExactFromSigned(static_cast<std::int8_t>(v.cVal)); return S_OK;
    case VT_I2: out.exact = ExactFromSigned(v.iVal); return S_OK;
    case VT_I4: out.exact = ExactFromSigned(v.lVal); return S_OK;
    case VT_INT: out.exact = ExactFromSigned(v.intVal); return S_OK;
    case VT_I8: out.exact = ExactFromSigned(v.llVal); return S_OK;
    case VT_UI1: out.exact = ExactFromUnsigned(v.bVal); return S_OK;
    case VT_UI2: out.exact = ExactFromUnsigned(v.uiVal); return S_OK;
    case VT_UI4: out.exact = ExactFromUnsigned(v.ulVal); return S_OK;
    case VT_UINT: out.exact = ExactFromUnsigned(v.uintVal); return S_OK;
    case VT_UI8: out.exact = ExactFromUnsigned(v.ullVal); return S_OK;
    case VT_BOOL:
        out.exact = ExactFromSigned(v.boolVal);
        out.isBool = true;
        out.boolBits = v.boolVal;
        return S_OK;
    case VT_CY:
        out.exact = ExactFromSigned(v.cyVal.int64);
        out.exact.scale = 4;
        return S_OK;
    case VT_DECIMAL:
        if (v.decVal.scale > kMaxDecimalScale || (v.decVal.sign & ~DECIMAL_NEG) != 0)
            return E_INVALIDARG;
        out.exact.neg = v.decVal.sign == DECIMAL_NEG;
        out.exact.mant = (static_cast<u128>(v.decVal.Hi32) << 64) | v.decVal.Lo64;
        out.exact.scale = v.decVal.scale;
        return S_OK;
    case VT_R4:
        out.kind = Value::kFloat;
        out.f = v.fltVal;
        out.isR4 = true;
        return S_OK;
    case VT_R8:
        out.kind = Value::kFloat;
        out.f = v.dblVal;
        return S_OK;
    case VT_DATE:
        out.kind = Value::kFloat;
        out.f = v.date;
        out.isDate = true;
        return S_OK;
    case VT_BSTR: {
        out.kind = Value::kText;
        const UINT n = SysStringLen(v.bstrVal);
        out.text.reserve(n);
        for (UINT i = 0; i < n; ++i) {
            const OLECHAR c = v.bstrVal[i];
            out.text += (c >= 0x20 && c < 0x7F) || c == '\t' || c == '\n' || c == '\r' ? static_cast<char>(c) : '\x01';
        }
        return S_OK;
    }
    default: return DISP_E_TYPEMISMATCH;  // null, error, interfaces, by-reference, arrays ...
    }
}

// The source as an exact number, for the integer, currency and decimal targets.
HRESULT ToExact(const Value& v, Exact& e)
{
    switch (v.kind) {
    case Value::kExact:
        e = v.exact;
        return S_OK;
    case Value::kText: {
        Parsed p;
        if (!ParseNumberText(v.text, p))
            return DISP_E_TYPEMISMATCH;
        return ParsedToExact(p, e);
    }
    case Value::kFloat: {
        if (!std::isfinite(v.f))
            return DISP_E_OVERFLOW;
        // 15 significant digits, as a double carries them.
        char buf[64];
        const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, v.f, std::chars_format::scientific, 14);
        Parsed p;
        if (!ParseNumberText(std::string(buf, r.ptr), p))
            return DISP_E_OVERFLOW;
        return ParsedToExact(p, e);
    }
    }
    return E_UNEXPECTED;
}

HRESULT ToDouble(const Value& v, double& d)
{
    switch (v.kind) {
    case Value::kFloat: d = v.f; return S_OK;
    case Value::kExact: d = ExactToDouble(v.exact); return S_OK;
    case Value::kText: {
        Parsed p;
        if (!ParseNumberText(v.text, p))
            return DISP_E_TYPEMISMATCH;
        if (!CTextToDouble(ParsedToCText(p), d))
            return DISP_E_OVERFLOW;
        return S_OK;
    }
    }
    return E_UNEXPECTED;
}

// A whole number in [lo, hi], rounded half to even.
HRESULT ToInteger(const Value& v, i128 lo, i128 hi, i128& out)
{
    if (v.kind == Value::kFloat) {
        if (!std::isfinite(v.f))
            return DISP_E_OVERFLOW;
        const double r = std::nearbyint(v.f);
        if (std::fabs(r) > 1e30)
            return DISP_E_OVERFLOW;
        out = static_cast<i128>(r);
    } else {
        Exact e;
        HRESULT hr = ToExact(v, e);
        if (FAILED(hr))
            return hr;
        Rescale(e, 0);
        if (e.mant > (static_cast<u128>(1) << 126))
            return DISP_E_OVERFLOW;
        out = e.neg ? -static_cast<i128>(e.mant) : static_cast<i128>(e.mant);
    }
    if (out < lo || out > hi)
        return DISP_E_OVERFLOW;
    return S_OK;
}

HRESULT ToBool(const Value& v, bool& b)
{
    switch (v.kind) {
    case Value::kExact: b = v.exact.mant != 0; return S_OK;
    case Value::kFloat: b = v.f != 0.0 || std::isnan(v.f); return S_OK;
    case Value::kText: {
        const std::string t = Trim(v.text);
        if (EqualsNoCase(t, "True")) {
            b = true;
            return S_OK;
        }
        if (EqualsNoCase(t, "False")) {
            b = false;
            return S_OK;
        }
        Parsed p;
        if (!ParseNumberText(t, p))
            return DISP_E_TYPEMISMATCH;
        b = !p.digits.empty();
        return S_OK;
    }
    }
    return E_UNEXPECTED;
}

HRESULT ToText(const Value& v, USHORT wFlags, std::string& text)
{
    if (v.isEmpty) {
        text.clear();
        return S_OK;
    }
    if (v.isBool) {
        const bool b = v.boolBits != 0;
        if ((wFlags & (VARIANT_LOCALBOOL | VARIANT_ALPHABOOL)) != 0)
            text = b ? "True" : "False";
        else
            text = b ? "-1" : "0";
        return S_OK;
    }
    switch (v.kind) {
    case Value::kExact: text = ExactToText(v.exact); return S_OK;
    case Value::kText: text = v.text; return S_OK;
    case Value::kFloat: {
        if (v.isDate)
            return FormatVariantDate(v.f, text) ? S_OK : DISP_E_OVERFLOW;
        const double f = v.f == 0.0 ? 0.0 : v.f;  // no "-0"
        text = DoubleToText(f, v.isR4 ? 7 : 15);
        return S_OK;
    }
    }
    return E_UNEXPECTED;
}

HRESULT ToDate(const Value& v, double& d)
{
    if (v.kind == Value::kText)
        return ParseVariantDate(v.text, d);
    HRESULT hr = ToDouble(v, d);
    if (FAILED(hr))
        return hr;
    return InDateRange(d) ? S_OK : DISP_E_OVERFLOW;
}

HRESULT ToDecimal(const Value& v, DECIMAL& dec)
{
    Exact e;
    HRESULT hr = ToExact(v, e);
    if (FAILED(hr))
        return hr;
    // The finest scale at which the mantissa fits 96 bits, rounded once from
    // the exact value.
    const u128 limit = static_cast<u128>(1) << 96;
    int target = std::min(e.scale, kMaxDecimalScale);
    u128 mant = DivRound(e.mant, e.scale - target);
    while (mant >= limit) {
        if (target == 0)
            return DISP_E_OVERFLOW;
        --target;
        mant = DivRound(e.mant, e.scale - target);
    }
    e.mant = mant;
    e.scale = target;
    dec = DECIMAL();
    dec.scale = static_cast<BYTE>(e.scale);
    dec.sign = e.neg && e.mant != 0 ? DECIMAL_NEG : 0;
    dec.Hi32 = static_cast<ULONG>(e.mant >> 64);
    dec.Lo64 = static_cast<ULONGLONG>(e.mant);
    return S_OK;
}

HRESULT ToCurrency(const Value& v, LONGLONG& cy)
{
    const i128 lo = INT64_MIN, hi = INT64_MAX;
    if (v.kind == Value::kFloat) {
        if (!std::isfinite(v.f))
            return DISP_E_OVERFLOW;
        const double r = std::nearbyint(v.f * 10000.0);
        if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0))
            return DISP_E_OVERFLOW;
        cy = static_cast<LONGLONG>(r);
        return S_OK;
    }
    Exact e;
    HRESULT hr = ToExact(v, e);
    if (FAILED(hr))
        return hr;
    if (!Rescale(e, 4) || e.mant > (static_cast<u128>(1) << 126))
        return DISP_E_OVERFLOW;
    const i128 s = e.neg ? -static_cast<i128>(e.mant) : static_cast<i128>(e.mant);
    if (s < lo || s > hi)
        return DISP_E_OVERFLOW;
    cy = static_cast<LONGLONG>(s);
    return S_OK;
}

// Range of an integer type.
bool IntegerRange(VARTYPE vt, i128& lo, i128& hi, bool& isUnsigned, int& bits)
{
    isUnsigned = false;
    switch (vt) {
    case VT_I1: bits = 8; break;
    case VT_I2: bits = 16; break;
    case VT_I4:
    case VT_INT: bits = 32; break;
    case VT_I8: bits = 64; break;
    case VT_UI1: bits = 8; isUnsigned = true; break;
    case VT_UI2: bits = 16; isUnsigned = true; break;
    case VT_UI4:
    case VT_UINT: bits = 32; isUnsigned = true; break;
    case VT_UI8: bits = 64; isUnsigned = true; break;
    default: return false;
    }
    if (isUnsigned) {
        lo = 0;
        hi = (static_cast<i128>(1) << bits) - 1;
    } else {
        lo = -(static_cast<i128>(1) << (bits - 1));
        hi = (static_cast<i128>(1) << (bits - 1)) - 1;
    }
    return true;
}

void StoreInteger(VARIANT& r, VARTYPE vt, i128 value)
{
    r.vt = vt;
    switch (vt) {
    case VT_I1: r.cVal = static_cast<CHAR>(static_cast<std::int8_t>(value)); break;
    case VT_I2: r.iVal = static_cast<SHORT>(value); break;
    case VT_I4: r.lVal = static_cast<LONG>(value); break;
    case VT_INT: r.intVal = static_cast<INT>(value); break;
    case VT_I8: r.llVal = static_cast<LONGLONG>(value); break;
    case VT_UI1: r.bVal = static_cast<BYTE>(value); break;
    case VT_UI2: r.uiVal = static_cast<USHORT>(value); break;
    case VT_UI4: r.ulVal = static_cast<ULONG>(value); break;
    case VT_UINT: r.uintVal = static_cast<UINT>(value); break;
    case VT_UI8: r.ullVal = static_cast<ULONGLONG>(value); break;
    default: break;
    }
}

}  // namespace

bool FormatVariantDate(DATE date, std::string& text)
{
    SYSTEMTIME st;
    if (VariantTimeToSystemTime(date, &st) == FALSE)
        return false;
    char buf[48];
    if (st.wHour == 0 && st.wMinute == 0 && st.wSecond == 0)
        std::snprintf(buf, sizeof buf, "%04u-%02u-%02u", st.wYear, st.wMonth, st.wDay);
    else
        std::snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u", st.wYear, st.wMonth, st.wDay, st.wHour,
                      st.wMinute, st.wSecond);
    text = buf;
    return true;
}

HRESULT ParseVariantDate(const std::string& raw, DATE& date)
{
    const std::string s = Trim(raw);
    std::size_t i = 0;
    int secs = 0;
    // A time alone: "H:MM" or "HH:MM:SS", on day 0.
    std::size_t probe = 0;
    int ignored = 0;
    if (ReadDigits(s, probe, 1, 2, ignored) && probe < s.size() && s[probe] == ':') {
        if (!ParseTime(s, i, secs) || i != s.size())
            return DISP_E_TYPEMISMATCH;
        date = secs / 86400.0;
        return S_OK;
    }
    int y = 0, m = 0, d = 0;
    if (!ReadDigits(s, i, 4, 4, y) || i >= s.size() || s[i] != '-')
        return DISP_E_TYPEMISMATCH;
    ++i;
    if (!ReadDigits(s, i, 1, 2, m) || i >= s.size() || s[i] != '-')
        return DISP_E_TYPEMISMATCH;
    ++i;
    if (!ReadDigits(s, i, 1, 2, d))
        return DISP_E_TYPEMISMATCH;
    if (i < s.size()) {
        if (s[i] == 'T' || s[i] == 't') {
            ++i;
        } else if (IsBlank(s[i])) {
            while (i < s.size() && IsBlank(s[i]))
                ++i;
        } else {
            return DISP_E_TYPEMISMATCH;
        }
        if (!ParseTime(s, i, secs) || i != s.size())
            return DISP_E_TYPEMISMATCH;
    }
    if (y < 100)
        return DISP_E_OVERFLOW;  // a well-formed date before the first the type holds
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(m);
    st.wDay = static_cast<WORD>(d);
    st.wHour = static_cast<WORD>(secs / 3600);
    st.wMinute = static_cast<WORD>((secs / 60) % 60);
    st.wSecond = static_cast<WORD>(secs % 60);
    if (SystemTimeToVariantTime(&st, &date) == FALSE)
        return DISP_E_TYPEMISMATCH;  // no such day (month 13, 30 February)
    return S_OK;
}

HRESULT ConvertVariant(const VARIANT& src, USHORT wFlags, VARTYPE vt, VARIANT& result)
{
    if (!IsKnownType(vt) || !IsKnownType(src.vt))
        return DISP_E_BADVARTYPE;
    if (src.vt == vt)
        return VariantCopy(&result, &src);
    if (vt == VT_EMPTY)
        return S_OK;
    if (vt == VT_NULL) {
        if (src.vt != VT_EMPTY)
            return DISP_E_TYPEMISMATCH;
        result.vt = VT_NULL;
        return S_OK;
    }
    if (!IsConvertibleType(vt))
        return DISP_E_TYPEMISMATCH;
    Value v;
    HRESULT hr = Load(src, v);
    if (FAILED(hr))
        return hr;

    i128 lo = 0, hi = 0;
    bool isUnsigned = false;
    int bits = 0;
    if (IntegerRange(vt, lo, hi, isUnsigned, bits)) {
        i128 value = 0;
        if (v.isBool && isUnsigned) {
            // True is all bits set in every unsigned width.
            value = static_cast<i128>(static_cast<ULONGLONG>(static_cast<LONGLONG>(v.boolBits))) & hi;
        } else {
            hr = ToInteger(v, lo, hi, value);
            if (FAILED(hr))
                return hr;
        }
        StoreInteger(result, vt, value);
        return S_OK;
    }

    switch (vt) {
    case VT_BSTR: {
        std::string text;
        hr = ToText(v, wFlags, text);
        if (FAILED(hr))
            return hr;
        BSTR b = SysAllocStringLen(nullptr, static_cast<UINT>(text.size()));
        if (b == nullptr)
            return E_OUTOFMEMORY;
        for (std::size_t i = 0; i < text.size(); ++i)
            b[i] = static_cast<OLECHAR>(static_cast<unsigned char>(text[i]));
        result.vt = VT_BSTR;
        result.bstrVal = b;
        return S_OK;
    }
    case VT_BOOL: {
        bool b = false;
        hr = ToBool(v, b);
        if (FAILED(hr))
            return hr;
        result.vt = VT_BOOL;
        result.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    case VT_R8: {
        double d = 0;
        hr = ToDouble(v, d);
        if (FAILED(hr))
            return hr;
        result.vt = VT_R8;
        result.dblVal = d;
        return S_OK;
    }
    case VT_R4: {
        double d = 0;
        hr = ToDouble(v, d);
        if (FAILED(hr))
            return hr;
        if (std::isfinite(d) && std::fabs(d) > FLT_MAX)
            return DISP_E_OVERFLOW;
        result.vt = VT_R4;
        result.fltVal = static_cast<float>(d);
        return S_OK;
    }
    case VT_DATE: {
        double d = 0;
        hr = ToDate(v, d);
        if (FAILED(hr))
            return hr;
        result.vt = VT_DATE;
        result.date = d;
        return S_OK;
    }
    case VT_CY: {
        LONGLONG cy = 0;
        hr = ToCurrency(v, cy);
        if (FAILED(hr))
            return hr;
        result.vt = VT_CY;
        result.cyVal.int64 = cy;
        return S_OK;
    }
    case VT_DECIMAL: {
        DECIMAL dec;
        hr = ToDecimal(v, dec);
        if (FAILED(hr))
            return hr;
        result.decVal = dec;
        result.vt = VT_DECIMAL;
        return S_OK;
    }
    default: return DISP_E_TYPEMISMATCH;
    }
}

}  // namespace platform
