#pragma once

#include <array>
#include <span>

#include "gpu/vertex_buffer.h"
#include "gpu/vertex_format.h"

namespace me {

struct ShaderAttribute;

struct VertexLayoutSlot {
    int buffer_index = -1;
    uint16_t format = kFloat4;
    size_t offset = 0;
    size_t stride = 0;

    bool in_use() const { return buffer_index >= 0; }
    bool operator==(const VertexLayoutSlot&) const = default;
};

// Where each shader input comes from. A fixed-function layout has one slot
// per fixed stream (position, normal, colour, texture coordinate); a custom
// layout one per generic attribute, in the shader's order.
struct VertexLayout {
    static constexpr size_t kSlots = 4;

    bool custom = false;
    std::array<VertexLayoutSlot, kSlots> slots{};
    int index = -1;

    bool same_settings(const VertexLayout& other) const { return custom == other.custom && slots == other.slots; }
};

// Matches each attribute to the first stream (buffers in order, then their
// streams in order) with its semantic and component count; an attribute
// without a match leaves its slot unused.
VertexLayout build_vertex_layout(std::span<const VertexDeclaration* const> declarations,
                                 std::span<const ShaderAttribute> attributes, bool custom);

}  // namespace me
