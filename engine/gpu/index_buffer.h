#pragma once

#include <cstdint>

#include "gpu/vertex_buffer_storage.h"

namespace me {

// 16-bit unsigned indices, in a GL buffer object or client memory.
class IndexBuffer {
public:
    IndexBuffer(GlStateCache& gl, size_t capacity, BufferUsage usage)
        : m_storage(gl, GL_ELEMENT_ARRAY_BUFFER, sizeof(uint16_t), capacity, usage) {}

    BufferStorage& storage() { return m_storage; }
    const BufferStorage& storage() const { return m_storage; }

    bool upload(std::span<const uint16_t> indices) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(indices.data());
        return m_storage.upload({bytes, indices.size_bytes()}, indices.size());
    }

private:
    BufferStorage m_storage;
};

}  // namespace me
