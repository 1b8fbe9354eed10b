#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace me {

// One-dimensional gradient noise over a seeded permutation table.
class PerlinNoise {
public:
    static constexpr std::size_t TABLE_SIZE = 256;

    explicit PerlinNoise(std::uint32_t seed);
    static PerlinNoise from_clock();

    // Smooth in x and 0 at every whole x; NaN when x is not finite.
    float noise1(float x) const;

    // After construction: the state the shuffle left its generator in.
    std::uint32_t seed() const { return m_seed; }
    std::uint8_t permutation(std::size_t index) const { return m_permutation[index % m_permutation.size()]; }

private:
    void shuffle();

    // Doubled so that index p + 1 needs no wrap.
    std::array<std::uint8_t, 2 * TABLE_SIZE> m_permutation{};
    std::uint32_t m_seed;
};

}  // namespace me
