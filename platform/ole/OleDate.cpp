#include "platform/ole/OleDate.h"

#include <cmath>

namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
long long DaysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long yy = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int>(yy + (m <= 2 ? 1 : 0));
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned DaysInMonth(int y, unsigned m)
{
    static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return (m == 2 && IsLeap(y)) ? 29 : days[m - 1];
}

const long long kOleEpoch = DaysFromCivil(1899, 12, 30);

// OLE dates of 1 January 100 and of the last second of 31 December 9999.
const double kMinDate = static_cast<double>(DaysFromCivil(100, 1, 1) - kOleEpoch);
const double kMaxDate = static_cast<double>(DaysFromCivil(9999, 12, 31) - kOleEpoch) + 86399.0 / 86400.0;

}  // namespace

INT SystemTimeToVariantTime(const SYSTEMTIME* st, double* pvtime)
{
    if (st == nullptr || pvtime == nullptr)
        return FALSE;
    if (st->wYear < 100 || st->wYear > 9999 || st->wMonth < 1 || st->wMonth > 12 || st->wDay < 1 ||
        st->wDay > DaysInMonth(st->wYear, st->wMonth) || st->wHour > 23 || st->wMinute > 59 || st->wSecond > 59)
        return FALSE;
    const long long days = DaysFromCivil(st->wYear, st->wMonth, st->wDay) - kOleEpoch;
    const double frac = (st->wHour * 3600.0 + st->wMinute * 60.0 + st->wSecond) / 86400.0;
    *pvtime = days >= 0 ? static_cast<double>(days) + frac : static_cast<double>(days) - frac;
    return TRUE;
}

INT VariantTimeToSystemTime(double vtime, SYSTEMTIME* st)
{
    if (st == nullptr || std::isnan(vtime) || vtime < kMinDate - 1.0 || vtime > kMaxDate)
        return FALSE;
    // Undo the signed-day encoding: the time of day is the fraction's size.
    double whole = std::trunc(vtime);
    double frac = std::fabs(vtime - whole);
    long long seconds = std::llround(frac * 86400.0);
    long long days = static_cast<long long>(whole);
    if (seconds >= 86400) {
        seconds -= 86400;
        days += (vtime >= 0 ? 1 : -1);
    }
    if (static_cast<double>(days) < kMinDate)
        return FALSE;
    int y;
    unsigned m, d;
    CivilFromDays(days + kOleEpoch, y, m, d);
    if (y < 100 || y > 9999)
        return FALSE;
    st->wYear = static_cast<WORD>(y);
    st->wMonth = static_cast<WORD>(m);
    st->wDay = static_cast<WORD>(d);
    // 1 January 1970 was a Thursday.
    const long long unixDays = days + kOleEpoch;
    st->wDayOfWeek = static_cast<WORD>(((unixDays % 7) + 11) % 7);
    st->wHour = static_cast<WORD>(seconds / 3600);
    st->wMinute = static_cast<WORD>((seconds / 60) % 60);
    st->wSecond = static_cast<WORD>(seconds % 60);
    st->wMilliseconds = 0;
    return TRUE;
}
