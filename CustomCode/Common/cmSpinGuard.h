// cmSpinGuard: a guard for bookkeeping that takes a few dozen instructions.
// Entering costs one atomic exchange and leaving one store when nobody else
// is inside; a thread that finds it taken spins briefly, then yields its
// time slice until it is free, so a holder that lost its processor gets it
// back. Not re-entrant. Never hold it across a wait.
#pragma once

#include <atomic>

class cmSpinGuard {
public:
    cmSpinGuard() = default;
    cmSpinGuard(const cmSpinGuard&) = delete;
    cmSpinGuard& operator=(const cmSpinGuard&) = delete;

    void Enter()
    {
        if (!m_taken.exchange(true, std::memory_order_acquire))
            return;
        EnterContended();
    }
    void Leave() { m_taken.store(false, std::memory_order_release); }

private:
    void EnterContended();
    std::atomic<bool> m_taken{false};
};

// Holds a guard for a scope.
class cmSpinGuardScope {
public:
    explicit cmSpinGuardScope(cmSpinGuard& guard) : m_guard(guard) { m_guard.Enter(); }
    ~cmSpinGuardScope() { m_guard.Leave(); }
    cmSpinGuardScope(const cmSpinGuardScope&) = delete;
    cmSpinGuardScope& operator=(const cmSpinGuardScope&) = delete;

private:
    cmSpinGuard& m_guard;
};
