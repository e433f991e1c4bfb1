// Type keys of the factory registry: the readable class name that the
// run-time type information gives, rendered "class <name>", derived from the
// type itself so that the registering and the asking side always agree.
#pragma once

#include "CustomCode/Common/cmString.h"

#include <typeinfo>

cmString pjTypeKeyFromTypeInfo(const std::type_info& type);

template <class T>
cmString pjTypeKey()
{
    return pjTypeKeyFromTypeInfo(typeid(T));
}
