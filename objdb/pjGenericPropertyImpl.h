// pjGenericPropertyImpl: the holder of one property of a database object:
// its id, two texts and either a value or, for a relation property, the
// relation type and the ordered list of related objects (each entry with
// the database sequence number of its addition).
//
// Holders belong to their object's property block and come from one pool
// of equal blocks for the whole process. Every operation takes a token of
// the owning object's lock as proof that the caller holds it (exclusively
// for changes); without one it fails with E_INVALIDARG. The relation
// operations fail with E_UNEXPECTED on a property that is no relation.
#pragma once

#include "CustomCode/Common/cmReaderWriterLock.h"
#include "CustomCode/Common/cmString.h"
#include "objdb/pjObject.h"
#include "platform/ole/Variant.h"

#include <cstddef>
#include <memory>
#include <vector>

struct pjRelationEntry {
    pjObjectRef object;
    DWORD dwTimestamp;
};

class pjGenericPropertyImpl {
public:
    // A value property (the value is copied) or a relation property.
    pjGenericPropertyImpl(DWORD dwPropId, const cmString& szFirst, const cmString& szSecond, const VARIANT& value);
    pjGenericPropertyImpl(DWORD dwPropId, const cmString& szFirst, const cmString& szSecond,
                          const cmString& szRelationType);
    ~pjGenericPropertyImpl();
    pjGenericPropertyImpl(const pjGenericPropertyImpl&) = delete;
    pjGenericPropertyImpl& operator=(const pjGenericPropertyImpl&) = delete;

    // From and back to the holder pool.
    static void* operator new(std::size_t cb);
    static void operator delete(void* p);
    // Holders alive in the process.
    static std::size_t LiveHolders();

    DWORD GetId() const { return m_dwPropId; }
    // A relation property: made as one, and its id has a relation bit.
    bool IsRelation() const;

    HRESULT GetFirstText(const cmLockToken& token, cmString& szText) const;
    HRESULT SetFirstText(const cmLockToken& token, const cmString& szText);
    HRESULT GetSecondText(const cmLockToken& token, cmString& szText) const;
    // A copy of the stored value (empty for a relation property).
    HRESULT GetValue(const cmLockToken& token, VARIANT* pValue) const;
    HRESULT GetValueType(const cmLockToken& token, VARTYPE& vt) const;
    // Takes over the value (the caller's variant is left empty).
    HRESULT StoreValue(const cmLockToken& token, VARIANT& value);

    // The relation type; E_UNEXPECTED also for pedigree-qualified relations.
    HRESULT GetRelationType(const cmLockToken& token, cmString& szType) const;
    // Appends each listed object in order (null entries are skipped), after
    // checking that it qualifies; a single-valued relation is emptied before
    // each addition. The first object that does not qualify ends the call
    // with E_INVALIDARG; those before it stay added. pAdded receives the
    // objects added.
    HRESULT AddRelation(const cmLockToken& token, const pjObjectList& objects, pjObjectList* pAdded = nullptr);
    // Removes every entry of each listed object: S_OK when as many entries
    // went as objects were listed, else S_FALSE. pRemoved receives the
    // number of entries removed.
    HRESULT RemoveRelation(const cmLockToken& token, const pjObjectList& objects, DWORD* pRemoved = nullptr);
    // Single form: the related object of a single-valued relation (E_FAIL
    // when there is none). List form: all related objects.
    HRESULT GetRelations(const cmLockToken& token, pjObjectRef& object) const;
    HRESULT GetRelations(const cmLockToken& token, pjObjectList& objects) const;
    HRESULT GetRelationEntries(const cmLockToken& token, std::vector<pjRelationEntry>& entries) const;
    // Objects of the relation type in the object database that are not in
    // the list yet (by exact type name, also for pedigree relations).
    HRESULT GetPotentialRelations(const cmLockToken& token, pjObjectList& objects) const;

private:
    struct RelationData;

    DWORD m_dwPropId;
    cmString m_szFirst;
    cmString m_szSecond;
    VARIANT m_value;
    std::unique_ptr<RelationData> m_pRelation;
};
