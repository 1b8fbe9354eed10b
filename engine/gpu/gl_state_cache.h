#pragma once

#include <GL/glew.h>

#include <array>
#include <cstdint>

namespace me {

// The device's gate to OpenGL state. Every state-changing call goes through
// here so that nothing reaches GL without a context, redundant bindings are
// dropped, and the number of calls issued can be observed.
class GlStateCache {
public:
    static constexpr int kTextureUnits = 5;

    bool has_context() const { return m_has_context; }
    void set_has_context(bool present);
    bool buffer_objects_available() const { return m_has_context && m_buffer_objects; }
    void set_buffer_objects_available(bool available) { m_buffer_objects = available; }

    // GL calls issued through this cache since it was made.
    uint64_t call_count() const { return m_calls; }

    void enable(GLenum capability, bool on);
    void depth_func(GLenum function);
    void depth_mask(bool write);
    void cull_face(GLenum face);
    void blend_func(GLenum source, GLenum destination);
    void enable_client_state(GLenum array, bool on);
    void enable_vertex_attribute(GLuint index, bool on);

    // These skip the call when the binding is already in place.
    void select_texture_unit(int unit);
    int active_texture_unit() const { return m_active_unit; }
    void bind_array_buffer(GLuint name);
    GLuint bound_array_buffer() const { return m_array_buffer; }
    // Forgets a buffer about to be deleted, so that a new one reusing its
    // name is bound again.
    void forget_array_buffer(GLuint name);
    GLuint bound_framebuffer() const { return m_framebuffer; }
    void set_bound_framebuffer(GLuint name) { m_framebuffer = name; }
    void forget_framebuffer(GLuint name);

private:
    bool counted() {
        if (m_has_context)
            ++m_calls;
        return m_has_context;
    }

    bool m_has_context = false;
    bool m_buffer_objects = false;
    uint64_t m_calls = 0;
    int m_active_unit = 0;
    GLuint m_array_buffer = 0;
    GLuint m_framebuffer = 0;
};

}  // namespace me
