#pragma once

#include <array>
#include <memory>

#include "gpu/vertex_array_geometry.h"

namespace me {

// Points GL's vertex inputs at a geometry's streams. Stream enabling is
// tracked for the default vertex array so that it changes only when a
// stream's use changes; geometries with their own vertex-array object are
// recorded once and then bound with a single call.
class VertexArrayBinder {
public:
    explicit VertexArrayBinder(GlStateCache& gl) : m_gl(gl) {}

    void set_vertex_arrays_available(bool available) { m_vertex_arrays = available; }
    // Records the geometry in a vertex-array object when it can have one.
    void prepare(VertexGeometry& geometry);
    void bind(const std::shared_ptr<VertexGeometry>& geometry);
    const VertexGeometry* current() const { return m_current.get(); }
    // Forgets every binding (the context went away or was re-made).
    void reset();

private:
    void bind_vertex_array(GLuint name);
    void set_up_streams(const VertexGeometry& geometry, bool track);
    void set_up_slot(const VertexGeometry& geometry, size_t slot);
    void enable_stream(size_t slot, bool custom, bool on, bool track);

    GlStateCache& m_gl;
    bool m_vertex_arrays = false;
    GLuint m_bound_vertex_array = 0;
    std::shared_ptr<VertexGeometry> m_current;
    std::shared_ptr<VertexGeometry> m_last_without_array;
    // Streams enabled in the default vertex array: fixed, then custom.
    std::array<bool, VertexLayout::kSlots> m_fixed_enabled{};
    std::array<bool, VertexLayout::kSlots> m_custom_enabled{};
};

}  // namespace me
