#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "core/fixed.h"

namespace me {
namespace {

using Wide = __int128;
using UWide = unsigned __int128;

constexpr Fixed MIN_FIXED = std::numeric_limits<Fixed>::min();
constexpr Fixed MAX_FIXED = std::numeric_limits<Fixed>::max();

// Independent references: exact integer arithmetic in 128 bits, wrapped to
// 32 bits at the end the way two's complement storage would.
Fixed wrap32(Wide value) {
    const auto low = static_cast<std::uint32_t>(static_cast<UWide>(value) & 0xffffffffu);
    return low >= 0x80000000u ? static_cast<Fixed>(static_cast<std::int64_t>(low) - 0x100000000LL)
                              : static_cast<Fixed>(low);
}

Wide floor_div(Wide n, Wide d) {
    Wide q = n / d;
    if ((n % d != 0) && ((n < 0) != (d < 0))) --q;
    return q;
}

Fixed reference_mul(Fixed a, Fixed b) { return wrap32(floor_div(Wide(a) * b, 65536)); }

Fixed reference_div(Wide numerator, Wide divisor) { return wrap32(numerator * 65536 / divisor); }

Fixed reference_lerp(Fixed a, Fixed b, Fixed t) {
    const Fixed difference = wrap32(Wide(b) - a);
    return wrap32(Wide(a) + reference_mul(difference, t));
}

std::uint64_t reference_sqrt(std::uint64_t v) {
    const UWide n = UWide(v) << 16;
    auto root = static_cast<std::uint64_t>(std::sqrt(static_cast<long double>(n)));
    while (UWide(root) * root > n) --root;
    while (UWide(root + 1) * (root + 1) <= n) ++root;
    return root;
}

TEST(FixedConversion, FromIntShiftsAndWrapsIn32Bits) {
    EXPECT_EQ(fixed_from_int(0), 0);
    EXPECT_EQ(fixed_from_int(1), FIXED_ONE);
    EXPECT_EQ(fixed_from_int(-1), -65536);
    EXPECT_EQ(fixed_from_int(32767), 0x7fff0000);
    EXPECT_EQ(fixed_from_int(32768), MIN_FIXED);
    EXPECT_EQ(fixed_from_int(-32768), MIN_FIXED);
    EXPECT_EQ(fixed_from_int(-32769), 0x7fff0000);
    EXPECT_EQ(fixed_from_int(65536), 0);
    for (std::int64_t n : {std::int64_t{1} << 40, (std::int64_t{1} << 40) + 3, std::int64_t{-123456789012},
                           std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()}) {
        EXPECT_EQ(fixed_from_int(n), wrap32(Wide(n) * 65536)) << n;
    }
}

TEST(FixedConversion, FromFloatTruncatesTowardZero) {
    EXPECT_EQ(fixed_from_float(-1.5), -98304);
    EXPECT_EQ(fixed_from_float(0.00001), 0);
    EXPECT_EQ(fixed_from_float(-0.00001), 0);
    EXPECT_EQ(fixed_from_float(1.0 / 65536.0), 1);
    EXPECT_EQ(fixed_from_float(-1.9999 / 65536.0), -1);
    EXPECT_EQ(fixed_from_float(0.5f), 32768);
    EXPECT_EQ(fixed_from_float(-32768.0), MIN_FIXED);
    EXPECT_EQ(fixed_from_float(32767.5f), 0x7fff8000);
}

TEST(FixedConversion, FromFloatOutOfRangeGivesMostNegativeValue) {
    EXPECT_EQ(fixed_from_float(32768.0), MIN_FIXED);
    EXPECT_EQ(fixed_from_float(-32768.00002), MIN_FIXED);
    EXPECT_EQ(fixed_from_float(1e30), MIN_FIXED);
    EXPECT_EQ(fixed_from_float(std::numeric_limits<double>::infinity()), MIN_FIXED);
    EXPECT_EQ(fixed_from_float(-std::numeric_limits<double>::infinity()), MIN_FIXED);
    EXPECT_EQ(fixed_from_float(std::numeric_limits<double>::quiet_NaN()), MIN_FIXED);
    EXPECT_EQ(fixed_from_float(32767.99999), 0x7fffffff);
}

TEST(FixedConversion, ToFloatIsSinglePrecisionScaling) {
    EXPECT_EQ(fixed_to_float(FIXED_ONE), 1.0f);
    EXPECT_EQ(fixed_to_float(-98304), -1.5f);
    EXPECT_EQ(fixed_to_float(-1), -1.0f / 65536.0f);
    EXPECT_EQ(fixed_to_float(MIN_FIXED), -32768.0f);
    // 2^31 - 1 has more bits than a float holds and rounds up to 2^31.
    EXPECT_EQ(fixed_to_float(MAX_FIXED), 32768.0f);
    EXPECT_EQ(fixed_to_float(0x01000001), static_cast<float>(static_cast<long double>(0x01000001) / 65536.0L));
}

TEST(FixedConversion, ToIntRoundsTowardNegativeInfinity) {
    EXPECT_EQ(fixed_to_int(-1), -1);
    EXPECT_EQ(fixed_to_int(-65536), -1);
    EXPECT_EQ(fixed_to_int(-65537), -2);
    EXPECT_EQ(fixed_to_int(65535), 0);
    EXPECT_EQ(fixed_to_int(65536), 1);
    EXPECT_EQ(fixed_to_int(MIN_FIXED), -32768);
    EXPECT_EQ(fixed_to_int(MAX_FIXED), 32767);
}

TEST(FixedArithmetic, AddSubAndNegWrap) {
    EXPECT_EQ(fixed_add(MAX_FIXED, 1), MIN_FIXED);
    EXPECT_EQ(fixed_sub(MIN_FIXED, 1), MAX_FIXED);
    EXPECT_EQ(fixed_neg(MIN_FIXED), MIN_FIXED);
    EXPECT_EQ(fixed_neg(FIXED_ONE), -FIXED_ONE);
    EXPECT_EQ(fixed_add(fixed_from_int(2), fixed_from_int(-5)), fixed_from_int(-3));
}

TEST(FixedArithmetic, MulFloorsTheProduct) {
    EXPECT_EQ(fixed_mul(-1, 1), -1);
    EXPECT_EQ(fixed_mul(1, 1), 0);
    EXPECT_EQ(fixed_mul(fixed_from_int(2), fixed_from_int(3)), fixed_from_int(6));
    EXPECT_EQ(fixed_mul(fixed_from_int(-2), 32768), fixed_from_int(-1));
    EXPECT_EQ(fixed_mul(-3, 32768), -2);
    EXPECT_EQ(fixed_mul(MIN_FIXED, MIN_FIXED), 0);
    EXPECT_EQ(fixed_mul(MIN_FIXED, -1), 32768);
    EXPECT_EQ(fixed_mul(MIN_FIXED, FIXED_ONE), MIN_FIXED);
    EXPECT_EQ(fixed_mul(MAX_FIXED, MAX_FIXED), reference_mul(MAX_FIXED, MAX_FIXED));
    EXPECT_EQ(fixed_mul(MIN_FIXED, MAX_FIXED), reference_mul(MIN_FIXED, MAX_FIXED));
}

TEST(FixedArithmetic, DivTruncatesTowardZero) {
    EXPECT_EQ(fixed_div(-1, 131072), 0);
    EXPECT_EQ(fixed_div(1, 131072), 0);
    EXPECT_EQ(fixed_div(FIXED_ONE, fixed_from_int(3)), 21845);
    EXPECT_EQ(fixed_div(-FIXED_ONE, fixed_from_int(3)), -21845);
    EXPECT_EQ(fixed_div(fixed_from_int(6), fixed_from_int(-4)), -98304);
    EXPECT_EQ(fixed_div(MIN_FIXED, -1), 0);
    EXPECT_EQ(fixed_div(MIN_FIXED, 1), 0);
    EXPECT_EQ(fixed_div(MIN_FIXED, FIXED_ONE), MIN_FIXED);
    EXPECT_EQ(fixed_div(MAX_FIXED, 3), reference_div(MAX_FIXED, 3));
}

TEST(FixedArithmetic, DivByZeroFailsInsteadOfTrapping) {
    EXPECT_FALSE(fixed_div(FIXED_ONE, 0).has_value());
    EXPECT_FALSE(fixed_div(0, 0).has_value());
    EXPECT_FALSE(fixed_div(MIN_FIXED, 0).has_value());
}

TEST(FixedArithmetic, FromIntDivisionIsTheTruncatedQuotient) {
    EXPECT_EQ(fixed_from_int_division(1, 3), 21845);
    EXPECT_EQ(fixed_from_int_division(-1, 3), -21845);
    EXPECT_EQ(fixed_from_int_division(7, 2), 229376);
    EXPECT_EQ(fixed_from_int_division(-7, 2), -229376);
    EXPECT_EQ(fixed_from_int_division(1, 65537), 0);
    EXPECT_EQ(fixed_from_int_division(-1, 65537), 0);
    EXPECT_EQ(fixed_from_int_division(32768, 1), MIN_FIXED);
    EXPECT_EQ(fixed_from_int_division(1, std::int64_t{1} << 40), 0);
}

TEST(FixedArithmetic, FromIntDivisionRefusesZeroDivisorAndOverflowingQuotient) {
    EXPECT_FALSE(fixed_from_int_division(1, 0).has_value());
    EXPECT_FALSE(fixed_from_int_division(0, 0).has_value());
    // -2^47 shifted by 16 is the most negative 64-bit value; dividing it by -1 overflows.
    const std::int64_t most_negative_shifted = -(std::int64_t{1} << 47);
    EXPECT_FALSE(fixed_from_int_division(most_negative_shifted, -1).has_value());
    EXPECT_EQ(fixed_from_int_division(most_negative_shifted, 1), 0);
    EXPECT_EQ(fixed_from_int_division(most_negative_shifted + 1, -1), reference_div(-(most_negative_shifted + 1), 1));
}

TEST(FixedArithmetic, LerpComputesTheDifferenceIn32Bits) {
    const Fixed a = fixed_from_int(2);
    const Fixed b = fixed_from_int(12);
    EXPECT_EQ(fixed_lerp(a, b, 0), a);
    EXPECT_EQ(fixed_lerp(a, b, FIXED_ONE), b);
    EXPECT_EQ(fixed_lerp(a, b, FIXED_ONE / 2), fixed_from_int(7));
    EXPECT_EQ(fixed_lerp(b, a, FIXED_ONE / 4), fixed_from_int(12) - fixed_from_int(10) / 4);
    // MAX - MIN wraps to -1, so the step is floor(-1 * 1.0) = -1.
    EXPECT_EQ(fixed_lerp(MIN_FIXED, MAX_FIXED, FIXED_ONE), MAX_FIXED);
    EXPECT_EQ(fixed_lerp(MIN_FIXED, MAX_FIXED, FIXED_ONE / 2), reference_lerp(MIN_FIXED, MAX_FIXED, FIXED_ONE / 2));
}

TEST(FixedSqrt, SmallAndExactValues) {
    EXPECT_EQ(fixed_sqrt64(0), 0u);
    EXPECT_EQ(fixed_sqrt64(1), 256u);
    EXPECT_EQ(fixed_sqrt64(2), 362u);
    EXPECT_EQ(fixed_sqrt64(FIXED_ONE), 65536u);
    EXPECT_EQ(fixed_sqrt64(4 * FIXED_ONE), 2u * 65536u);
    EXPECT_EQ(fixed_sqrt64(25 * FIXED_ONE), 5u * 65536u);
    EXPECT_EQ(fixed_sqrt64(2 * FIXED_ONE), 92681u);
    EXPECT_EQ(fixed_sqrt64(FIXED_ONE / 4), 32768u);
}

TEST(FixedSqrt, LargestValuesUseAllFortyBits) {
    const std::uint64_t largest = std::numeric_limits<std::uint64_t>::max();
    EXPECT_EQ(fixed_sqrt64(largest), reference_sqrt(largest));
    EXPECT_EQ(fixed_sqrt64(largest), (std::uint64_t{1} << 40) - 1);
    EXPECT_EQ(fixed_sqrt64(std::uint64_t{1} << 62), std::uint64_t{1} << 39);
    EXPECT_EQ(fixed_sqrt64((std::uint64_t{1} << 62) - 1), (std::uint64_t{1} << 39) - 1);
    for (std::uint64_t root = (std::uint64_t{1} << 40) - 5; root < (std::uint64_t{1} << 40); ++root) {
        const std::uint64_t square_over_65536 = static_cast<std::uint64_t>((UWide(root) * root) >> 16);
        EXPECT_EQ(fixed_sqrt64(square_over_65536), reference_sqrt(square_over_65536)) << root;
    }
}

TEST(FixedSqrt, AroundPerfectSquares) {
    for (std::uint64_t r : {std::uint64_t{3}, std::uint64_t{255}, std::uint64_t{65535}, std::uint64_t{1} << 20,
                            std::uint64_t{123456789}, (std::uint64_t{1} << 32) - 1}) {
        const std::uint64_t v = r * r;
        EXPECT_EQ(fixed_sqrt64(v), r * 256u) << r;
        EXPECT_EQ(fixed_sqrt64(v - 1), reference_sqrt(v - 1)) << r;
        EXPECT_LT(fixed_sqrt64(v - 1), r * 256u) << r;
    }
}

// Operands drawn from uniform words, small values and values next to the
// boundaries, where rounding and wrap faults show.
class OperandSource {
public:
    Fixed next() {
        switch (m_engine() % 4) {
        case 0: return static_cast<Fixed>(m_engine());
        case 1: return static_cast<Fixed>(static_cast<std::int64_t>(m_engine() % 2000001) - 1000000);
        case 2: return wrap32(Wide(MIN_FIXED) + static_cast<int>(m_engine() % 1000));
        default: return wrap32(Wide(MAX_FIXED) - static_cast<int>(m_engine() % 1000));
        }
    }
    std::uint64_t next_wide() { return m_engine() >> (m_engine() % 64); }

private:
    std::mt19937_64 m_engine{20261208};
};

TEST(FixedRandomised, ArithmeticMatchesExactReference) {
    OperandSource source;
    for (int i = 0; i < 2000000; ++i) {
        const Fixed a = source.next();
        const Fixed b = source.next();
        const Fixed t = source.next();
        ASSERT_EQ(fixed_mul(a, b), reference_mul(a, b)) << a << " " << b;
        ASSERT_EQ(fixed_lerp(a, b, t), reference_lerp(a, b, t)) << a << " " << b << " " << t;
        ASSERT_EQ(fixed_to_int(a), wrap32(floor_div(a, 65536))) << a;
        if (b != 0) {
            ASSERT_EQ(fixed_div(a, b), reference_div(a, b)) << a << " " << b;
        }
    }
}

TEST(FixedRandomised, SqrtMatchesExactReference) {
    OperandSource source;
    for (int i = 0; i < 2000000; ++i) {
        const std::uint64_t v = source.next_wide();
        ASSERT_EQ(fixed_sqrt64(v), reference_sqrt(v)) << v;
    }
}

TEST(FixedRandomised, FloatConversionsRoundTrip) {
    OperandSource source;
    for (int i = 0; i < 200000; ++i) {
        const Fixed f = source.next();
        const float as_float = fixed_to_float(f);
        ASSERT_EQ(as_float, static_cast<float>(static_cast<long double>(f) / 65536.0L)) << f;
        // Every Fixed of at most 24 significant bits survives the trip exactly.
        if (f > -(1 << 24) && f < (1 << 24)) {
            ASSERT_EQ(fixed_from_float(as_float), f) << f;
        }
        const double scaled = static_cast<double>(f) / 65536.0 + 0.3 / 65536.0;
        ASSERT_EQ(fixed_from_float(scaled), static_cast<Fixed>(std::trunc(static_cast<long double>(scaled) * 65536.0L)))
            << f;
    }
}

}  // namespace
}  // namespace me
