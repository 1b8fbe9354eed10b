#include "core/matrix2d.h"

namespace me {

Matrix2d Matrix2d::then(const Matrix2d& outer) const {
    return Matrix2d{outer.a * a + outer.c * b,          outer.b * a + outer.d * b,
                    outer.a * c + outer.c * d,          outer.b * c + outer.d * d,
                    outer.a * tx + outer.c * ty + outer.tx, outer.b * tx + outer.d * ty + outer.ty};
}

void Matrix2d::transform(float& x, float& y) const {
    const float new_x = a * x + c * y + tx;
    y = b * x + d * y + ty;
    x = new_x;
}

}  // namespace me
