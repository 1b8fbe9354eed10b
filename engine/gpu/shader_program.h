#pragma once

#include <GL/glew.h>

#include <string>
#include <vector>

#include "gpu/shader_attribute.h"

namespace me {

// Compiles and links a GLSL program from the texts of its two stages, with
// attribute i bound to location i. Failures are logged with the driver's
// info log; the result is then 0 and nothing is left behind.
GLhandleARB build_shader_program(const std::vector<std::string>& vertex_texts,
                                 const std::vector<std::string>& pixel_texts,
                                 const std::vector<ShaderAttribute>& attributes);

}  // namespace me
