#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/float_vector.h"
#include "core/matrix4.h"

namespace me {

// One <triangles> or <polygons> element of a geometry: indexed triangles
// over vertices whose optional streams are either empty or as long as the
// positions.
struct MeshPart {
    static constexpr size_t kMaxVertices = 65535;

    std::string geometry_id;
    // Which part of its geometry this is, counting from 0.
    int index_in_geometry = 0;
    // The element's "material" attribute, which scenes bind materials to.
    std::string source_symbol;
    // The bound material's name; the source symbol while none is bound.
    std::string material_symbol;
    bool material_bound = false;
    std::vector<Vec3> positions;
    std::vector<Vec3> normals;
    std::vector<Vec2> texcoords;
    std::vector<Vec3> tangents;
    std::vector<Vec3> binormals;
    std::vector<uint16_t> indices;

    size_t vertex_count() const { return positions.size(); }
    size_t triangle_count() const { return indices.size() / 3; }
};

// One <instance_geometry> of the scene: a node's transform applied to every
// part of one geometry.
struct PartPlacement {
    std::string node_name;
    // Up axis conversion included: the transform takes part vertices to the
    // engine's z-up world.
    Matrix4 transform;
    std::vector<size_t> parts;
};

}  // namespace me
