#include "gpu/frame_buffer.h"

#include <array>

#include "core/log.h"

namespace me {
namespace {

uint64_t next_frame_buffer_id() {
    static uint64_t last = 0;
    return ++last;
}

void attach_target(const GlFramebufferCalls& calls, GLenum point, const RenderTarget* target) {
    if (target != nullptr && target->kind() == RenderTargetKind::Texture)
        calls.framebuffer_texture_2d(GL_FRAMEBUFFER, point, GL_TEXTURE_2D, target->gl_name(), 0);
    else
        calls.framebuffer_renderbuffer(GL_FRAMEBUFFER, point, GL_RENDERBUFFER,
                                       target != nullptr ? target->gl_name() : 0);
}

}  // namespace

FrameBufferObject::FrameBufferObject(GlStateCache& gl, const GlFramebufferCalls& calls) : m_gl(gl), m_calls(calls) {
    if (gl.has_context() && calls.available())
        calls.gen_framebuffers(1, &m_name);
}

FrameBufferObject::~FrameBufferObject() {
    if (m_name == 0 || !m_gl.has_context())
        return;
    m_gl.forget_framebuffer(m_name);
    m_calls.delete_framebuffers(1, &m_name);
}

FrameBuffer::FrameBuffer(std::shared_ptr<FrameBufferObject> object,
                         std::vector<std::shared_ptr<RenderTarget>> colors, std::shared_ptr<RenderTarget> depth)
    : m_id(next_frame_buffer_id()), m_object(std::move(object)), m_depth(std::move(depth)) {
    if (colors.size() <= FrameBufferObject::kMaxColorAttachments)
        m_colors = std::move(colors);
    else
        log_error("Frame buffer: at most 4 colour targets can be attached.");
}

void FrameBuffer::attach() const {
    const GlFramebufferCalls& calls = m_object->calls();
    for (size_t i = 0; i < FrameBufferObject::kMaxColorAttachments; ++i) {
        const bool used = i < m_colors.size();
        if (used || i < m_object->color_attachments())
            attach_target(calls, static_cast<GLenum>(GL_COLOR_ATTACHMENT0 + i), used ? m_colors[i].get() : nullptr);
    }
    calls.framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                   m_depth ? m_depth->gl_name() : 0);
    m_object->set_color_attachments(m_colors.size());
    m_object->set_configured_for(m_id);
}

void FrameBuffer::select_draw_buffers() const {
    static constexpr std::array<GLenum, FrameBufferObject::kMaxColorAttachments> kBuffers{
        GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1, GL_COLOR_ATTACHMENT2, GL_COLOR_ATTACHMENT3};
    if (m_colors.empty())
        glDrawBuffer(GL_NONE);
    else if (m_colors.size() == 1)
        glDrawBuffer(GL_COLOR_ATTACHMENT0);
    else
        glDrawBuffers(static_cast<GLsizei>(m_colors.size()), kBuffers.data());
}

bool FrameBuffer::configure_bound_object() const {
    if (m_object->configured_for() != m_id)
        attach();
    select_draw_buffers();
    const GLenum status = m_object->calls().check_framebuffer_status(GL_FRAMEBUFFER);
    if (status == GL_FRAMEBUFFER_COMPLETE)
        return true;
    log_error(format_message(
        "Frame buffer: Completeness test failed (%1), frame buffer configuration not supported.", status));
    return false;
}

}  // namespace me
