#include "world/perlin_noise.h"

#include <cmath>
#include <ctime>
#include <limits>
#include <utility>

#include "world/random_generator.h"

namespace me {

namespace {

// The x components of the twelve gradient directions of improved Perlin noise.
constexpr std::array<float, 12> GRADIENT_X{1, -1, 1, -1, 1, -1, 1, -1, 0, 0, 0, 0};

float fade(float f) { return f * f * f * (f * (f * 6.0f - 15.0f) + 10.0f); }

// floor(x) AND 255 for any finite x, without converting a huge x to int.
std::size_t table_index(float whole) {
    const float wrapped = std::fmod(whole, static_cast<float>(PerlinNoise::TABLE_SIZE));
    const int index = static_cast<int>(wrapped);
    return static_cast<std::size_t>(index < 0 ? index + static_cast<int>(PerlinNoise::TABLE_SIZE) : index);
}

}  // namespace

PerlinNoise::PerlinNoise(std::uint32_t seed) : m_seed(seed) { shuffle(); }

PerlinNoise PerlinNoise::from_clock() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    return PerlinNoise(gmtime_r(&now, &utc) != nullptr ? calendar_seed_word(utc) : 0u);
}

void PerlinNoise::shuffle() {
    for (std::size_t i = 0; i < TABLE_SIZE; ++i) m_permutation[i] = static_cast<std::uint8_t>(i);
    for (std::size_t i = 0; i < TABLE_SIZE; ++i) {
        m_seed = m_seed * 214013u + 2531011u;
        const std::size_t j = (m_seed >> 16) & 0xffu;
        std::swap(m_permutation[i], m_permutation[j]);
    }
    for (std::size_t i = 0; i < TABLE_SIZE; ++i) m_permutation[TABLE_SIZE + i] = m_permutation[i];
}

float PerlinNoise::noise1(float x) const {
    if (!std::isfinite(x)) return std::numeric_limits<float>::quiet_NaN();
    const float whole = std::floor(x);
    const float f = x - whole;
    const std::size_t p = table_index(whole);
    const float g0 = GRADIENT_X[m_permutation[p] % GRADIENT_X.size()];
    const float g1 = GRADIENT_X[m_permutation[p + 1] % GRADIENT_X.size()];
    return g0 * f + fade(f) * (g1 * (f - 1.0f) - g0 * f);
}

}  // namespace me
