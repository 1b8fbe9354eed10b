#pragma once

#include <GL/glew.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "gpu/gl_state_cache.h"

namespace me {

enum class BufferUsage { Static = 0, Dynamic = 1, ClientMemory = 2 };

// The bytes behind a vertex or index buffer: a GL buffer object, or a plain
// block of client memory when buffer objects are unavailable or turned off.
class BufferStorage {
public:
    // A larger request is refused (logged, capacity 0) rather than attempted.
    static constexpr size_t kMaxBytes = size_t{256} * 1024 * 1024;

    // target is GL_ARRAY_BUFFER or GL_ELEMENT_ARRAY_BUFFER.
    BufferStorage(GlStateCache& gl, GLenum target, size_t element_size, size_t capacity, BufferUsage usage);
    ~BufferStorage();
    BufferStorage(const BufferStorage&) = delete;
    BufferStorage& operator=(const BufferStorage&) = delete;

    BufferUsage usage() const { return m_usage; }
    size_t capacity() const { return m_capacity; }
    size_t element_size() const { return m_element_size; }
    GLuint gl_name() const { return m_name; }
    // The client block, or null for a GL buffer.
    const uint8_t* client_data() const { return m_client.empty() ? nullptr : m_client.data(); }

    // Copies `count` elements from the front of data; false (with an error
    // line) when more than the capacity or more than data holds.
    bool upload(std::span<const uint8_t> data, size_t count);
    // Write access to the whole buffer; empty when it cannot be mapped.
    std::span<uint8_t> map();
    void unmap();
    bool mapped() const { return m_mapped; }

private:
    static size_t checked_capacity(size_t element_size, size_t capacity);
    void create_gl_buffer();
    // Runs `use` with the buffer bound to its target. The element-array
    // binding belongs to the bound vertex-array object, so it is restored.
    template <typename Use>
    void while_bound(Use&& use);

    GlStateCache& m_gl;
    GLenum m_target;
    size_t m_element_size;
    size_t m_capacity;
    BufferUsage m_usage;
    GLuint m_name = 0;
    std::vector<uint8_t> m_client;
    bool m_mapped = false;
};

// Whether buffers get client memory whatever they ask for.
bool client_memory_forced(const GlStateCache& gl);

}  // namespace me
