#include "platform/kernel32/CriticalSection.h"

#include "platform/kernel32/ProcessIds.h"

#include <atomic>
#include <mutex>

namespace {

struct Section {
    std::recursive_mutex mutex;
    std::atomic<DWORD> owner{0};
    long depth = 0;  // changed by the owner only
};

Section* Of(LPCRITICAL_SECTION cs) { return cs == nullptr ? nullptr : static_cast<Section*>(cs->impl); }

}  // namespace

void InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    if (lpCriticalSection != nullptr)
        lpCriticalSection->impl = new Section;
}

BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION lpCriticalSection, DWORD)
{
    InitializeCriticalSection(lpCriticalSection);
    return lpCriticalSection != nullptr ? TRUE : FALSE;
}

void EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    Section* s = Of(lpCriticalSection);
    if (s == nullptr)
        return;
    s->mutex.lock();
    s->owner.store(GetCurrentThreadId(), std::memory_order_relaxed);
    ++s->depth;
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    Section* s = Of(lpCriticalSection);
    if (s == nullptr || !s->mutex.try_lock())
        return FALSE;
    s->owner.store(GetCurrentThreadId(), std::memory_order_relaxed);
    ++s->depth;
    return TRUE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    Section* s = Of(lpCriticalSection);
    // The owner field is only ever equal to our id while we hold the section.
    if (s == nullptr || s->owner.load(std::memory_order_relaxed) != GetCurrentThreadId())
        return;
    if (--s->depth == 0)
        s->owner.store(0, std::memory_order_relaxed);
    s->mutex.unlock();
}

void DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    if (lpCriticalSection == nullptr)
        return;
    delete Of(lpCriticalSection);
    lpCriticalSection->impl = nullptr;
}
