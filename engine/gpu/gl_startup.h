#pragma once

#include <string>
#include <vector>

namespace me {

struct GlCapabilities {
    std::string version;
    std::string renderer;
    std::string vendor;
    bool buffer_objects = false;
    bool vertex_arrays = false;
};

// The lines logged about the driver once GL is up.
std::vector<std::string> capability_report(const GlCapabilities& capabilities);

// Loads the GL entry points of the current context and logs the capability
// report; false (with the error logged) when GLEW cannot start.
bool start_glew(GlCapabilities& capabilities);

}  // namespace me
