#include "gpu/vertex_array_layout.h"

#include "gpu/shader_attribute.h"

namespace me {
namespace {

VertexLayoutSlot find_stream(std::span<const VertexDeclaration* const> declarations,
                             const ShaderAttribute& attribute) {
    for (size_t buffer = 0; buffer < declarations.size(); ++buffer) {
        for (const VertexStream& stream : declarations[buffer]->streams()) {
            if (stream.semantic == attribute.semantic &&
                vertex_format_components(stream.format) == attribute.components)
                return {static_cast<int>(buffer), stream.format, stream.offset, stream.stride};
        }
    }
    return {};
}

}  // namespace

VertexLayout build_vertex_layout(std::span<const VertexDeclaration* const> declarations,
                                 std::span<const ShaderAttribute> attributes, bool custom) {
    VertexLayout layout;
    layout.custom = custom;
    for (size_t i = 0; i < attributes.size() && i < VertexLayout::kSlots; ++i) {
        const auto slot = custom ? i : static_cast<size_t>(attributes[i].semantic);
        if (slot < VertexLayout::kSlots && !layout.slots[slot].in_use())
            layout.slots[slot] = find_stream(declarations, attributes[i]);
    }
    return layout;
}

}  // namespace me
