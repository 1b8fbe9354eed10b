#include "assets3d/mesh_part_buffers.h"

#include <array>
#include <vector>

#include "assets3d/mesh_part.h"
#include "gpu/render_device.h"

namespace me {

namespace {

VertexDeclaration declaration_for(const MeshPart& part) {
    VertexDeclaration declaration;
    declaration.append(VertexSemantic::Position, kFloat3);
    if (!part.normals.empty())
        declaration.append(VertexSemantic::Normal, kFloat3);
    if (!part.texcoords.empty())
        declaration.append(VertexSemantic::TexCoord, kFloat2);
    if (!part.tangents.empty())
        declaration.append(VertexSemantic::Tangent, kFloat3);
    return declaration;
}

void write_vertex(const MeshPart& part, size_t vertex, std::span<uint8_t> out) {
    const auto put = [&](uint16_t format, std::span<const float> values) {
        write_vertex_element(format, values, out);
        out = out.subspan(vertex_format_bytes(format));
    };
    const auto vec3 = [](Vec3 v) { return std::array<float, 3>{v.x, v.y, v.z}; };
    put(kFloat3, vec3(part.positions[vertex]));
    if (!part.normals.empty())
        put(kFloat3, vec3(part.normals[vertex]));
    if (!part.texcoords.empty())
        put(kFloat2, std::array<float, 2>{part.texcoords[vertex].x, part.texcoords[vertex].y});
    if (!part.tangents.empty())
        put(kFloat3, vec3(part.tangents[vertex]));
}

}  // namespace

MeshPartBuffers upload_mesh_part(RenderDevice& device, const MeshPart& part) {
    MeshPartBuffers buffers;
    if (part.indices.empty())
        return buffers;
    const VertexDeclaration declaration = declaration_for(part);
    std::vector<uint8_t> bytes(part.vertex_count() * declaration.vertex_size());
    for (size_t vertex = 0; vertex < part.vertex_count(); ++vertex)
        write_vertex(part, vertex, std::span<uint8_t>(bytes).subspan(vertex * declaration.vertex_size()));
    buffers.vertices = device.create_vertex_buffer(declaration, part.vertex_count(), BufferUsage::Static);
    buffers.indices = device.create_index_buffer(part.indices.size(), BufferUsage::Static);
    if (!buffers.vertices->upload(bytes, part.vertex_count()) || !buffers.indices->upload(part.indices))
        return {};
    buffers.index_count = static_cast<int>(part.indices.size());
    return buffers;
}

}  // namespace me
