#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

#include "world/random_generator.h"

namespace me {
namespace {

// xorshift128 written out from its definition, independent of the class.
struct ReferenceXorshift {
    std::uint64_t x, y, z, w;

    std::uint32_t next() {
        const std::uint64_t t = (x ^ (x << 11)) & 0xffffffffu;
        x = y;
        y = z;
        z = w;
        w = (w ^ (w >> 19) ^ t ^ (t >> 8)) & 0xffffffffu;
        return static_cast<std::uint32_t>(w);
    }
};

std::vector<std::uint32_t> draw_words(RandomGenerator& generator, int count) {
    std::vector<std::uint32_t> words;
    for (int i = 0; i < count; ++i) words.push_back(generator.next_word());
    return words;
}

std::vector<std::uint32_t> draw_reference(ReferenceXorshift reference, int count) {
    std::vector<std::uint32_t> words;
    for (int i = 0; i < count; ++i) words.push_back(reference.next());
    return words;
}

TEST(RandomGeneratorSequence, DefaultStateGivesTheClassicSequence) {
    RandomGenerator generator;
    EXPECT_EQ(generator.state(), (RandomGenerator::State{123456789u, 362436069u, 521288629u, 88675123u}));
    const auto words = draw_words(generator, 1000);
    EXPECT_EQ(words.front(), 3701687786u);
    EXPECT_EQ(words, draw_reference({123456789u, 362436069u, 521288629u, 88675123u}, 1000));
}

TEST(RandomGeneratorSequence, ArbitraryStateFollowsTheDefinition) {
    RandomGenerator generator;
    generator.set_state({0xdeadbeefu, 1u, 0x80000000u, 0xffffffffu});
    EXPECT_EQ(draw_words(generator, 500), draw_reference({0xdeadbeefu, 1u, 0x80000000u, 0xffffffffu}, 500));
}

TEST(RandomGeneratorSeeding, WordZeroGivesTheDefaultState) {
    EXPECT_EQ(RandomGenerator::from_word(0).state(), RandomGenerator::DEFAULT_STATE);
    auto seeded = RandomGenerator::from_word(0);
    RandomGenerator fresh;
    EXPECT_EQ(seeded.random_int(0, 9), fresh.random_int(0, 9));
}

TEST(RandomGeneratorSeeding, WordSpreadsIntoFourWords) {
    EXPECT_EQ(RandomGenerator::from_word(1000).state(), (RandomGenerator::State{1000u, 1125u, 1031u, 129000u}));
    EXPECT_EQ(RandomGenerator::from_word(7).state(), (RandomGenerator::State{7u, 7u, 7u, 903u}));
    const std::uint32_t top = 0xffffffffu;
    EXPECT_EQ(RandomGenerator::from_word(top).state(),
              (RandomGenerator::State{top, top + top / 8, top + top / 32, top * 129u}));
}

TEST(RandomGeneratorSeeding, WordsThatWrapToZeroTakeTheirDefaults) {
    // a + a/8 and a + a/32 wrap to exactly 2^32 for these two words.
    const std::uint32_t y_wraps = 3817748708u;
    ASSERT_EQ(static_cast<std::uint32_t>(y_wraps + y_wraps / 8), 0u);
    EXPECT_EQ(RandomGenerator::from_word(y_wraps).state()[1], 362436069u);
    const std::uint32_t z_wraps = 4164816772u;
    ASSERT_EQ(static_cast<std::uint32_t>(z_wraps + z_wraps / 32), 0u);
    EXPECT_EQ(RandomGenerator::from_word(z_wraps).state()[2], 521288629u);
}

TEST(RandomGeneratorSeeding, FourZeroWordsDoNotStickAtZero) {
    auto generator = RandomGenerator::from_words({0, 0, 0, 0});
    EXPECT_EQ(generator.state(), RandomGenerator::DEFAULT_STATE);
    EXPECT_NE(generator.next_word(), 0u);
}

TEST(RandomGeneratorSeeding, FourWordsReplaceOnlyTheZeroOnes) {
    EXPECT_EQ(RandomGenerator::from_words({5, 0, 7, 0}).state(), (RandomGenerator::State{5u, 362436069u, 7u, 88675123u}));
    EXPECT_EQ(RandomGenerator::from_words({1, 2, 3, 4}).state(), (RandomGenerator::State{1u, 2u, 3u, 4u}));
}

TEST(RandomGeneratorSeeding, SetStateKeepsZerosForExactRestore) {
    RandomGenerator generator;
    generator.set_state({0, 9, 0, 0});
    EXPECT_EQ(generator.state(), (RandomGenerator::State{0u, 9u, 0u, 0u}));
}

TEST(RandomGeneratorSeeding, StateWordsByScriptIndex) {
    RandomGenerator generator;
    generator.set_state({10, 11, 12, 13});
    EXPECT_EQ(generator.state_word(1), 11u);
    EXPECT_EQ(generator.state_word(2), 12u);
    EXPECT_EQ(generator.state_word(3), 13u);
    for (std::int64_t other : {std::int64_t{0}, std::int64_t{4}, std::int64_t{-1}, std::int64_t{1} << 40}) {
        EXPECT_EQ(generator.state_word(other), 10u) << other;
    }
}

TEST(RandomGeneratorSeeding, SavedStateReplaysTheSameNumbers) {
    auto generator = RandomGenerator::from_word(424242);
    draw_words(generator, 17);
    const auto saved = generator.state();
    const auto first_run = draw_words(generator, 50);
    generator.set_state(saved);
    EXPECT_EQ(draw_words(generator, 50), first_run);
}

TEST(RandomGeneratorSeeding, CalendarTimeSumsTheFields) {
    std::tm utc{};
    utc.tm_sec = 30;
    utc.tm_min = 15;
    utc.tm_hour = 20;
    utc.tm_mday = 8;
    utc.tm_mon = 11;
    utc.tm_year = 126;
    const std::uint32_t expected = static_cast<std::uint32_t>((30 + 15 + 20 + 8 + 11 + 126) * 1234567123ull + 7654321u);
    EXPECT_EQ(calendar_seed_word(utc), expected);
    EXPECT_EQ(RandomGenerator::from_calendar_time(utc).state(), RandomGenerator::from_word(expected).state());
}

TEST(RandomGeneratorSeeding, CalendarFieldsOutOfRangeWrapWithoutOverflow) {
    std::tm utc{};
    utc.tm_sec = std::numeric_limits<int>::max();
    utc.tm_min = std::numeric_limits<int>::max();
    utc.tm_year = -5;
    const std::uint32_t sum = 0x7fffffffu + 0x7fffffffu - 5u;
    EXPECT_EQ(calendar_seed_word(utc), sum * 1234567123u + 7654321u);
}

TEST(RandomGeneratorSeeding, ClockSeedHasNoZeroWord) {
    const auto state = RandomGenerator::from_clock().state();
    for (std::uint32_t word : state) EXPECT_NE(word, 0u);
}

// Puts the generator where its next word is exactly `word`: with x = 0 the
// next word is w ^ (w >> 19), which undoes itself for shifts of 16 or more.
RandomGenerator generator_whose_next_word_is(std::uint32_t word) {
    RandomGenerator generator;
    generator.set_state({0u, 1u, 1u, word ^ (word >> 19)});
    return generator;
}

TEST(RandomGeneratorInt, SingleValueRange) {
    RandomGenerator generator;
    EXPECT_EQ(generator.random_int(5, 5), 5);
    EXPECT_EQ(generator.random_int(-7, -7), -7);
}

TEST(RandomGeneratorInt, ReversedRangeFailsWithoutDrawing) {
    RandomGenerator generator;
    EXPECT_FALSE(generator.random_int(5, 4).has_value());
    EXPECT_EQ(generator.state(), RandomGenerator::DEFAULT_STATE);
}

TEST(RandomGeneratorInt, HighBitsOfSpanTimesWord) {
    ReferenceXorshift reference{123456789u, 362436069u, 521288629u, 88675123u};
    RandomGenerator generator;
    for (int i = 0; i < 1000; ++i) {
        const std::uint64_t word = reference.next();
        ASSERT_EQ(generator.random_int(-3, 12), -3 + static_cast<std::int32_t>((16u * word) >> 32));
    }
}

TEST(RandomGeneratorInt, ExtremeWordsReachBothEnds) {
    EXPECT_EQ(generator_whose_next_word_is(0u).random_int(10, 19), 10);
    EXPECT_EQ(generator_whose_next_word_is(0xffffffffu).random_int(10, 19), 19);
}

TEST(RandomGeneratorInt, FullRangeUsesTheWholeWord) {
    const std::int32_t min = std::numeric_limits<std::int32_t>::min();
    const std::int32_t max = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(generator_whose_next_word_is(0xffffffffu).random_int(min, max), max);
    EXPECT_EQ(generator_whose_next_word_is(0x80000000u).random_int(min, max), 0);
    EXPECT_EQ(generator_whose_next_word_is(12345u).random_int(min, max), min + 12345);
}

TEST(RandomGeneratorInt, SmallRangeIsRoughlyUniform) {
    auto generator = RandomGenerator::from_word(99);
    std::array<int, 10> counts{};
    constexpr int DRAWS = 100000;
    for (int i = 0; i < DRAWS; ++i) ++counts[static_cast<std::size_t>(*generator.random_int(0, 9))];
    for (int count : counts) {
        EXPECT_GT(count, DRAWS / 10 * 9 / 10);
        EXPECT_LT(count, DRAWS / 10 * 11 / 10);
    }
}

TEST(RandomGeneratorFloat, UnitFloatIsHighBitsTimesTwoToMinus24) {
    ReferenceXorshift reference{123456789u, 362436069u, 521288629u, 88675123u};
    RandomGenerator generator;
    for (int i = 0; i < 1000; ++i) {
        const std::uint64_t k = (static_cast<std::uint64_t>(reference.next()) * 16777217u) >> 32;
        ASSERT_EQ(generator.unit_float(), static_cast<float>(k) / 16777216.0f);
    }
}

TEST(RandomGeneratorFloat, UnitFloatEnds) {
    EXPECT_EQ(generator_whose_next_word_is(0u).unit_float(), 0.0f);
    EXPECT_EQ(generator_whose_next_word_is(0xffffffffu).unit_float(), 1.0f);
    EXPECT_LT(generator_whose_next_word_is(0xfeffffffu).unit_float(), 1.0f);
}

TEST(RandomGeneratorFloat, RangeScalesTheUnitFloat) {
    RandomGenerator generator;
    EXPECT_EQ(generator.random_float(1.0f, 1.0f), 1.0f);
    RandomGenerator a = RandomGenerator::from_word(3);
    RandomGenerator b = RandomGenerator::from_word(3);
    for (int i = 0; i < 100; ++i) {
        const float unit = a.unit_float();
        ASSERT_EQ(b.random_float(-2.0f, 6.0f), -2.0f + unit * 8.0f);
    }
    EXPECT_EQ(generator_whose_next_word_is(0xffffffffu).random_float(-2.0f, 6.0f), 6.0f);
}

TEST(RandomGeneratorFloat, ReversedRangeFailsWithoutDrawing) {
    RandomGenerator generator;
    EXPECT_FALSE(generator.random_float(2.0f, 1.0f).has_value());
    EXPECT_EQ(generator.state(), RandomGenerator::DEFAULT_STATE);
}

}  // namespace
}  // namespace me
