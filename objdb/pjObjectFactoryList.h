// pjObjectFactoryList<T, Base>: the static factory object that offers the
// concrete class T under the base type Base. One line next to a class
// registers it during static initialisation:
//
//     PJ_FACTORY_LIST(CBSUWizard, COccasionalTask, "CBSUWizard");
//
// The factory's name is a literal written there, not taken from the type
// information; the list itself holds no data.
#pragma once

#include "objdb/pjFactoryHelper.h"
#include "objdb/pjTypeKey.h"

#include <new>

template <class T, class Base>
class pjObjectFactoryList : private pjFactoryHelper {
public:
    pjObjectFactoryList() { RegisterFactory(pjTypeKey<Base>(), this); }

    void* CreateObject() override
    {
        Base* p = new (std::nothrow) T();
        return p;
    }

    // Defined for each instantiation by PJ_FACTORY_LIST.
    cmString GetFactoryName() override;
};

#define PJ_FACTORY_LIST_CAT2(a, b) a##b
#define PJ_FACTORY_LIST_CAT(a, b) PJ_FACTORY_LIST_CAT2(a, b)

// Defines the factory's name and the static factory object. Use at namespace
// scope in the source file of T.
#define PJ_FACTORY_LIST(T, Base, szName)                                   \
    template <>                                                            \
    cmString pjObjectFactoryList<T, Base>::GetFactoryName()                \
    {                                                                      \
        return cmString(szName);                                           \
    }                                                                      \
    static pjObjectFactoryList<T, Base> PJ_FACTORY_LIST_CAT(s_pjFactoryList_, __LINE__)
