#pragma once

#include "core/fixed.h"

namespace me {

// A position or direction on the ground plane.
struct FixedVec2 {
    Fixed x = 0;
    Fixed y = 0;

    friend constexpr bool operator==(FixedVec2, FixedVec2) = default;
};

constexpr FixedVec2 operator+(FixedVec2 a, FixedVec2 b) {
    return {fixed_add(a.x, b.x), fixed_add(a.y, b.y)};
}

constexpr FixedVec2 operator-(FixedVec2 a, FixedVec2 b) {
    return {fixed_sub(a.x, b.x), fixed_sub(a.y, b.y)};
}

// Each square is floored to 16.16 before the sum; the root keeps its low
// 32 bits, so lengths past the Fixed range wrap.
Fixed fixed_length(FixedVec2 v);
Fixed fixed_length3(Fixed x, Fixed y, Fixed z);

// The zero vector stays zero.
FixedVec2 fixed_normalize(FixedVec2 v);

// -1, 0 or 1: the sign of the exact dot product.
int fixed_dot_sign(FixedVec2 a, FixedVec2 b);

}  // namespace me
