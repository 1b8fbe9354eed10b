#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace me {

struct ShaderAttributeDef {
    std::string name;
    std::string semantic;  // "position", "normal", "color", "texcoord", "tangent"
    std::string type;      // "vector1" to "vector4"
};

struct ShaderUniformDef {
    std::string name;
    std::string type;  // "texture", "cubemap", "float", "vector3f", "vector4f", "vector4f[]"
    std::string property_name;  // empty: the name
    bool internal = false;
};

// A shader def as read from its script table. A missing list, or a value of
// the wrong kind, is an empty optional; so is a list entry that is not a
// table, so that the loader can say which entry was wrong.
struct ShaderDef {
    std::optional<std::vector<std::optional<ShaderAttributeDef>>> attributes;
    std::optional<std::vector<std::optional<ShaderUniformDef>>> uniforms;
    // Files whose texts together make the stage's source.
    std::optional<std::vector<std::string>> vertex_shader;
    std::optional<std::vector<std::string>> pixel_shader;
};

// Reads one shader file; empty when it cannot be read (the reader logs why).
using ShaderFileReader = std::function<std::optional<std::string>(const std::string& path)>;

}  // namespace me
