// cmRefCountEx: the atomic reference count of shared objects. Release deletes
// the object when the count reaches zero. cmRefPtr<T> is the counted
// reference that holds one count for as long as it points to the object.
//
// An object made with cmRefTracking::On keeps a stack trace of every
// increment ("\nIncrement: \n" and the trace) and of every decrement that
// leaves the count at 0 or above ("\nDecrement: \n" and the trace); when it
// is destroyed and the warning bit of "cmlib" is set, it writes
// "Lifetime for ??? at 0x<address>:" and then each stored text as "\t<text>",
// so a leak or an early release can be traced to the code that caused it.
#pragma once

#include "platform/kernel32/WinTypes.h"

#include <atomic>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

enum class cmRefTracking { Off, On };

class cmRefCountEx {
public:
    explicit cmRefCountEx(cmRefTracking eTracking = cmRefTracking::Off);
    cmRefCountEx(const cmRefCountEx&) = delete;
    cmRefCountEx& operator=(const cmRefCountEx&) = delete;

    ULONG AddRef()
    {
        const ULONG n = m_count.fetch_add(1, std::memory_order_relaxed) + 1;
        if (m_pTracking)
            Track("\nIncrement: \n");
        return n;
    }

    ULONG Release()
    {
        const ULONG left = m_count.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (m_pTracking && static_cast<LONG>(left) >= 0)
            Track("\nDecrement: \n");
        if (left == 0)
            delete this;
        return left;
    }

    ULONG GetRefCount() const { return m_count.load(std::memory_order_relaxed); }
    bool IsTracking() const { return m_pTracking != nullptr; }
    // The texts stored so far (empty without tracking).
    std::vector<std::string> GetTrackingTexts() const;

protected:
    virtual ~cmRefCountEx();

private:
    struct Tracking;
    void Track(const char* szWhat);

    std::atomic<ULONG> m_count{0};
    std::unique_ptr<Tracking> m_pTracking;  // only for tracked objects
};

template <class T>
class cmRefPtr {
public:
    cmRefPtr() = default;
    cmRefPtr(T* p) : m_p(p)  // takes a count of its own
    {
        if (m_p)
            m_p->AddRef();
    }
    cmRefPtr(const cmRefPtr& o) : cmRefPtr(o.m_p) {}
    // From a reference to a derived class.
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    cmRefPtr(const cmRefPtr<U>& o) : cmRefPtr(o.Get())
    {
    }
    cmRefPtr(cmRefPtr&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    ~cmRefPtr() { Reset(); }

    cmRefPtr& operator=(cmRefPtr o) noexcept
    {
        std::swap(m_p, o.m_p);
        return *this;
    }

    void Reset()
    {
        if (T* p = std::exchange(m_p, nullptr))
            p->Release();
    }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    T& operator*() const { return *m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};
