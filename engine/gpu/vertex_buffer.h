#pragma once

#include "gpu/vertex_buffer_storage.h"
#include "gpu/vertex_format_declaration.h"

namespace me {

// Vertices of one declaration, in a GL buffer object or client memory.
class VertexBuffer {
public:
    VertexBuffer(GlStateCache& gl, VertexDeclaration declaration, size_t capacity, BufferUsage usage)
        : m_declaration(std::move(declaration)),
          m_storage(gl, GL_ARRAY_BUFFER, m_declaration.vertex_size(), capacity, usage) {}

    const VertexDeclaration& declaration() const { return m_declaration; }
    size_t vertex_size() const { return m_declaration.vertex_size(); }
    BufferStorage& storage() { return m_storage; }
    const BufferStorage& storage() const { return m_storage; }

    bool upload(std::span<const uint8_t> vertices, size_t count) { return m_storage.upload(vertices, count); }
    std::span<uint8_t> map() { return m_storage.map(); }
    void unmap() { m_storage.unmap(); }

private:
    VertexDeclaration m_declaration;
    BufferStorage m_storage;
};

}  // namespace me
