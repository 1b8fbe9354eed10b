#include "render/render_target.h"

namespace me {

std::unique_ptr<RenderTarget> RenderTarget::make_texture(GlStateCache& gl, TextureUnits& units) {
    std::unique_ptr<RenderTarget> target(new RenderTarget(gl, RenderTargetKind::Texture, kTextureSize, kTextureSize));
    target->m_units = &units;
    if (!gl.has_context())
        return target;
    glGenTextures(1, &target->m_name);
    units.bind(0, TextureTarget::Texture2D, target->m_name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kTextureSize, kTextureSize, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    return target;
}

std::unique_ptr<RenderTarget> RenderTarget::make_render_buffer(GlStateCache& gl, const GlFramebufferCalls& calls,
                                                               GLenum internal_format, int width, int height) {
    if (width <= 0 || height <= 0)
        return nullptr;
    std::unique_ptr<RenderTarget> target(new RenderTarget(gl, RenderTargetKind::RenderBuffer, width, height));
    target->m_calls = &calls;
    if (!gl.has_context() || !calls.available())
        return target;
    calls.gen_renderbuffers(1, &target->m_name);
    calls.bind_renderbuffer(GL_RENDERBUFFER, target->m_name);
    calls.renderbuffer_storage(GL_RENDERBUFFER, internal_format, width, height);
    calls.bind_renderbuffer(GL_RENDERBUFFER, 0);
    return target;
}

RenderTarget::~RenderTarget() {
    if (m_name == 0 || !m_gl.has_context())
        return;
    if (m_kind == RenderTargetKind::Texture) {
        m_units->forget(m_name);
        glDeleteTextures(1, &m_name);
    } else {
        m_calls->delete_renderbuffers(1, &m_name);
    }
}

}  // namespace me
