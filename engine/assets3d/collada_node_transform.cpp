#include "assets3d/collada_node_transform.h"

#include <tinyxml.h>

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "assets3d/collada_report.h"
#include "assets3d/collada_text.h"
#include "core/log_format.h"

namespace me {

namespace {

constexpr float kDegreesToRadians = 0.017453292f;

struct TransformKind {
    const char* name;
    size_t values;
};

constexpr std::array<TransformKind, 4> kAccepted{{{"translate", 3}, {"rotate", 4}, {"scale", 3}, {"matrix", 16}}};

// A COLLADA matrix is written row by row.
Matrix4 matrix_from_rows(const std::vector<float>& values) {
    Matrix4 matrix;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            matrix.at(row, column) = values[row * 4 + column];
    return matrix;
}

Matrix4 transform_of(const char* kind, const std::vector<float>& v) {
    if (std::strcmp(kind, "translate") == 0)
        return Matrix4::translation({v[0], v[1], v[2]});
    if (std::strcmp(kind, "rotate") == 0)
        return rotation_matrix({v[0], v[1], v[2]}, v[3]);
    if (std::strcmp(kind, "scale") == 0)
        return Matrix4::scaling({v[0], v[1], v[2]});
    return matrix_from_rows(v);
}

}  // namespace

bool is_transform_element(std::string_view name) {
    for (const TransformKind& kind : kAccepted)
        if (name == kind.name)
            return true;
    return name == "skew" || name == "lookat";
}

bool read_node_transform(const TiXmlElement& node, Matrix4& transform, ColladaReport& report) {
    transform = Matrix4();
    for (const TiXmlElement* child = node.FirstChildElement(); child != nullptr; child = child->NextSiblingElement()) {
        const char* name = child->Value();
        if (std::strcmp(name, "skew") == 0 || std::strcmp(name, "lookat") == 0) {
            report.error("<skew> and <lookat> transformations not supported.");
            return false;
        }
        for (const TransformKind& kind : kAccepted) {
            if (std::strcmp(name, kind.name) != 0)
                continue;
            const std::vector<float> values = parse_float_list(element_text(*child));
            if (values.size() != kind.values) {
                report.error(format_message("Invalid number of <%1> values.", kind.name));
                return false;
            }
            transform = transform * transform_of(kind.name, values);
        }
    }
    return true;
}

Matrix4 rotation_matrix(Vec3 axis, float degrees) {
    const Vec3 a = safe_normalize(axis);
    const float radians = degrees * kDegreesToRadians;
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    const float t = 1.0f - c;
    Matrix4 m;
    m.at(0, 0) = t * a.x * a.x + c;
    m.at(0, 1) = t * a.x * a.y - s * a.z;
    m.at(0, 2) = t * a.x * a.z + s * a.y;
    m.at(1, 0) = t * a.x * a.y + s * a.z;
    m.at(1, 1) = t * a.y * a.y + c;
    m.at(1, 2) = t * a.y * a.z - s * a.x;
    m.at(2, 0) = t * a.x * a.z - s * a.y;
    m.at(2, 1) = t * a.y * a.z + s * a.x;
    m.at(2, 2) = t * a.z * a.z + c;
    return m;
}

Quaternion rotation_quaternion(Vec3 axis, float degrees) {
    const Vec3 a = safe_normalize(axis);
    const float half = degrees * kDegreesToRadians * 0.5f;
    const float s = std::sin(half);
    return {a.x * s, a.y * s, a.z * s, std::cos(half)};
}

Matrix4 up_axis_matrix(std::string_view up_axis) {
    // Y up: the document's y becomes z and its z points out of the screen
    // (-y). X up: its x becomes z, keeping the basis right-handed.
    if (up_axis == "Y_UP")
        return rotation_matrix({1, 0, 0}, 90.0f);
    if (up_axis == "X_UP")
        return rotation_matrix({0, 1, 0}, -90.0f);
    return Matrix4();
}

}  // namespace me
