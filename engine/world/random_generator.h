#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <optional>

namespace me {

// xorshift128. Networked games draw the same numbers on every peer, so the
// four state words are the generator's whole state and can be saved.
class RandomGenerator {
public:
    using State = std::array<std::uint32_t, 4>;

    static constexpr State DEFAULT_STATE{123456789u, 362436069u, 521288629u, 88675123u};

    RandomGenerator() = default;

    static RandomGenerator from_word(std::uint32_t seed);
    // Each zero word is replaced by its default so the generator cannot stick at 0.
    static RandomGenerator from_words(const State& words);
    static RandomGenerator from_calendar_time(const std::tm& utc);
    static RandomGenerator from_clock();

    // Stored as given, zeros included: restores a saved state exactly.
    void set_state(const State& words) { m_state = words; }
    const State& state() const { return m_state; }
    // Scripts name the words 1 (y), 2 (z), 3 (w) and anything else (x).
    std::uint32_t state_word(std::int64_t index) const;

    std::uint32_t next_word();

    // Uniform in [min, max]; empty, without drawing, when max < min.
    std::optional<std::int32_t> random_int(std::int32_t min, std::int32_t max);

    // In [0, 1]; 1.0 only for the highest words.
    float unit_float();

    // min + unit * (max - min); empty, without drawing, when min > max.
    std::optional<float> random_float(float min, float max);

private:
    explicit RandomGenerator(const State& state) : m_state(state) {}

    State m_state = DEFAULT_STATE;
};

// The word the clock seeding derives from the UTC calendar fields.
std::uint32_t calendar_seed_word(const std::tm& utc);

}  // namespace me
