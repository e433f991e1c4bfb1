#include "CustomCode/Common/cmRefCountEx.h"

#include "CustomCode/Common/cmDebugSupport.h"
#include "CustomCode/Common/cmDebugSubsystems.h"
#include "CustomCode/Common/cmStackTrace.h"

#include <cstdint>
#include <mutex>

// Increments and decrements may come from several threads at once.
struct cmRefCountEx::Tracking {
    mutable std::mutex lock;
    std::vector<std::string> texts;
};

cmRefCountEx::cmRefCountEx(cmRefTracking eTracking)
    : m_pTracking(eTracking == cmRefTracking::On ? std::make_unique<Tracking>() : nullptr)
{
}

cmRefCountEx::~cmRefCountEx()
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_CMLIB, "cmRefCountEx::~cmRefCountEx");
    if (m_pTracking && cmTraceGuard_.IsOn(CM_DEBUG_WARNING)) {
        cmTraceGuard_.Print("Lifetime for ??? at 0x%x:", static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(this)));
        std::lock_guard<std::mutex> g(m_pTracking->lock);
        for (const std::string& text : m_pTracking->texts)
            cmTraceGuard_.Print("\t%s", text.c_str());
    }
}

__attribute__((noinline)) void cmRefCountEx::Track(const char* szWhat)
{
    const cmString trace = cmGetStackTrace();
    std::string text(szWhat);
    text.append(trace.GetText(), trace.GetLengthInTchars());
    std::lock_guard<std::mutex> g(m_pTracking->lock);
    m_pTracking->texts.push_back(std::move(text));
}

std::vector<std::string> cmRefCountEx::GetTrackingTexts() const
{
    if (!m_pTracking)
        return {};
    std::lock_guard<std::mutex> g(m_pTracking->lock);
    return m_pTracking->texts;
}
