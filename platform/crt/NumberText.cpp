#include "platform/crt/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

char* _gcvt(double value, int nDigits, char* buffer)
{
    if (nDigits < 1)
        nDigits = 1;
    if (nDigits > 17)
        nDigits = 17;

    // Round to nDigits significant digits first; the exponent of the rounded
    // number decides the form, as it does for the C run-time.
    char sci[64];
    auto r = std::to_chars(sci, sci + sizeof sci - 1, value, std::chars_format::scientific, nDigits - 1);
    *r.ptr = '\0';
    std::string s(sci);
    if (s == "inf" || s == "-inf" || s == "nan" || s == "-nan") {
        std::strcpy(buffer, s.c_str());
        return buffer;
    }
    const std::size_t ePos = s.find('e');
    const int exponent = std::atoi(s.c_str() + ePos + 1);
    std::string mantissa = s.substr(0, ePos);  // [-]d[.ddd]
    const bool negative = !mantissa.empty() && mantissa[0] == '-';
    if (negative)
        mantissa.erase(0, 1);
    std::string digits;
    for (char c : mantissa)
        if (c != '.')
            digits += c;

    std::string out = negative ? "-" : "";
    if (value == 0.0 || (exponent >= -1 && exponent < nDigits)) {
        if (value == 0.0) {
            out += "0.";
        } else if (exponent >= 0) {
            std::string intPart = digits.substr(0, static_cast<std::size_t>(exponent) + 1);
            std::string frac = digits.substr(static_cast<std::size_t>(exponent) + 1);
            while (!frac.empty() && frac.back() == '0')
                frac.pop_back();
            out += intPart + "." + frac;
        } else {
            std::string frac = digits;
            while (!frac.empty() && frac.back() == '0')
                frac.pop_back();
            out += "0." + frac;
        }
    } else {
        std::string frac = digits.substr(1);
        while (!frac.empty() && frac.back() == '0')
            frac.pop_back();
        char exp[16];
        std::snprintf(exp, sizeof exp, "e%c%03d", exponent < 0 ? '-' : '+', exponent < 0 ? -exponent : exponent);
        out += digits.substr(0, 1) + "." + frac + exp;
    }
    std::strcpy(buffer, out.c_str());
    return buffer;
}

namespace platform {

namespace {
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
}  // namespace

double StrToDouble(const char* text, const char** end)
{
    const char* p = text;
    if (end != nullptr)
        *end = text;
    if (p == nullptr)
        return 0.0;
    while (IsSpace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    const std::size_t len = std::strlen(p);
    double value = 0.0;
    std::from_chars_result r{p, std::errc::invalid_argument};
    if (len > 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        r = std::from_chars(p + 2, p + len, value, std::chars_format::hex);
        if (r.ec == std::errc::invalid_argument) {
            // "0x" with no hex digits reads as the number 0 followed by "x".
            r = {p + 1, std::errc()};
            value = 0.0;
        }
    } else {
        r = std::from_chars(p, p + len, value, std::chars_format::general);
    }
    if (r.ec == std::errc::invalid_argument)
        return 0.0;
    // Out of range: strtod gives the largest value or 0 with the sign.
    if (r.ec == std::errc::result_out_of_range) {
        // from_chars leaves value unchanged then; decide by the exponent's sign.
        const char* e = p;
        while (e < r.ptr && *e != 'e' && *e != 'E' && *e != 'p' && *e != 'P')
            ++e;
        const bool tiny = e < r.ptr && e[1] == '-';
        value = tiny ? 0.0 : HUGE_VAL;
    }
    if (end != nullptr)
        *end = r.ptr;
    return negative ? -value : value;
}

}  // namespace platform
