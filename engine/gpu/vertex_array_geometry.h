#pragma once

#include <GL/glew.h>

#include <array>
#include <memory>

#include "gpu/index_buffer.h"
#include "gpu/vertex_array_layout.h"

namespace me {

// What one draw reads: a layout over up to two vertex buffers and optional
// indices. Binding is done by VertexArrayBinder.
class VertexGeometry {
public:
    static constexpr size_t kMaxBuffers = 2;

    VertexGeometry(GlStateCache& gl, const VertexLayout& layout, std::array<std::shared_ptr<VertexBuffer>, 2> buffers,
                   std::shared_ptr<IndexBuffer> indices)
        : m_gl(gl), m_layout(layout), m_buffers(std::move(buffers)), m_indices(std::move(indices)) {}
    ~VertexGeometry();
    VertexGeometry(const VertexGeometry&) = delete;
    VertexGeometry& operator=(const VertexGeometry&) = delete;

    const VertexLayout& layout() const { return m_layout; }
    // Null for a slot without a buffer.
    VertexBuffer* buffer(int index) const;
    IndexBuffer* indices() const { return m_indices.get(); }
    bool uses_client_memory() const;

    GLuint vertex_array() const { return m_vertex_array; }
    void set_vertex_array(GLuint name) { m_vertex_array = name; }

private:
    GlStateCache& m_gl;
    const VertexLayout& m_layout;
    std::array<std::shared_ptr<VertexBuffer>, kMaxBuffers> m_buffers;
    std::shared_ptr<IndexBuffer> m_indices;
    GLuint m_vertex_array = 0;
};

}  // namespace me
