#pragma once

#include <string>
#include <vector>

namespace me {

// The paths of the shared libraries loaded into the process.
std::vector<std::string> loaded_libraries();

// Keeps every library loaded now but missing from earlier loaded until the
// process ends.
void keep_libraries_loaded_since(const std::vector<std::string>& earlier);

}  // namespace me
