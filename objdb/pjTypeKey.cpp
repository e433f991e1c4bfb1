#include "objdb/pjTypeKey.h"

#include "platform/linux/TypeName.h"

#include <string>

cmString pjTypeKeyFromTypeInfo(const std::type_info& type)
{
    const std::string key = "class " + platform::DemangledTypeName(type);
    return cmString(key.c_str(), static_cast<DWORD>(key.size()));
}
