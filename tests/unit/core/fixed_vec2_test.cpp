#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "core/fixed_vec2.h"

namespace me {
namespace {

using Wide = __int128;
using UWide = unsigned __int128;

constexpr Fixed MIN_FIXED = std::numeric_limits<Fixed>::min();
constexpr Fixed MAX_FIXED = std::numeric_limits<Fixed>::max();

std::uint64_t reference_isqrt(UWide n) {
    auto root = static_cast<std::uint64_t>(std::sqrt(static_cast<long double>(n)));
    while (UWide(root) * root > n) --root;
    while (UWide(root + 1) * (root + 1) <= n) ++root;
    return root;
}

// Squares floored to 16.16, summed, rooted as 16.16, low 32 bits kept.
Fixed reference_length(std::initializer_list<Fixed> components) {
    UWide sum = 0;
    for (Fixed c : components) sum += static_cast<UWide>((Wide(c) * c) >> 16);
    return static_cast<Fixed>(static_cast<std::uint32_t>(reference_isqrt(sum << 16)));
}

int reference_dot_sign(FixedVec2 a, FixedVec2 b) {
    const Wide dot = Wide(a.x) * b.x + Wide(a.y) * b.y;
    return (dot > 0) - (dot < 0);
}

TEST(FixedVec2Arithmetic, AddAndSubtractWrapPerComponent) {
    EXPECT_EQ((FixedVec2{1, 2} + FixedVec2{3, -5}), (FixedVec2{4, -3}));
    EXPECT_EQ((FixedVec2{MAX_FIXED, 0} + FixedVec2{1, 0}), (FixedVec2{MIN_FIXED, 0}));
    EXPECT_EQ((FixedVec2{0, MIN_FIXED} - FixedVec2{0, 1}), (FixedVec2{0, MAX_FIXED}));
}

TEST(FixedVec2Length, WholeTriangles) {
    EXPECT_EQ(fixed_length3(FIXED_ONE, 0, 0), FIXED_ONE);
    EXPECT_EQ(fixed_length3(3 * FIXED_ONE, 4 * FIXED_ONE, 0), 5 * FIXED_ONE);
    EXPECT_EQ(fixed_length3(2 * FIXED_ONE, 3 * FIXED_ONE, 6 * FIXED_ONE), 7 * FIXED_ONE);
    EXPECT_EQ(fixed_length({3 * FIXED_ONE, -4 * FIXED_ONE}), 5 * FIXED_ONE);
    EXPECT_EQ(fixed_length({-FIXED_ONE, 0}), FIXED_ONE);
    EXPECT_EQ(fixed_length({}), 0);
}

TEST(FixedVec2Length, EachSquareIsFlooredBeforeTheSum) {
    // Raw 255: 65025 >> 16 is 0, so the vector counts as zero length.
    EXPECT_EQ(fixed_length({255, 255}), 0);
    EXPECT_EQ(fixed_length({256, 0}), 256);
    // 257^2 = 66049, floored to 1 per square; two of them give sqrt(2) raw steps.
    EXPECT_EQ(fixed_length({257, 257}), reference_length({257, 257}));
    EXPECT_EQ(fixed_length({257, 257}), 362);
}

TEST(FixedVec2Length, LongestVectorsWrapTo32Bits) {
    EXPECT_EQ(fixed_length({MIN_FIXED, MIN_FIXED}), reference_length({MIN_FIXED, MIN_FIXED}));
    // sqrt(2) * 32768 lies past the Fixed range: the low 32 bits are negative.
    EXPECT_LT(fixed_length({MIN_FIXED, MIN_FIXED}), 0);
    EXPECT_EQ(fixed_length3(MIN_FIXED, MIN_FIXED, MIN_FIXED), reference_length({MIN_FIXED, MIN_FIXED, MIN_FIXED}));
    EXPECT_EQ(fixed_length({MIN_FIXED, 0}), MIN_FIXED);
}

TEST(FixedVec2Normalize, DividesByTheLength) {
    EXPECT_EQ(fixed_normalize({3 * FIXED_ONE, 4 * FIXED_ONE}), (FixedVec2{39321, 52428}));
    EXPECT_EQ(fixed_normalize({-3 * FIXED_ONE, 4 * FIXED_ONE}), (FixedVec2{-39321, 52428}));
    EXPECT_EQ(fixed_normalize({0, -7 * FIXED_ONE}), (FixedVec2{0, -FIXED_ONE}));
}

TEST(FixedVec2Normalize, ZeroLengthGivesZeroVector) {
    EXPECT_EQ(fixed_normalize({}), (FixedVec2{}));
    EXPECT_EQ(fixed_normalize({255, -255}), (FixedVec2{}));
}

TEST(FixedVec2Normalize, WrappedLengthStillDivides) {
    const FixedVec2 v{MIN_FIXED, MIN_FIXED};
    const Fixed l = reference_length({v.x, v.y});
    const Fixed expected = static_cast<Fixed>(static_cast<std::uint32_t>(
        static_cast<std::uint64_t>((Wide(v.x) * 65536) / l)));
    EXPECT_EQ(fixed_normalize(v), (FixedVec2{expected, expected}));
}

TEST(FixedVec2DotSign, SignsOfSmallVectors) {
    EXPECT_EQ(fixed_dot_sign({1, 0}, {-1, 0}), -1);
    EXPECT_EQ(fixed_dot_sign({1, 0}, {1, 0}), 1);
    EXPECT_EQ(fixed_dot_sign({1, 0}, {0, 1}), 0);
    EXPECT_EQ(fixed_dot_sign({}, {5, 7}), 0);
    EXPECT_EQ(fixed_dot_sign({3, 4}, {4, -3}), 0);
    // No shift: products far below one Fixed step still count.
    EXPECT_EQ(fixed_dot_sign({1, 1}, {1, -2}), -1);
}

TEST(FixedVec2DotSign, LargeComponentsNeverOverflowTheSign) {
    EXPECT_EQ(fixed_dot_sign({MIN_FIXED, MIN_FIXED}, {MIN_FIXED, MIN_FIXED}), 1);
    EXPECT_EQ(fixed_dot_sign({MIN_FIXED, MIN_FIXED}, {MAX_FIXED, MAX_FIXED}), -1);
    EXPECT_EQ(fixed_dot_sign({MIN_FIXED, MAX_FIXED}, {MIN_FIXED, MIN_FIXED}), 1);
    EXPECT_EQ(fixed_dot_sign({MAX_FIXED, MIN_FIXED}, {MIN_FIXED, MIN_FIXED}), 1);
    EXPECT_EQ(fixed_dot_sign({MIN_FIXED, MAX_FIXED}, {MAX_FIXED, MIN_FIXED}), -1);
    EXPECT_EQ(fixed_dot_sign({MIN_FIXED, MIN_FIXED}, {MIN_FIXED, -MAX_FIXED - 1}), 1);
    EXPECT_EQ(fixed_dot_sign({MIN_FIXED, MAX_FIXED}, {MAX_FIXED, MAX_FIXED}), -1);
    EXPECT_EQ(fixed_dot_sign({MAX_FIXED, MAX_FIXED}, {MAX_FIXED, -MAX_FIXED}), 0);
}

TEST(FixedVec2Randomised, MatchesExactReference) {
    std::mt19937 engine(5);
    auto component = [&engine]() {
        const std::uint32_t word = engine();
        return static_cast<Fixed>(engine() % 2 ? word : word >> (engine() % 32));
    };
    for (int i = 0; i < 300000; ++i) {
        const FixedVec2 a{component(), component()};
        const FixedVec2 b{component(), component()};
        const Fixed z = component();
        ASSERT_EQ(fixed_length(a), reference_length({a.x, a.y})) << a.x << " " << a.y;
        ASSERT_EQ(fixed_length3(a.x, a.y, z), reference_length({a.x, a.y, z})) << a.x << " " << a.y << " " << z;
        ASSERT_EQ(fixed_dot_sign(a, b), reference_dot_sign(a, b)) << a.x << " " << a.y << " " << b.x << " " << b.y;
    }
}

}  // namespace
}  // namespace me
