#include "platform/kernel32/MulDiv.h"

#include <cstdint>
#include <limits>

int MulDiv(int nNumber, int nNumerator, int nDenominator)
{
    if (nDenominator == 0)
        return -1;
    std::int64_t p = static_cast<std::int64_t>(nNumber) * nNumerator;
    std::int64_t d = nDenominator;
    const bool negative = (p < 0) != (d < 0);
    if (p < 0)
        p = -p;
    if (d < 0)
        d = -d;
    std::int64_t q = (p + d / 2) / d;
    if (negative)
        q = -q;
    if (q > std::numeric_limits<int>::max() || q < std::numeric_limits<int>::min())
        return -1;
    return static_cast<int>(q);
}
