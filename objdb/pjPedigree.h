// pjPedigree: the set of type names an object counts as. Every object
// starts with the set that holds only the type key of pjObject; the objects
// share that one set until a derived class adds a name of its own, which
// gives the object a copy (so a hundred thousand plain objects cost one set).
// Names are added by constructors only; reading is then safe from any thread.
#pragma once

#include "CustomCode/Common/cmString.h"

#include <memory>
#include <set>

class pjPedigree {
public:
    using Set = std::set<cmString>;
    using const_iterator = Set::const_iterator;

    pjPedigree();

    void insert(const cmString& szTypeName);
    const_iterator find(const cmString& szTypeName) const { return m_pSet->find(szTypeName); }
    const_iterator begin() const { return m_pSet->begin(); }
    const_iterator end() const { return m_pSet->end(); }
    std::size_t size() const { return m_pSet->size(); }
    bool Contains(const cmString& szTypeName) const { return find(szTypeName) != end(); }

private:
    std::shared_ptr<const Set> m_pSet;
};
