#include "core/fixed_vec2.h"

#include <initializer_list>

namespace me {

namespace {

std::uint64_t floored_square(Fixed c) {
    const std::int64_t square = static_cast<std::int64_t>(c) * c;
    return static_cast<std::uint64_t>(square >> FIXED_FRACTION_BITS);
}

Fixed length_of(std::initializer_list<Fixed> components) {
    std::uint64_t sum = 0;
    for (Fixed c : components) sum += floored_square(c);
    return static_cast<Fixed>(static_cast<std::uint32_t>(fixed_sqrt64(sum)));
}

}  // namespace

Fixed fixed_length(FixedVec2 v) { return length_of({v.x, v.y}); }

Fixed fixed_length3(Fixed x, Fixed y, Fixed z) { return length_of({x, y, z}); }

FixedVec2 fixed_normalize(FixedVec2 v) {
    const Fixed length = fixed_length(v);
    if (length == 0) return {};
    // A non-zero divisor never fails.
    return {*fixed_div(v.x, length), *fixed_div(v.y, length)};
}

int fixed_dot_sign(FixedVec2 a, FixedVec2 b) {
    // The sum of the two products can reach 2^63, so compare one product with
    // the negated other instead of adding them.
    const std::int64_t first = static_cast<std::int64_t>(a.x) * b.x;
    const std::int64_t negated_second = -(static_cast<std::int64_t>(a.y) * b.y);
    return (first > negated_second) - (first < negated_second);
}

}  // namespace me
