// Where the build put the programs that tests start.
#pragma once

#include <string>

namespace testsupport {

// A program of the build tree, by its path below the build folder.
inline std::string BuildPath(const std::string& relative)
{
    return std::string(NOTIFIER_BINARY_DIR) + "/" + relative;
}

}  // namespace testsupport
