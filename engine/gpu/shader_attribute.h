#pragma once

#include <string>

#include "gpu/vertex_format_declaration.h"

namespace me {

struct ShaderAttribute {
    std::string name;
    VertexSemantic semantic = VertexSemantic::Position;
    int components = 0;
};

}  // namespace me
