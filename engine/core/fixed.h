#pragma once

#include <cstdint>
#include <optional>

namespace me {

// Signed 16.16 fixed-point value: every peer computes bit-identical results
// with it, so all game-state arithmetic goes through the functions below.
// Overflow wraps in 32 bits; nothing saturates.
using Fixed = std::int32_t;

inline constexpr Fixed FIXED_ONE = 0x10000;
inline constexpr int FIXED_FRACTION_BITS = 16;

// Takes the low 32 bits of n before shifting, so script integers of either
// width wrap the same way.
constexpr Fixed fixed_from_int(std::int64_t n) {
    return static_cast<Fixed>(static_cast<std::uint32_t>(n) << FIXED_FRACTION_BITS);
}

// NaN and values outside the range give the most negative Fixed, as the x86
// truncating conversion does.
Fixed fixed_from_float(double x);

float fixed_to_float(Fixed f);

constexpr std::int32_t fixed_to_int(Fixed f) { return f >> FIXED_FRACTION_BITS; }

constexpr Fixed fixed_add(Fixed a, Fixed b) {
    return static_cast<Fixed>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

constexpr Fixed fixed_sub(Fixed a, Fixed b) {
    return static_cast<Fixed>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

constexpr Fixed fixed_neg(Fixed a) { return fixed_sub(0, a); }

// Rounds toward negative infinity.
constexpr Fixed fixed_mul(Fixed a, Fixed b) {
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    return static_cast<Fixed>(product >> FIXED_FRACTION_BITS);
}

// Truncates toward zero. Empty when b is 0.
std::optional<Fixed> fixed_div(Fixed a, Fixed b);

// The quotient n/d as Fixed, truncated toward zero. Empty when d is 0 or
// when the shifted dividend divided by d does not fit in 64 bits.
std::optional<Fixed> fixed_from_int_division(std::int64_t n, std::int64_t d);

constexpr Fixed fixed_lerp(Fixed a, Fixed b, Fixed t) {
    return fixed_add(a, fixed_mul(fixed_sub(b, a), t));
}

// Square root of the 16.16 value whose raw bits are v, as 16.16: the floor
// of sqrt(v * 65536). The result has up to 40 significant bits.
std::uint64_t fixed_sqrt64(std::uint64_t v);

}  // namespace me
