#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "world/perlin_noise.h"

namespace me {
namespace {

struct ReferenceTable {
    std::array<int, 256> entries{};
    std::uint32_t final_seed = 0;
};

// The shuffle written out from its definition: a linear congruential
// generator picks bits 16..23 as the partner of each entry.
ReferenceTable reference_shuffle(std::uint32_t seed) {
    ReferenceTable table;
    for (int i = 0; i < 256; ++i) table.entries[static_cast<std::size_t>(i)] = i;
    std::uint64_t state = seed;
    for (std::size_t i = 0; i < 256; ++i) {
        state = (state * 214013u + 2531011u) % 0x100000000ull;
        std::swap(table.entries[i], table.entries[(state / 65536u) % 256u]);
    }
    table.final_seed = static_cast<std::uint32_t>(state);
    return table;
}

double reference_noise(const ReferenceTable& table, double x) {
    static constexpr double GRADIENT[12] = {1, -1, 1, -1, 1, -1, 1, -1, 0, 0, 0, 0};
    const double whole = std::floor(x);
    const double f = x - whole;
    const auto p = static_cast<std::size_t>(static_cast<long long>(whole) & 255);
    const double g0 = GRADIENT[table.entries[p] % 12];
    const double g1 = GRADIENT[table.entries[(p + 1) % 256] % 12];
    const double fade = f * f * f * (f * (f * 6 - 15) + 10);
    return g0 * f + fade * (g1 * (f - 1) - g0 * f);
}

TEST(PerlinNoiseShuffle, MatchesTheGeneratorDefinition) {
    for (std::uint32_t seed : {0u, 1u, 12345u, 0xffffffffu}) {
        const PerlinNoise noise(seed);
        const ReferenceTable reference = reference_shuffle(seed);
        for (std::size_t i = 0; i < 256; ++i) {
            ASSERT_EQ(noise.permutation(i), reference.entries[i]) << "seed " << seed << " entry " << i;
            ASSERT_EQ(noise.permutation(i + 256), reference.entries[i]) << "seed " << seed << " copy " << i;
        }
        EXPECT_EQ(noise.seed(), reference.final_seed);
    }
}

TEST(PerlinNoiseShuffle, TableIsAPermutation) {
    const PerlinNoise noise(777);
    std::array<bool, 256> seen{};
    for (std::size_t i = 0; i < 256; ++i) seen[noise.permutation(i)] = true;
    for (bool entry_seen : seen) EXPECT_TRUE(entry_seen);
}

TEST(PerlinNoiseShuffle, DifferentSeedsGiveDifferentTables) {
    const PerlinNoise a(1);
    const PerlinNoise b(2);
    int differences = 0;
    for (std::size_t i = 0; i < 256; ++i) differences += a.permutation(i) != b.permutation(i);
    EXPECT_GT(differences, 200);
}

TEST(PerlinNoiseValue, ZeroAtWholeNumbers) {
    const PerlinNoise noise(31337);
    for (float x : {3.0f, -2.0f, 0.0f, 255.0f, 256.0f, -256.0f, 1e6f}) EXPECT_EQ(noise.noise1(x), 0.0f) << x;
}

TEST(PerlinNoiseValue, SameSeedSameValues) {
    const PerlinNoise a(2024);
    const PerlinNoise b(2024);
    for (float x = -20.0f; x < 20.0f; x += 0.37f) EXPECT_EQ(a.noise1(x), b.noise1(x)) << x;
}

TEST(PerlinNoiseValue, MatchesTheGradientFormulaAtChosenPoints) {
    for (std::uint32_t seed : {0u, 99u}) {
        const PerlinNoise noise(seed);
        const ReferenceTable reference = reference_shuffle(seed);
        for (float x : {0.5f, 0.25f, 1.75f, 17.3f, 255.5f, 300.9f, -0.5f, -0.001f, -1.25f, -255.5f, -1000.6f}) {
            EXPECT_NEAR(noise.noise1(x), reference_noise(reference, x), 2e-6) << "seed " << seed << " x " << x;
        }
    }
}

TEST(PerlinNoiseValue, GradientsGiveTheSlopeAtWholeNumbers) {
    // Near a whole number i the noise behaves like g0 * f, so its sign shows
    // the gradient chosen by perm[i mod 256] mod 12.
    const PerlinNoise noise(5);
    for (int i = -300; i < 300; ++i) {
        const int entry = noise.permutation(static_cast<std::size_t>(i & 255)) % 12;
        const float gradient = entry >= 8 ? 0.0f : (entry % 2 == 0 ? 1.0f : -1.0f);
        const float value = noise.noise1(static_cast<float>(i) + 0.001f);
        EXPECT_NEAR(value, gradient * 0.001f, 1e-5f) << i;
    }
}

TEST(PerlinNoiseValue, BoundedAndContinuous) {
    const PerlinNoise noise(8);
    float previous = noise.noise1(-50.0f);
    for (float x = -50.0f; x < 50.0f; x += 0.01f) {
        const float value = noise.noise1(x);
        ASSERT_LE(std::fabs(value), 1.0f) << x;
        ASSERT_LT(std::fabs(value - previous), 0.02f) << x;
        previous = value;
    }
}

TEST(PerlinNoiseValue, NonFiniteInputGivesNaN) {
    const PerlinNoise noise(1);
    EXPECT_TRUE(std::isnan(noise.noise1(std::numeric_limits<float>::quiet_NaN())));
    EXPECT_TRUE(std::isnan(noise.noise1(std::numeric_limits<float>::infinity())));
    EXPECT_TRUE(std::isnan(noise.noise1(-std::numeric_limits<float>::infinity())));
}

TEST(PerlinNoiseValue, HugeInputsAreWholeAndGiveZero) {
    const PerlinNoise noise(1);
    EXPECT_EQ(noise.noise1(3e38f), 0.0f);
    EXPECT_EQ(noise.noise1(-3e38f), 0.0f);
    EXPECT_EQ(noise.noise1(16777217.0f), 0.0f);
}

TEST(PerlinNoiseSeeding, ClockSeedShufflesATable) {
    const PerlinNoise noise = PerlinNoise::from_clock();
    std::array<bool, 256> seen{};
    for (std::size_t i = 0; i < 256; ++i) seen[noise.permutation(i)] = true;
    for (bool entry_seen : seen) EXPECT_TRUE(entry_seen);
}

}  // namespace
}  // namespace me
