// pjPropertyBlock: what a database object keeps besides its lock: the
// holders of its properties in ascending id order, whether it has relation
// properties, and its own change listeners (made on first use; guarded by
// the object database's listener lock, not by the object lock).
#pragma once

#include "platform/kernel32/WinTypes.h"

#include <memory>
#include <vector>

class pjGenericPropertyImpl;
class pjObjectEvents;

class pjPropertyBlock {
public:
    pjPropertyBlock() = default;
    pjPropertyBlock(const pjPropertyBlock&) = delete;
    pjPropertyBlock& operator=(const pjPropertyBlock&) = delete;
    // Returns every holder to the pool.
    ~pjPropertyBlock();

    pjGenericPropertyImpl* Find(DWORD dwPropId) const;
    // Takes the holder; false (and the holder is not taken) when its id exists.
    bool Insert(pjGenericPropertyImpl* pHolder);
    const std::vector<pjGenericPropertyImpl*>& Holders() const { return m_holders; }
    std::size_t Count() const { return m_holders.size(); }

    bool HasRelations() const { return m_bRelations; }
    void SetHasRelations() { m_bRelations = true; }

    // Null until a listener registered for the object.
    std::vector<pjObjectEvents*>* Listeners() const { return m_pListeners.get(); }
    std::vector<pjObjectEvents*>& EnsureListeners();

private:
    std::vector<pjGenericPropertyImpl*> m_holders;
    std::unique_ptr<std::vector<pjObjectEvents*>> m_pListeners;
    bool m_bRelations = false;
};
