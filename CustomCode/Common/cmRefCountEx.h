// cmRefCountEx: the atomic reference count of shared objects. Release deletes
// the object when the count reaches zero. cmRefPtr<T> is the counted
// reference that holds one count for as long as it points to the object.
#pragma once

#include "platform/WinTypes.h"

#include <atomic>
#include <utility>

class cmRefCountEx {
public:
    cmRefCountEx() = default;
    cmRefCountEx(const cmRefCountEx&) = delete;
    cmRefCountEx& operator=(const cmRefCountEx&) = delete;

    ULONG AddRef() { return m_count.fetch_add(1, std::memory_order_relaxed) + 1; }
    ULONG Release()
    {
        const ULONG left = m_count.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0)
            delete this;
        return left;
    }
    ULONG GetRefCount() const { return m_count.load(std::memory_order_relaxed); }

protected:
    virtual ~cmRefCountEx() = default;

private:
    std::atomic<ULONG> m_count{0};
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
