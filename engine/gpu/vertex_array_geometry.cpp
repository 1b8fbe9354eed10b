#include "gpu/vertex_array_geometry.h"

namespace me {

VertexGeometry::~VertexGeometry() {
    if (m_vertex_array != 0 && m_gl.has_context())
        glDeleteVertexArrays(1, &m_vertex_array);
}

VertexBuffer* VertexGeometry::buffer(int index) const {
    if (index < 0 || index >= static_cast<int>(kMaxBuffers))
        return nullptr;
    return m_buffers[static_cast<size_t>(index)].get();
}

bool VertexGeometry::uses_client_memory() const {
    for (const auto& buffer : m_buffers) {
        if (buffer && buffer->storage().gl_name() == 0)
            return true;
    }
    return m_indices && m_indices->storage().gl_name() == 0;
}

}  // namespace me
