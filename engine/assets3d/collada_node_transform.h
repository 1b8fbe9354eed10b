#pragma once

#include <string_view>

#include "core/float_vector.h"
#include "core/matrix4.h"

class TiXmlElement;

namespace me {

class ColladaReport;

// The node's own transform: its <translate>, <rotate>, <scale> and <matrix>
// children composed in document order. False after reporting a refused or
// malformed transformation.
bool read_node_transform(const TiXmlElement& node, Matrix4& transform, ColladaReport& report);

// Whether the element is one of the transformations a node may carry.
bool is_transform_element(std::string_view name);

Matrix4 rotation_matrix(Vec3 axis, float degrees);
Quaternion rotation_quaternion(Vec3 axis, float degrees);
// Takes a document with the given "up_axis" text to the engine's z-up world;
// identity for "Z_UP" and for anything unrecognised.
Matrix4 up_axis_matrix(std::string_view up_axis);

}  // namespace me
