// MulDiv: nNumber * nNumerator / nDenominator with a 64-bit intermediate,
// rounded half away from zero, as KERNEL32 computes it; -1 when the
// denominator is 0 or the result does not fit 32 bits.
#pragma once

int MulDiv(int nNumber, int nNumerator, int nDenominator);
