#pragma once

namespace me {

// A 2D affine transform: x' = a x + c y + tx, y' = b x + d y + ty.
struct Matrix2d {
    float a = 1.0f;
    float b = 0.0f;
    float c = 0.0f;
    float d = 1.0f;
    float tx = 0.0f;
    float ty = 0.0f;

    // This transform followed by outer.
    Matrix2d then(const Matrix2d& outer) const;
    void transform(float& x, float& y) const;
};

}  // namespace me
