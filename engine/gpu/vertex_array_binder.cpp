#include "gpu/vertex_array_binder.h"

namespace me {
namespace {

constexpr std::array<GLenum, VertexLayout::kSlots> kFixedArrays{GL_VERTEX_ARRAY, GL_NORMAL_ARRAY, GL_COLOR_ARRAY,
                                                                 GL_TEXTURE_COORD_ARRAY};

void set_fixed_pointer(size_t slot, const VertexLayoutSlot& stream, const void* address) {
    const GLint components = vertex_format_components(stream.format);
    const GLenum type = vertex_format_gl_type(stream.format);
    const auto stride = static_cast<GLsizei>(stream.stride);
    switch (slot) {
    case 0:
        glVertexPointer(components, type, stride, address);
        break;
    case 1:
        glNormalPointer(type, stride, address);
        break;
    case 2:
        glColorPointer(components, type, stride, address);
        break;
    default:
        glClientActiveTexture(GL_TEXTURE0);
        glTexCoordPointer(components, type, stride, address);
        break;
    }
}

}  // namespace

void VertexArrayBinder::reset() {
    m_bound_vertex_array = 0;
    m_current.reset();
    m_last_without_array.reset();
    m_fixed_enabled.fill(false);
    m_custom_enabled.fill(false);
}

void VertexArrayBinder::bind_vertex_array(GLuint name) {
    if (name == m_bound_vertex_array || !m_vertex_arrays)
        return;
    glBindVertexArray(name);
    m_bound_vertex_array = name;
}

void VertexArrayBinder::prepare(VertexGeometry& geometry) {
    if (!m_vertex_arrays || !m_gl.has_context() || geometry.uses_client_memory())
        return;
    GLuint name = 0;
    glGenVertexArrays(1, &name);
    geometry.set_vertex_array(name);
    bind_vertex_array(name);
    set_up_streams(geometry, false);
    bind_vertex_array(0);
    m_last_without_array.reset();
}

void VertexArrayBinder::bind(const std::shared_ptr<VertexGeometry>& geometry) {
    if (!m_gl.has_context() || !geometry)
        return;
    m_current = geometry;
    if (geometry->vertex_array() != 0) {
        bind_vertex_array(geometry->vertex_array());
        return;
    }
    bind_vertex_array(0);
    if (m_last_without_array == geometry)
        return;
    set_up_streams(*geometry, true);
    m_last_without_array = geometry;
}

void VertexArrayBinder::set_up_streams(const VertexGeometry& geometry, bool track) {
    const VertexLayout& layout = geometry.layout();
    for (size_t slot = 0; slot < VertexLayout::kSlots; ++slot) {
        const bool used = layout.slots[slot].in_use() && geometry.buffer(layout.slots[slot].buffer_index) != nullptr;
        enable_stream(slot, layout.custom, used, track);
        if (used)
            set_up_slot(geometry, slot);
    }
    if (track) {
        for (size_t slot = 0; slot < VertexLayout::kSlots; ++slot)
            enable_stream(slot, !layout.custom, false, true);
    }
    const IndexBuffer* indices = geometry.indices();
    if (m_gl.buffer_objects_available())
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices != nullptr ? indices->storage().gl_name() : 0);
}

void VertexArrayBinder::set_up_slot(const VertexGeometry& geometry, size_t slot) {
    const VertexLayoutSlot& stream = geometry.layout().slots[slot];
    BufferStorage& storage = geometry.buffer(stream.buffer_index)->storage();
    m_gl.bind_array_buffer(storage.gl_name());
    const uint8_t* base = storage.client_data();
    const void* address = base != nullptr ? static_cast<const void*>(base + stream.offset)
                                          : reinterpret_cast<const void*>(stream.offset);
    if (geometry.layout().custom)
        glVertexAttribPointer(static_cast<GLuint>(slot), vertex_format_components(stream.format),
                              vertex_format_gl_type(stream.format),
                              vertex_format_normalised(stream.format) ? GL_TRUE : GL_FALSE,
                              static_cast<GLsizei>(stream.stride), address);
    else
        set_fixed_pointer(slot, stream, address);
}

void VertexArrayBinder::enable_stream(size_t slot, bool custom, bool on, bool track) {
    bool& enabled = custom ? m_custom_enabled[slot] : m_fixed_enabled[slot];
    if (track && enabled == on)
        return;
    if (!track && !on)
        return;
    if (custom) {
        m_gl.enable_vertex_attribute(static_cast<GLuint>(slot), on);
    } else {
        if (slot == 3)
            glClientActiveTexture(GL_TEXTURE0);
        m_gl.enable_client_state(kFixedArrays[slot], on);
    }
    if (track)
        enabled = on;
}

}  // namespace me
