// Comparing texts the way Windows compares names: ASCII letters without
// regard to case, every other byte as it is.
#pragma once

#include <string_view>

namespace platform {

bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace platform
