#include "platform/ole/VariantNumber.h"

#include <charconv>
#include <cstring>

namespace platform::varnum {

namespace {

constexpr u128 kU128Max = ~static_cast<u128>(0);

u128 Pow10(int n)
{
    u128 r = 1;
    while (n-- > 0)
        r *= 10;
    return r;
}

}  // namespace

// mant / 10^k, rounded half to even.
u128 DivRound(u128 mant, int k)
{
    if (k <= 0)
        return mant;
    if (k > kMaxDigits)
        return 0;  // mant < 10^39 / 2
    const u128 p = Pow10(k);
    u128 q = mant / p;
    const u128 r = mant % p;
    const u128 half = p / 2;
    if (r > half || (r == half && (q & 1) != 0))
        ++q;
    return q;
}

// Brings e to the given scale; false when the mantissa would not fit.
bool Rescale(Exact& e, int target)
{
    if (e.scale > target) {
        e.mant = DivRound(e.mant, e.scale - target);
        e.scale = target;
        return true;
    }
    while (e.scale < target) {
        if (e.mant > kU128Max / 10)
            return false;
        e.mant *= 10;
        ++e.scale;
    }
    return true;
}

Exact ExactFromSigned(long long v)
{
    Exact e;
    e.neg = v < 0;
    e.mant = v < 0 ? static_cast<u128>(-(v + 1)) + 1 : static_cast<u128>(v);
    return e;
}

Exact ExactFromUnsigned(unsigned long long v)
{
    Exact e;
    e.mant = v;
    return e;
}

std::string U128ToDigits(u128 v)
{
    if (v == 0)
        return "0";
    char buf[48];
    int i = 47;
    buf[i] = '\0';
    while (v != 0) {
        buf[--i] = static_cast<char>('0' + static_cast<int>(v % 10));
        v /= 10;
    }
    return std::string(buf + i);
}

// Plain decimal text, trailing zeros of the fraction removed.
std::string ExactToText(const Exact& e)
{
    std::string digits = U128ToDigits(e.mant);
    std::string text;
    if (e.scale > 0) {
        if (static_cast<int>(digits.size()) <= e.scale)
            digits.insert(0, static_cast<std::size_t>(e.scale) - digits.size() + 1, '0');
        const std::size_t point = digits.size() - static_cast<std::size_t>(e.scale);
        std::string frac = digits.substr(point);
        while (!frac.empty() && frac.back() == '0')
            frac.pop_back();
        text = digits.substr(0, point);
        if (!frac.empty())
            text += "." + frac;
    } else {
        text = digits;
    }
    if (e.neg && e.mant != 0)
        text.insert(0, "-");
    return text;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

std::string Trim(const std::string& s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool ParseNumberText(const std::string& raw, Parsed& p)
{
    const std::string s = Trim(raw);
    std::size_t i = 0;
    p = Parsed();
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        p.neg = s[i++] == '-';
    std::string digits;
    long long fracDigits = 0;
    bool any = false;
    while (i < s.size() && IsDigit(s[i])) {
        digits += s[i++];
        any = true;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) {
            digits += s[i++];
            ++fracDigits;
            any = true;
        }
    }
    if (!any)
        return false;
    long long exp = 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        bool expNeg = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            expNeg = s[i++] == '-';
        if (i >= s.size() || !IsDigit(s[i]))
            return false;
        while (i < s.size() && IsDigit(s[i])) {
            if (exp < 100000000)  // beyond any range; kept from overflowing
                exp = exp * 10 + (s[i] - '0');
            ++i;
        }
        if (expNeg)
            exp = -exp;
    }
    if (i != s.size())
        return false;
    std::size_t lead = 0;
    while (lead < digits.size() && digits[lead] == '0')
        ++lead;
    digits.erase(0, lead);
    long long e10 = exp - fracDigits;
    while (!digits.empty() && digits.back() == '0') {
        digits.pop_back();
        ++e10;
    }
    if (digits.empty())
        e10 = 0;
    p.digits = digits;
    p.exp10 = e10;
    return true;
}

HRESULT ParsedToExact(const Parsed& p, Exact& out)
{
    out = Exact();
    out.neg = p.neg;
    if (p.digits.empty())
        return S_OK;
    const long long nd = static_cast<long long>(p.digits.size());
    if (p.exp10 >= 0) {
        if (nd + p.exp10 > kMaxDigits)
            return DISP_E_OVERFLOW;
        u128 m = 0;
        for (char c : p.digits)
            m = m * 10 + static_cast<unsigned>(c - '0');
        out.mant = m * Pow10(static_cast<int>(p.exp10));
        return S_OK;
    }
    long long scale = -p.exp10;
    long long drop = 0;
    if (nd - drop > kMaxDigits)
        drop = nd - kMaxDigits;
    if (scale - drop > kMaxDigits)
        drop = scale - kMaxDigits;
    if (drop > scale)
        return DISP_E_OVERFLOW;  // more integer digits than 128 bits hold
    std::string kept = drop >= nd ? std::string() : p.digits.substr(0, static_cast<std::size_t>(nd - drop));
    u128 m = 0;
    for (char c : kept)
        m = m * 10 + static_cast<unsigned>(c - '0');
    if (drop > 0 && (m % 10 == 0 || m % 10 == 5)) {
        // The dropped digits are never all zero (trailing zeros were removed).
        // Every target rounds at a coarser place later, so instead of rounding
        // here (which would round twice) the last kept digit is made sticky:
        // a 0 or 5 becomes 1 or 6, so that a later tie is seen as lying above
        // or below half exactly as the full number does.
        ++m;
    }
    out.mant = m;
    out.scale = static_cast<int>(scale - drop);
    return S_OK;
}

// The parsed number as "C" text ("-123e-4").
std::string ParsedToCText(const Parsed& p)
{
    if (p.digits.empty())
        return p.neg ? "-0" : "0";
    return std::string(p.neg ? "-" : "") + p.digits + "e" + std::to_string(p.exp10);
}

// Text to double with the "C" rules whatever the process locale says.
// False when the magnitude is beyond the range of a double.
bool CTextToDouble(const std::string& text, double& d)
{
    const char* b = text.data();
    const char* e = b + text.size();
    const bool neg = b != e && *b == '-';
    if (neg)
        ++b;
    double v = 0;
    const std::from_chars_result r = std::from_chars(b, e, v);
    if (r.ec == std::errc::result_out_of_range) {
        // Too large, or too small: from_chars leaves the value alone in both cases.
        const std::size_t ePos = text.find('e');
        const long long exp = ePos == std::string::npos ? 0 : std::stoll(text.substr(ePos + 1));
        if (exp > 0)
            return false;
        v = 0;
    }
    d = neg ? -v : v;
    return true;
}

double ExactToDouble(const Exact& e)
{
    double d = 0;
    CTextToDouble(std::string(e.neg ? "-" : "") + U128ToDigits(e.mant) + "e-" + std::to_string(e.scale), d);
    return d;
}

// %G-style text (upper-case exponent) with the given significant digits.
std::string DoubleToText(double v, int digits)
{
    char buf[64];
    const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, digits);
    std::string text(buf, r.ptr);
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

}  // namespace platform::varnum
