#include <array>

#include "render/render_device.h"

namespace me {

// The "_white_" texture: one opaque white texel, so that untextured drawing
// can go through the same path as textured drawing. "_null_" has no GL side.
void RenderDevice::create_builtin_objects() {
    static constexpr std::array<uint8_t, 3> kWhite{255, 255, 255};
    glGenTextures(1, &m_white_texture);
    m_textures.bind(0, TextureTarget::Texture2D, m_white_texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, kWhite.data());
    for (GLenum wrap : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T})
        glTexParameteri(GL_TEXTURE_2D, wrap, GL_CLAMP_TO_EDGE);
    for (GLenum filter : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER})
        glTexParameteri(GL_TEXTURE_2D, filter, GL_NEAREST);
}

void RenderDevice::release_builtin_objects() {
    if (m_white_texture == 0 || !m_gl.has_context())
        return;
    m_textures.forget(m_white_texture);
    glDeleteTextures(1, &m_white_texture);
    m_white_texture = 0;
}

}  // namespace me
