// Readable names of C++ types, as the run-time type information renders them.
#pragma once

#include <string>
#include <typeinfo>

namespace platform {

// The demangled name of a type ("COccasionalTask", "ns::CThing"); the raw
// name when it cannot be demangled.
std::string DemangledTypeName(const std::type_info& type);

}  // namespace platform
