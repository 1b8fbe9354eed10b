#include "core/matrix4.h"

namespace me {

float safe_reciprocal(float value) { return value == 0.0f ? 0.0f : 1.0f / value; }

Matrix4 Matrix4::translation(Vec3 offset) {
    Matrix4 result;
    result.at(0, 3) = offset.x;
    result.at(1, 3) = offset.y;
    result.at(2, 3) = offset.z;
    return result;
}

Matrix4 Matrix4::scaling(Vec3 factors) {
    Matrix4 result;
    result.at(0, 0) = factors.x;
    result.at(1, 1) = factors.y;
    result.at(2, 2) = factors.z;
    return result;
}

Matrix4 Matrix4::orthographic(float left, float right, float bottom, float top, float near, float far) {
    const float width = safe_reciprocal(right - left);
    const float height = safe_reciprocal(top - bottom);
    const float depth = safe_reciprocal(far - near);
    Matrix4 result = scaling({2.0f * width, 2.0f * height, -2.0f * depth});
    result.at(0, 3) = -(right + left) * width;
    result.at(1, 3) = -(top + bottom) * height;
    result.at(2, 3) = -(far + near) * depth;
    return result;
}

Matrix4 Matrix4::orthographic_inverse(float left, float right, float bottom, float top, float near, float far) {
    Matrix4 result = scaling({(right - left) / 2.0f, (top - bottom) / 2.0f, -(far - near) / 2.0f});
    result.at(0, 3) = (right + left) / 2.0f;
    result.at(1, 3) = (top + bottom) / 2.0f;
    result.at(2, 3) = -(far + near) / 2.0f;
    return result;
}

Matrix4 operator*(const Matrix4& a, const Matrix4& b) {
    Matrix4 result;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += a.at(row, k) * b.at(k, column);
            result.at(row, column) = sum;
        }
    }
    return result;
}

Vec3 transform_point(const Matrix4& matrix, Vec3 point) {
    float out[4];
    for (int row = 0; row < 4; ++row)
        out[row] = matrix.at(row, 0) * point.x + matrix.at(row, 1) * point.y + matrix.at(row, 2) * point.z +
                   matrix.at(row, 3);
    const float w = out[3] == 0.0f ? 1.0f : out[3];
    return {out[0] / w, out[1] / w, out[2] / w};
}

}  // namespace me
