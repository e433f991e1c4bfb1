// cmSimpleExecQueue<T>: a worker thread that processes queued items in the
// order they came. The first Enqueue starts the thread; Process runs on it,
// outside the queue's lock, bracketed per batch by BeginBatch and EndBatch.
// A derived class calls Stop in its own destructor: the worker calls its
// Process and must be gone before the derived part is.
#pragma once

#include "CustomCode/Common/cmsThread.h"
#include "platform/kernel32/CriticalSection.h"
#include "platform/kernel32/Event.h"
#include "platform/kernel32/Wait.h"

#include <atomic>
#include <deque>

template <class T>
class cmSimpleExecQueue : public cmsThread {
public:
    cmSimpleExecQueue() : m_hItems(CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
        InitializeCriticalSection(&m_guard);
        AddWaitHandle(m_hItems);  // closed by the thread's destructor
    }
    ~cmSimpleExecQueue() override
    {
        // The worker must be gone before the queue it reads is.
        Stop(10000);
        EnterCriticalSection(&m_guard);
        m_queue.clear();
        LeaveCriticalSection(&m_guard);
        DeleteCriticalSection(&m_guard);
    }

    void Enqueue(const T& item)
    {
        EnterCriticalSection(&m_guard);
        m_queue.push_back(item);
        SetEvent(m_hItems);
        const bool first = ++m_nStarts == 0;
        LeaveCriticalSection(&m_guard);
        if (first)
            Start(10000);
    }

protected:
    virtual void BeginBatch() {}
    virtual void EndBatch() {}
    virtual void Process(T& item) = 0;

    bool Init() override { return true; }

    DWORD Body() override
    {
        while (!ShouldStop()) {
            const HANDLE h = WaitOnHandles(INFINITE);
            if (h != m_hItems)
                break;  // stopping, or the wait failed
            ResetEvent(m_hItems);
            if (IsEmpty())
                continue;
            BeginBatch();
            T item;
            while (TakeFirst(item))
                Process(item);
            EndBatch();
        }
        return 0;
    }

private:
    bool IsEmpty()
    {
        EnterCriticalSection(&m_guard);
        const bool empty = m_queue.empty();
        LeaveCriticalSection(&m_guard);
        return empty;
    }
    bool TakeFirst(T& item)
    {
        EnterCriticalSection(&m_guard);
        const bool any = !m_queue.empty();
        if (any) {
            item = std::move(m_queue.front());
            m_queue.pop_front();
        }
        LeaveCriticalSection(&m_guard);
        return any;
    }

    std::deque<T> m_queue;
    CRITICAL_SECTION m_guard{};
    HANDLE m_hItems;
    std::atomic<LONG> m_nStarts{-1};
};
