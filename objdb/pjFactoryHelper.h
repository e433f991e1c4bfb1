// pjFactoryHelper: the base of every registered factory. A factory enters
// itself into the object database's factory registry under a type key and
// later makes objects of its kind for whoever asks the registry.
#pragma once

#include "CustomCode/Common/cmString.h"

class pjFactoryHelper {
public:
    pjFactoryHelper() = default;
    pjFactoryHelper(const pjFactoryHelper&) = delete;
    pjFactoryHelper& operator=(const pjFactoryHelper&) = delete;

    // A new object of the factory's kind, as a pointer to the base type it is
    // registered under (the caller converts it back to that type), or null.
    virtual void* CreateObject();
    // The factory's name; the base gives an empty string.
    virtual cmString GetFactoryName();

    // Appends the factory to the registry's list for the key, creating the
    // database on first use. No duplicates check: registering twice lists twice.
    static void RegisterFactory(const cmString& typeKey, pjFactoryHelper* pFactory);

protected:
    // Factories are static objects that live until the process ends.
    ~pjFactoryHelper() = default;
};
