#pragma once

#include <memory>

#include "gpu/index_buffer.h"
#include "gpu/vertex_buffer.h"

namespace me {

class RenderDevice;
struct MeshPart;

// A mesh part in GPU buffers: one interleaved vertex per part vertex with
// the streams the part has (position, normal, texture coordinates, tangent)
// and its 16-bit triangle indices.
struct MeshPartBuffers {
    std::shared_ptr<VertexBuffer> vertices;
    std::shared_ptr<IndexBuffer> indices;
    int index_count = 0;
};

// Null buffers when the device refuses them.
MeshPartBuffers upload_mesh_part(RenderDevice& device, const MeshPart& part);

}  // namespace me
