// Number-to-text and text-to-number conversions of the C run-time, exactly as
// the stored texts of the program need them, and independent of the process
// locale (a GUI toolkit may switch LC_NUMERIC; stored texts must not change).
#pragma once

#include <cstddef>

// _gcvt: nDigits significant digits (1 to 17). The fixed form when the
// number's decimal exponent lies in [-1, nDigits) (at least 0.1 and at most
// nDigits integer digits), the exponent form "d.ddde+XXX" otherwise; trailing
// zeros of the fraction are removed and the decimal point always stays
// ("39448.5", "0.", "1.e+010"). buffer must hold nDigits + 10 bytes.
char* _gcvt(double value, int nDigits, char* buffer);

namespace platform {

// strtod with the "C" locale's rules: leading white space, an optional sign,
// then the longest decimal (or hexadecimal, infinity, NaN) number; 0.0 when
// there is none. *end, when given, points past what was read.
double StrToDouble(const char* text, const char** end = nullptr);

}  // namespace platform
