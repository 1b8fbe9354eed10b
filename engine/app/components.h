#pragma once

#include <string>

namespace me {

// The normalised path of the data directory below the current directory.
extern std::string* g_root_data_path;

// Creates every process-wide component, in the order that start-up and the
// frame rely on, and points its global at it. Constructors only set fields.
void create_components();

}  // namespace me
