#include "platform/kernel32/SystemTime.h"

#include <ctime>
#include <mutex>
#include <sys/time.h>

namespace {

std::mutex g_overrideLock;
bool g_hasOverride = false;
SYSTEMTIME g_override{};

}  // namespace

void GetLocalTime(SYSTEMTIME* lpSystemTime)
{
    if (lpSystemTime == nullptr)
        return;
    {
        std::lock_guard<std::mutex> g(g_overrideLock);
        if (g_hasOverride) {
            *lpSystemTime = g_override;
            return;
        }
    }
    timeval tv{};
    ::gettimeofday(&tv, nullptr);
    tm local{};
    const time_t secs = tv.tv_sec;
    ::localtime_r(&secs, &local);
    lpSystemTime->wYear = static_cast<WORD>(local.tm_year + 1900);
    lpSystemTime->wMonth = static_cast<WORD>(local.tm_mon + 1);
    lpSystemTime->wDayOfWeek = static_cast<WORD>(local.tm_wday);
    lpSystemTime->wDay = static_cast<WORD>(local.tm_mday);
    lpSystemTime->wHour = static_cast<WORD>(local.tm_hour);
    lpSystemTime->wMinute = static_cast<WORD>(local.tm_min);
    lpSystemTime->wSecond = static_cast<WORD>(local.tm_sec > 59 ? 59 : local.tm_sec);
    lpSystemTime->wMilliseconds = static_cast<WORD>(tv.tv_usec / 1000);
}

namespace platform {

void SetLocalTimeOverride(const SYSTEMTIME* lpTime)
{
    std::lock_guard<std::mutex> g(g_overrideLock);
    g_hasOverride = lpTime != nullptr;
    if (lpTime != nullptr)
        g_override = *lpTime;
}

}  // namespace platform
