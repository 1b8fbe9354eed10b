#include "gpu/vertex_buffer_storage.h"

#include <cstring>

#include "core/builtin_cvars.h"
#include "core/log.h"

namespace me {

bool client_memory_forced(const GlStateCache& gl) {
    return !gl.buffer_objects_available() || cvars::opengl_no_vbo.bool_value();
}

BufferStorage::BufferStorage(GlStateCache& gl, GLenum target, size_t element_size, size_t capacity,
                             BufferUsage usage)
    : m_gl(gl),
      m_target(target),
      m_element_size(element_size),
      m_capacity(checked_capacity(element_size, capacity)),
      m_usage(client_memory_forced(gl) ? BufferUsage::ClientMemory : usage) {
    if (m_usage == BufferUsage::ClientMemory)
        m_client.resize(m_capacity * element_size);
    else
        create_gl_buffer();
}

size_t BufferStorage::checked_capacity(size_t element_size, size_t capacity) {
    if (element_size == 0 || capacity <= kMaxBytes / element_size)
        return capacity;
    log_error(format_message("A buffer of %1 elements of %2 bytes is too large.", capacity, element_size));
    return 0;
}

BufferStorage::~BufferStorage() {
    if (m_name == 0 || !m_gl.has_context())
        return;
    if (m_target == GL_ARRAY_BUFFER)
        m_gl.forget_array_buffer(m_name);
    glDeleteBuffers(1, &m_name);
}

namespace {

GLenum gl_usage(BufferUsage usage) { return usage == BufferUsage::Dynamic ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW; }

}  // namespace

template <typename Use>
void BufferStorage::while_bound(Use&& use) {
    if (m_target == GL_ARRAY_BUFFER) {
        m_gl.bind_array_buffer(m_name);
        use();
        return;
    }
    GLint previous = 0;
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &previous);
    glBindBuffer(m_target, m_name);
    use();
    glBindBuffer(m_target, static_cast<GLuint>(previous));
}

void BufferStorage::create_gl_buffer() {
    glGenBuffers(1, &m_name);
    while_bound([this] {
        glBufferData(m_target, static_cast<GLsizeiptr>(m_capacity * m_element_size), nullptr, gl_usage(m_usage));
    });
}

bool BufferStorage::upload(std::span<const uint8_t> data, size_t count) {
    const size_t bytes = count * m_element_size;
    if (count > m_capacity || bytes > data.size()) {
        log_error(format_message("Buffer upload of %1 elements doesn't fit (capacity %2, %3 bytes given).", count,
                                 m_capacity, data.size()));
        return false;
    }
    if (m_name == 0) {
        std::memcpy(m_client.data(), data.data(), bytes);
        return true;
    }
    if (!m_gl.has_context())
        return false;
    while_bound([&] {
        if (count == m_capacity)
            glBufferData(m_target, static_cast<GLsizeiptr>(bytes), data.data(), gl_usage(m_usage));
        else
            glBufferSubData(m_target, 0, static_cast<GLsizeiptr>(bytes), data.data());
    });
    return true;
}

std::span<uint8_t> BufferStorage::map() {
    if (m_name == 0) {
        m_mapped = true;
        return m_client;
    }
    if (m_mapped || !m_gl.has_context())
        return {};
    uint8_t* bytes = nullptr;
    while_bound([&] { bytes = static_cast<uint8_t*>(glMapBuffer(m_target, GL_WRITE_ONLY)); });
    if (bytes == nullptr)
        return {};
    m_mapped = true;
    return {bytes, m_capacity * m_element_size};
}

void BufferStorage::unmap() {
    if (!m_mapped)
        return;
    m_mapped = false;
    if (m_name == 0 || !m_gl.has_context())
        return;
    while_bound([this] { glUnmapBuffer(m_target); });
}

}  // namespace me
