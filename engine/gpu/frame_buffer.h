#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "gpu/render_target.h"

namespace me {

// A GL frame-buffer object. Several FrameBuffers may share one; it remembers
// which of them its attachments were last configured for.
class FrameBufferObject {
public:
    static constexpr size_t kMaxColorAttachments = 4;

    FrameBufferObject(GlStateCache& gl, const GlFramebufferCalls& calls);
    ~FrameBufferObject();
    FrameBufferObject(const FrameBufferObject&) = delete;
    FrameBufferObject& operator=(const FrameBufferObject&) = delete;

    GLuint gl_name() const { return m_name; }
    const GlFramebufferCalls& calls() const { return m_calls; }
    uint64_t configured_for() const { return m_configured_for; }
    void set_configured_for(uint64_t frame_buffer_id) { m_configured_for = frame_buffer_id; }
    size_t color_attachments() const { return m_color_attachments; }
    void set_color_attachments(size_t count) { m_color_attachments = count; }

private:
    GlStateCache& m_gl;
    const GlFramebufferCalls& m_calls;
    GLuint m_name = 0;
    uint64_t m_configured_for = 0;
    size_t m_color_attachments = 0;
};

// A frame-buffer object together with the targets it should draw into.
class FrameBuffer {
public:
    // More than four colour targets are refused: the object is then left
    // without any (and reports incomplete when bound).
    FrameBuffer(std::shared_ptr<FrameBufferObject> object, std::vector<std::shared_ptr<RenderTarget>> colors,
                std::shared_ptr<RenderTarget> depth);

    FrameBufferObject& object() const { return *m_object; }
    size_t color_count() const { return m_colors.size(); }

    // Binds the object (the device has chosen to) and attaches this frame
    // buffer's targets if the object was last set up for another one. False,
    // with an error line, when the result is not complete.
    bool configure_bound_object() const;

private:
    void attach() const;
    void select_draw_buffers() const;

    uint64_t m_id;
    std::shared_ptr<FrameBufferObject> m_object;
    std::vector<std::shared_ptr<RenderTarget>> m_colors;
    std::shared_ptr<RenderTarget> m_depth;
};

}  // namespace me
