// pjObject: a reference-counted database object with a table of typed
// properties, some of which hold relations to other objects.
//
// Its owner is the pjObjectFactory that made it (not counted: factories
// outlive their objects). Its type name (GetAsciiType) and key (GetKey) are
// given by derived classes; GetID joins the key and the owner's identity.
// The object lock guards the property table: writes take it exclusively,
// reads shared. Property writes and relation changes are reported to the
// object database (NotifyObjectChange) while the lock is held, so that
// listeners learn of one object's changes in the order they were made.
//
// Derived classes set the state flags and the hold count; the library only
// reads them (PJ_STATE_NO_NOTIFY silences the object, PJ_STATE_REMOVE and
// the hold count steer the scrubber). The set/get helpers of pjObjectImpl
// are the usual way to read and write values.
#pragma once

#include "CustomCode/Common/cmPacket.h"
#include "CustomCode/Common/cmReaderWriterLock.h"
#include "CustomCode/Common/cmRefCountEx.h"
#include "CustomCode/Common/cmString.h"
#include "objdb/pjPedigree.h"
#include "objdb/pjPropertyIds.h"
#include "platform/ole/Variant.h"

#include <atomic>
#include <memory>
#include <vector>

class pjObjectFactory;
class pjPropertyBlock;
class pjGenericPropertyImpl;
class pjObject;

using pjObjectRef = cmRefPtr<pjObject>;
using pjObjectList = std::vector<pjObjectRef>;

class pjObject : public cmRefCountEx {
public:
    explicit pjObject(pjObjectFactory* pOwner = nullptr);

    // The key (as a nested packet), then the owner's identity (as a nested
    // packet; empty without an owner).
    virtual HRESULT GetID(cmPacket& id);
    // "untyped object".
    virtual cmString GetAsciiType();
    // Asked by the scrubber of an object marked for removal that others
    // still refer to: let go of references to other objects. Nothing here.
    virtual void DropReferences();
    // Appends the object's key within its owner.
    virtual HRESULT GetKey(cmPacket& key) = 0;

    // Ids without the hidden bit, ascending.
    virtual HRESULT GetPropertyIds(std::vector<DWORD>& ids);
    // The type name related objects must have; E_UNEXPECTED for a property
    // that is no relation or whose objects qualify by pedigree.
    virtual HRESULT GetRelationType(DWORD dwPropId, cmString& szType);
    // The first text; when it is empty, the second text, which is then kept
    // as the first.
    virtual HRESULT GetFirstText(DWORD dwPropId, cmString& szText);
    // The second text (empty when none was given).
    virtual HRESULT GetSecondText(DWORD dwPropId, cmString& szText);

    // Relations (E_INVALIDARG for an unknown id, E_UNEXPECTED for a property
    // that is no relation). Additions are reported as change kind 4,
    // removals as kind 5.
    virtual HRESULT AddRelations(DWORD dwPropId, const pjObjectList& objects);
    virtual HRESULT AddRelation(DWORD dwPropId, pjObject* pObject);
    // S_OK also when the object was not related.
    virtual HRESULT RemoveRelation(DWORD dwPropId, pjObject* pObject);
    virtual HRESULT RemoveAllRelations(DWORD dwPropId);
    virtual HRESULT GetRelations(DWORD dwPropId, pjObjectList& objects);
    // Single-valued relations only: the related object (E_FAIL when none).
    virtual HRESULT GetFirstRelation(DWORD dwPropId, pjObjectRef& object);
    // Objects of the relation type in the database that are not related yet.
    virtual HRESULT GetPotentialRelations(DWORD dwPropId, pjObjectList& objects);
    // The same as AddRelations / removing a list, for a caller that holds
    // the object lock exclusively (token).
    virtual HRESULT AddRelationsLocked(const cmLockToken& token, DWORD dwPropId, const pjObjectList& objects);
    virtual HRESULT RemoveRelationsLocked(const cmLockToken& token, DWORD dwPropId, const pjObjectList& objects);

    // A copy of the value; for a relation, the label of the first related
    // object as text; E_INVALIDARG for an unknown id.
    virtual HRESULT ReadValue(DWORD dwPropId, VARIANT* pValue);
    // Converts the value to the stored value's type and stores it; reports
    // the change with the value as given. A failed conversion changes nothing.
    virtual HRESULT WriteValue(DWORD dwPropId, const VARIANT& value);

    // Adding properties; E_INVALIDARG when the id exists (the old one stays).
    virtual HRESULT AddRelationProperty(DWORD dwPropId, const cmString& szFirst, const cmString& szSecond,
                                        const cmString& szRelationType);
    virtual HRESULT AddValueProperty(DWORD dwPropId, const VARIANT& value, const cmString& szFirst,
                                     const cmString& szSecond);

    // The property table as a packet: the number 1, the count, then per
    // property (ascending ids) a nested packet of id, first text, second
    // text and the stored value.
    HRESULT SaveToPacket(cmPacket& packet);
    // Adds the packet's properties as value properties; ids the object
    // already has keep their value. Stops at the first record that does not
    // fit in the packet and returns that read's error.
    HRESULT LoadFromPacket(cmPacket& packet);

    pjObjectFactory* GetOwner() const { return m_pOwner; }
    DWORD GetStateFlags() const { return m_dwStateFlags.load(std::memory_order_acquire); }
    DWORD GetHoldCount() const { return m_dwHoldCount.load(std::memory_order_acquire); }
    cmReaderWriterLock& GetLock() { return m_lock; }
    // Whether a relation property with a non-zero id was ever added.
    bool HasRelations();

    // The type names this object counts as (derived classes add theirs in
    // their constructors).
    pjPedigree m_setPedigree;

protected:
    ~pjObject() override;

    void SetStateFlags(DWORD dwBits) { m_dwStateFlags.fetch_or(dwBits, std::memory_order_acq_rel); }
    void ClearStateFlags(DWORD dwBits) { m_dwStateFlags.fetch_and(~dwBits, std::memory_order_acq_rel); }
    void AddHold() { m_dwHoldCount.fetch_add(1, std::memory_order_acq_rel); }
    void ReleaseHold() { m_dwHoldCount.fetch_sub(1, std::memory_order_acq_rel); }

private:
    friend class pjObjectDatabaseImpl;  // the object's own listeners live in its block

    // The holder of an id, under the object lock.
    pjGenericPropertyImpl* Find(DWORD dwPropId) const;
    bool Notifies() const { return (GetStateFlags() & PJ_STATE_NO_NOTIFY) == 0; }
    HRESULT ReadRelationLabel(pjGenericPropertyImpl* pHolder, const cmLockToken& token, VARIANT* pValue);

    pjObjectFactory* m_pOwner;
    std::atomic<DWORD> m_dwStateFlags{0};
    std::atomic<DWORD> m_dwHoldCount{0};
    cmReaderWriterLock m_lock;
    std::unique_ptr<pjPropertyBlock> m_pBlock;
};
