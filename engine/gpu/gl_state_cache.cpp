#include "gpu/gl_state_cache.h"

namespace me {

void GlStateCache::set_has_context(bool present) {
    m_has_context = present;
    m_active_unit = 0;
    m_array_buffer = 0;
    m_framebuffer = 0;
}

void GlStateCache::enable(GLenum capability, bool on) {
    if (!counted())
        return;
    if (on)
        glEnable(capability);
    else
        glDisable(capability);
}

void GlStateCache::depth_func(GLenum function) {
    if (counted())
        glDepthFunc(function);
}

void GlStateCache::depth_mask(bool write) {
    if (counted())
        glDepthMask(write ? GL_TRUE : GL_FALSE);
}

void GlStateCache::cull_face(GLenum face) {
    if (counted())
        glCullFace(face);
}

void GlStateCache::blend_func(GLenum source, GLenum destination) {
    if (counted())
        glBlendFunc(source, destination);
}

void GlStateCache::enable_client_state(GLenum array, bool on) {
    if (!counted())
        return;
    if (on)
        glEnableClientState(array);
    else
        glDisableClientState(array);
}

void GlStateCache::enable_vertex_attribute(GLuint index, bool on) {
    if (!counted())
        return;
    if (on)
        glEnableVertexAttribArray(index);
    else
        glDisableVertexAttribArray(index);
}

void GlStateCache::select_texture_unit(int unit) {
    if (unit == m_active_unit || !counted())
        return;
    glActiveTexture(GL_TEXTURE0 + unit);
    m_active_unit = unit;
}

void GlStateCache::bind_array_buffer(GLuint name) {
    if (name == m_array_buffer || !buffer_objects_available() || !counted())
        return;
    glBindBuffer(GL_ARRAY_BUFFER, name);
    m_array_buffer = name;
}

void GlStateCache::forget_array_buffer(GLuint name) {
    if (m_array_buffer == name)
        m_array_buffer = 0;
}

void GlStateCache::forget_framebuffer(GLuint name) {
    if (m_framebuffer == name)
        m_framebuffer = 0;
}

}  // namespace me
