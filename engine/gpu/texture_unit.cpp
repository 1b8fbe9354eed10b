#include "gpu/texture_unit.h"

namespace me {
namespace {

GLenum gl_target(TextureTarget target) {
    return target == TextureTarget::Texture2D ? GL_TEXTURE_2D : GL_TEXTURE_CUBE_MAP;
}

}  // namespace

bool TextureUnits::bind(int unit, TextureTarget target, GLuint texture) {
    if (unit < 0 || unit >= kUnits)
        return false;
    GLuint& slot = m_bound[static_cast<size_t>(unit)][static_cast<size_t>(target)];
    if (slot == texture || !m_gl.has_context())
        return true;
    m_gl.select_texture_unit(unit);
    glBindTexture(gl_target(target), texture);
    slot = texture;
    return true;
}

GLuint TextureUnits::bound(int unit, TextureTarget target) const {
    if (unit < 0 || unit >= kUnits)
        return 0;
    return m_bound[static_cast<size_t>(unit)][static_cast<size_t>(target)];
}

void TextureUnits::forget(GLuint texture) {
    if (texture == 0)
        return;
    for (int unit = 0; unit < kUnits; ++unit) {
        for (TextureTarget target : {TextureTarget::Texture2D, TextureTarget::CubeMap}) {
            if (bound(unit, target) == texture)
                bind(unit, target, 0);
        }
    }
}

}  // namespace me
