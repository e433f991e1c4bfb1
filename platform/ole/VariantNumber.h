// Exact decimal numbers and number texts for the variant conversions: a
// 128-bit mantissa with a power-of-ten scale, text read and written in the
// "C" form whatever the process locale. Internal to the variant support.
#pragma once

#include "platform/kernel32/WinError.h"

#include <string>

namespace platform::varnum {

using u128 = unsigned __int128;
using i128 = __int128;

constexpr int kMaxDigits = 38;  // 10^38 - 1 still fits 128 bits
constexpr int kMaxDecimalScale = 28;

// A number known exactly: (neg ? -1 : 1) * mant / 10^scale, scale 0..38.
struct Exact {
    bool neg = false;
    u128 mant = 0;
    int scale = 0;
};

// A number read from text: (neg ? -1 : 1) * digits * 10^exp10, digits
// without leading or trailing zeros (empty for zero).
struct Parsed {
    bool neg = false;
    std::string digits;
    long long exp10 = 0;
};

// mant / 10^k, rounded half to even.
u128 DivRound(u128 mant, int k);
// Brings e to the given scale (rounding half to even when it gets coarser);
// false when the mantissa would not fit.
bool Rescale(Exact& e, int target);
Exact ExactFromSigned(long long v);
Exact ExactFromUnsigned(unsigned long long v);
// Plain decimal text, trailing zeros of the fraction removed, no "-0".
std::string ExactToText(const Exact& e);
double ExactToDouble(const Exact& e);

bool IsBlank(char c);
bool IsDigit(char c);
std::string Trim(const std::string& s);

// Optional sign, digits with an optional '.', optional exponent; blanks
// around. False for anything else.
bool ParseNumberText(const std::string& raw, Parsed& p);
// DISP_E_OVERFLOW when the integer part needs more than 38 digits. Digits
// beyond the 38th are cut, the last kept one made sticky, so that a later
// rounding to a coarser place rounds as the full number would.
HRESULT ParsedToExact(const Parsed& p, Exact& out);
// The parsed number as "C" text ("-123e-4").
std::string ParsedToCText(const Parsed& p);
// Text to double with the "C" rules; false when beyond the range of a double.
bool CTextToDouble(const std::string& text, double& d);
// %G-style text (upper-case exponent) with the given significant digits.
std::string DoubleToText(double v, int digits);

}  // namespace platform::varnum
