// pjListenerSnapshot: the listeners a change goes to, copied out of the
// database's lists in delivery order (all-object listeners, type listeners,
// the object's own). The first few are kept inline, so a change with a
// handful of listeners on the main thread allocates nothing.
#pragma once

#include <cstddef>
#include <vector>

class pjObjectEvents;

class pjListenerSnapshot {
public:
    void Append(const std::vector<pjObjectEvents*>& listeners)
    {
        for (pjObjectEvents* p : listeners) {
            if (m_n < kInline)
                m_inline[m_n] = p;
            else
                m_more.push_back(p);
            ++m_n;
        }
    }
    std::size_t size() const { return m_n; }
    bool empty() const { return m_n == 0; }
    pjObjectEvents* operator[](std::size_t i) const { return i < kInline ? m_inline[i] : m_more[i - kInline]; }

private:
    static constexpr std::size_t kInline = 6;
    pjObjectEvents* m_inline[kInline] = {};
    std::size_t m_n = 0;
    std::vector<pjObjectEvents*> m_more;
};
