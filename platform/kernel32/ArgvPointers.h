// The char* array that exec and spawn calls take, over strings the caller
// keeps alive, ending with a null pointer.
#pragma once

#include <string>
#include <vector>

namespace platform {

inline std::vector<char*> ArgvPointers(std::vector<std::string>& strings)
{
    std::vector<char*> p;
    p.reserve(strings.size() + 1);
    for (std::string& s : strings)
        p.push_back(s.data());
    p.push_back(nullptr);
    return p;
}

}  // namespace platform
