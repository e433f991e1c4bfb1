#include "objdb/pjPropertyBlock.h"

#include "objdb/pjGenericPropertyImpl.h"

#include <algorithm>

namespace {

bool IdBelow(const pjGenericPropertyImpl* h, DWORD id) { return h->GetId() < id; }

}  // namespace

pjPropertyBlock::~pjPropertyBlock()
{
    for (pjGenericPropertyImpl* h : m_holders)
        delete h;
}

pjGenericPropertyImpl* pjPropertyBlock::Find(DWORD dwPropId) const
{
    const auto it = std::lower_bound(m_holders.begin(), m_holders.end(), dwPropId, IdBelow);
    return (it != m_holders.end() && (*it)->GetId() == dwPropId) ? *it : nullptr;
}

bool pjPropertyBlock::Insert(pjGenericPropertyImpl* pHolder)
{
    const auto it = std::lower_bound(m_holders.begin(), m_holders.end(), pHolder->GetId(), IdBelow);
    if (it != m_holders.end() && (*it)->GetId() == pHolder->GetId())
        return false;
    m_holders.insert(it, pHolder);
    return true;
}

std::vector<pjObjectEvents*>& pjPropertyBlock::EnsureListeners()
{
    if (!m_pListeners)
        m_pListeners = std::make_unique<std::vector<pjObjectEvents*>>();
    return *m_pListeners;
}
