#pragma once

#include <GL/glew.h>

#include <array>

#include "gpu/gl_state_cache.h"

namespace me {

enum class TextureTarget { Texture2D = 0, CubeMap = 1 };

// What is bound to each texture unit's 2D and cube-map targets, so that a
// binding already in place costs no GL call.
class TextureUnits {
public:
    static constexpr int kUnits = GlStateCache::kTextureUnits;

    explicit TextureUnits(GlStateCache& gl) : m_gl(gl) {}

    // False for a unit outside 0-4.
    bool bind(int unit, TextureTarget target, GLuint texture);
    GLuint bound(int unit, TextureTarget target) const;
    // Unbinds a texture about to be deleted from every unit that holds it.
    void forget(GLuint texture);
    void reset() { m_bound = {}; }

private:
    GlStateCache& m_gl;
    std::array<std::array<GLuint, 2>, kUnits> m_bound{};
};

}  // namespace me
