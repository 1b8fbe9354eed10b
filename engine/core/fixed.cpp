#include "core/fixed.h"

#include <cmath>
#include <limits>

namespace me {

namespace {

constexpr double FIXED_SCALE = 65536.0;
constexpr int SQRT_STEPS = 40;

std::optional<std::int64_t> checked_quotient(std::int64_t dividend, std::int64_t divisor) {
    if (divisor == 0) return std::nullopt;
    if (divisor == -1 && dividend == std::numeric_limits<std::int64_t>::min()) return std::nullopt;
    return dividend / divisor;
}

std::int64_t shifted_to_fraction(std::int64_t n) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(n) << FIXED_FRACTION_BITS);
}

// Two bits of the 80-bit value v * 2^16, counting pairs from the top.
std::uint64_t bit_pair(std::uint64_t v, int pair_index) {
    const int shift = 62 - 2 * pair_index;
    return shift >= 0 ? (v >> shift) & 3u : 0u;
}

}  // namespace

Fixed fixed_from_float(double x) {
    const double scaled = std::trunc(x * FIXED_SCALE);
    const bool representable = scaled >= std::numeric_limits<Fixed>::min() &&
                               scaled <= std::numeric_limits<Fixed>::max();
    return representable ? static_cast<Fixed>(scaled) : std::numeric_limits<Fixed>::min();
}

float fixed_to_float(Fixed f) {
    return static_cast<float>(f) * (1.0f / static_cast<float>(FIXED_SCALE));
}

std::optional<Fixed> fixed_div(Fixed a, Fixed b) { return fixed_from_int_division(a, b); }

std::optional<Fixed> fixed_from_int_division(std::int64_t n, std::int64_t d) {
    const auto quotient = checked_quotient(shifted_to_fraction(n), d);
    if (!quotient) return std::nullopt;
    return static_cast<Fixed>(*quotient);
}

std::uint64_t fixed_sqrt64(std::uint64_t v) {
    std::uint64_t root = 0;
    std::uint64_t remainder = 0;
    for (int step = 0; step < SQRT_STEPS; ++step) {
        remainder = (remainder << 2) | bit_pair(v, step);
        const std::uint64_t trial = (root << 2) | 1u;
        // Branch-free: whether the trial fits is data-dependent and unpredictable.
        const std::uint64_t fits = remainder >= trial;
        remainder -= trial & (0u - fits);
        root = (root << 1) | fits;
    }
    return root;
}

}  // namespace me
