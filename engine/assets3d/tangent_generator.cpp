#include "assets3d/tangent_generator.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "assets3d/collada_report.h"
#include "assets3d/mesh_part.h"
#include "core/log_format.h"

namespace me {

namespace {

Vec3 scaled(Vec3 v, float s) { return {v.x * s, v.y * s, v.z * s}; }
float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

// Each vertex's handedness seen so far: 1 right, 2 left, 3 both.
enum Handedness : uint8_t { kRight = 1, kLeft = 2 };

}  // namespace

void generate_tangents_for(MeshPart& part, ColladaReport& report) {
    const size_t count = part.vertex_count();
    std::vector<Vec3> tangents(count);
    std::vector<Vec3> binormals(count);
    std::vector<uint8_t> handedness(count, 0);
    for (size_t corner = 0; corner + 2 < part.indices.size(); corner += 3) {
        const uint16_t a = part.indices[corner], b = part.indices[corner + 1], c = part.indices[corner + 2];
        const Vec3 edge1 = part.positions[b] - part.positions[a];
        const Vec3 edge2 = part.positions[c] - part.positions[a];
        const Vec2 uv1 = part.texcoords[b] - part.texcoords[a];
        const Vec2 uv2 = part.texcoords[c] - part.texcoords[a];
        const float determinant = uv1.x * uv2.y - uv2.x * uv1.y;
        if (determinant == 0.0f || !std::isfinite(determinant))
            continue;
        const float r = 1.0f / determinant;
        const Vec3 tangent = scaled(scaled(edge1, uv2.y) - scaled(edge2, uv1.y), r);
        const Vec3 binormal = scaled(scaled(edge2, uv1.x) - scaled(edge1, uv2.x), r);
        const uint8_t side = determinant > 0.0f ? kRight : kLeft;
        for (const uint16_t vertex : {a, b, c}) {
            tangents[vertex] = tangents[vertex] + tangent;
            binormals[vertex] = binormals[vertex] + binormal;
            handedness[vertex] |= side;
        }
    }
    for (size_t vertex = 0; vertex < count; ++vertex) {
        if (handedness[vertex] == (kRight | kLeft)) {
            const Vec3 p = part.positions[vertex];
            report.warning(format_message(
                "Vertex at position (%1, %2, %3) is shared by adjacent polygons with different tangent space "
                "handedness. Normal map lighting will be wrong. Duplicate texture coordinate of the vertex for each "
                "of the polygons to fix it for now.",
                p.x, p.y, p.z));
        }
        const Vec3 n = part.normals[vertex];
        const Vec3 t = safe_normalize(tangents[vertex] - scaled(n, dot(n, tangents[vertex])));
        const float sign = dot(cross(n, t), binormals[vertex]) < 0.0f ? -1.0f : 1.0f;
        tangents[vertex] = t;
        binormals[vertex] = scaled(cross(n, t), sign);
    }
    part.tangents = std::move(tangents);
    part.binormals = std::move(binormals);
}

}  // namespace me
