#include "gpu/render_target.h"

#include <utility>

namespace me {

RenderTarget::RenderTarget(GlStateCache& gl, RenderTargetKind kind, int width, int height)
    : m_gl(gl), m_kind(kind), m_width(width), m_height(height) {}

std::unique_ptr<RenderTarget> RenderTarget::make_texture(GlStateCache& gl, ResourceRef<EngineObject> texture,
                                                         GLuint name) {
    std::unique_ptr<RenderTarget> target(new RenderTarget(gl, RenderTargetKind::Texture, kTextureSize, kTextureSize));
    target->m_texture = std::move(texture);
    target->m_name = name;
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

// A texture target's texture goes with its last reference.
RenderTarget::~RenderTarget() {
    if (m_kind == RenderTargetKind::RenderBuffer && m_name != 0 && m_gl.has_context())
        m_calls->delete_renderbuffers(1, &m_name);
}

}  // namespace me
