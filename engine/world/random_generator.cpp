#include "world/random_generator.h"

#include <initializer_list>

namespace me {

namespace {

RandomGenerator::State replace_zero_words(const RandomGenerator::State& words) {
    RandomGenerator::State state = words;
    for (std::size_t i = 0; i < state.size(); ++i) {
        if (state[i] == 0) state[i] = RandomGenerator::DEFAULT_STATE[i];
    }
    return state;
}

std::uint32_t high_word(std::uint64_t value) { return static_cast<std::uint32_t>(value >> 32); }

}  // namespace

RandomGenerator RandomGenerator::from_word(std::uint32_t seed) {
    return from_words({seed, seed + seed / 8, seed + seed / 32, seed * 129u});
}

RandomGenerator RandomGenerator::from_words(const State& words) {
    return RandomGenerator(replace_zero_words(words));
}

RandomGenerator RandomGenerator::from_calendar_time(const std::tm& utc) {
    return from_word(calendar_seed_word(utc));
}

RandomGenerator RandomGenerator::from_clock() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    if (gmtime_r(&now, &utc) == nullptr) return RandomGenerator();
    return from_calendar_time(utc);
}

std::uint32_t RandomGenerator::state_word(std::int64_t index) const {
    const bool names_y_z_or_w = index >= 1 && index <= 3;
    return m_state[names_y_z_or_w ? static_cast<std::size_t>(index) : 0u];
}

std::uint32_t RandomGenerator::next_word() {
    auto& [x, y, z, w] = m_state;
    const std::uint32_t t = x ^ (x << 11);
    x = y;
    y = z;
    z = w;
    w = w ^ (w >> 19) ^ t ^ (t >> 8);
    return w;
}

std::optional<std::int32_t> RandomGenerator::random_int(std::int32_t min, std::int32_t max) {
    if (max < min) return std::nullopt;
    const std::uint64_t span = static_cast<std::uint64_t>(static_cast<std::int64_t>(max) - min) + 1u;
    const std::uint32_t offset = high_word(span * next_word());
    return static_cast<std::int32_t>(static_cast<std::int64_t>(min) + offset);
}

float RandomGenerator::unit_float() {
    constexpr std::uint64_t UNIT_STEPS = 16777217u;
    constexpr float STEP = 1.0f / 16777216.0f;
    return static_cast<float>(high_word(UNIT_STEPS * next_word())) * STEP;
}

std::optional<float> RandomGenerator::random_float(float min, float max) {
    if (min > max) return std::nullopt;
    return min + unit_float() * (max - min);
}

std::uint32_t calendar_seed_word(const std::tm& utc) {
    std::uint32_t field_sum = 0;
    for (int field : {utc.tm_sec, utc.tm_min, utc.tm_hour, utc.tm_mday, utc.tm_mon, utc.tm_year}) {
        field_sum += static_cast<std::uint32_t>(field);
    }
    return field_sum * 1234567123u + 7654321u;
}

}  // namespace me
