#pragma once

#include <GL/glew.h>

namespace me {

enum class BlendMode {
    Opaque = 0,
    Add = 1,
    AlphaAdd = 2,
    Alpha = 3,
    Premultiplied = 4,
    Multiply = 5,
    DestinationAdd = 6,
};

struct BlendFactors {
    GLenum source = GL_ONE;
    GLenum destination = GL_ZERO;

    // (one, zero) is drawn with blending off.
    bool disables_blending() const { return source == GL_ONE && destination == GL_ZERO; }
    bool operator==(const BlendFactors&) const = default;
};

// The factors of a blend mode value; an unknown value gives (one, zero).
BlendFactors blend_factors(int mode);

}  // namespace me
