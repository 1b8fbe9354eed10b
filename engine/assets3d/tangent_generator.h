#pragma once

namespace me {

class ColladaReport;
struct MeshPart;

// Per-vertex tangents and binormals from the texture coordinates of the
// triangles around each vertex, made perpendicular to its normal. The part
// must have normals and texture coordinates. A vertex whose triangles
// disagree on the handedness of their texture mapping gets a warning: its
// one tangent frame cannot suit both.
void generate_tangents_for(MeshPart& part, ColladaReport& report);

}  // namespace me
