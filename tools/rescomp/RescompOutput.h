// The outputs of the resource compiler: a C++ source that holds every
// resource's bytes and registers them with the platform layer during static
// initialisation, and a make-style dependency file naming every input.
#pragma once

#include "tools/rescomp/RescompInput.h"

#include <string>
#include <vector>

namespace rescomp {

// moduleName empty: the table becomes the program's own module
// (platform::RegisterProgramResources); otherwise a further module of that
// name (platform::ResourceModule), for test programs.
std::string GenerateSource(const std::vector<Resource>& resources, const std::string& moduleName);

std::string GenerateDepfile(const std::string& output, const std::vector<std::string>& inputs);

// Writes the file through a temporary one, so a failed run leaves no half file.
bool WriteFileAtomically(const std::string& path, const std::string& content);

}  // namespace rescomp
