#include "platform/linux/TypeName.h"

#include <cstdlib>
#include <cxxabi.h>
#include <memory>

namespace platform {

std::string DemangledTypeName(const std::type_info& type)
{
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> name(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
    if (status != 0 || !name)
        return type.name();
    return name.get();
}

}  // namespace platform
