#pragma once

#include <memory>
#include <string>

#include "gpu/gl_state_cache.h"
#include "gpu/shader.h"
#include "gpu/shader_def.h"

namespace me {

// Builds a custom shader from its def. The shader comes back whatever
// happens; it is loaded only when every step succeeded, and otherwise the
// reason and "Unable to load shader" have been logged.
std::unique_ptr<Shader> load_shader(const std::string& name, const ShaderDef& def, const ShaderFileReader& read,
                                    const GlStateCache& gl);

// The built-in fixed-function shader (position, colour, one texture).
std::unique_ptr<Shader> make_fixed_shader();

}  // namespace me
