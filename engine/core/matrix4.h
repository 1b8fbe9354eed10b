#pragma once

#include <array>

#include "core/float_vector.h"

namespace me {

// A 4x4 float matrix stored column by column, the order OpenGL loads.
struct Matrix4 {
    std::array<float, 16> elements{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    float& at(int row, int column) { return elements[column * 4 + row]; }
    float at(int row, int column) const { return elements[column * 4 + row]; }

    static Matrix4 translation(Vec3 offset);
    static Matrix4 scaling(Vec3 factors);
    // Maps the box [left, right] x [bottom, top] x [-near, -far] onto the
    // device cube, as glOrtho does. A box of zero extent collapses that axis
    // to zero instead of dividing by zero.
    static Matrix4 orthographic(float left, float right, float bottom, float top, float near, float far);
    // The exact inverse of orthographic() for a box of non-zero extent.
    static Matrix4 orthographic_inverse(float left, float right, float bottom, float top, float near, float far);

    friend bool operator==(const Matrix4&, const Matrix4&) = default;
};

// a * b applies b first.
Matrix4 operator*(const Matrix4& a, const Matrix4& b);

// The point (x, y, z, 1) transformed, divided by the resulting w unless w is 0.
Vec3 transform_point(const Matrix4& matrix, Vec3 point);

// 1 / value, or 0 for 0: degenerate sizes give finite, flat mappings.
float safe_reciprocal(float value);

}  // namespace me
