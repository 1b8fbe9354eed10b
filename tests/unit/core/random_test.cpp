#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "core/random.h"

namespace me {
namespace {

Xorshift128 generator_with_state(uint32_t x, uint32_t y, uint32_t z, uint32_t w) {
    Xorshift128 generator;
    generator.set_state(x, y, z, w);
    return generator;
}

TEST(Xorshift128Test, UnseededGeneratorProducesTheClassicSequence) {
    Xorshift128 generator;
    EXPECT_EQ(generator.next(), 3701687786u);
    EXPECT_EQ(generator.next(), 458299110u);
    EXPECT_EQ(generator.next(), 2500872618u);
    EXPECT_EQ(generator.next(), 3633119408u);
}

TEST(Xorshift128Test, SeedFromTimeSumsTheCalendarFields) {
    std::tm utc{};
    utc.tm_sec = 1;
    utc.tm_min = 2;
    utc.tm_hour = 3;
    utc.tm_mday = 4;
    utc.tm_mon = 5;
    utc.tm_year = 126;
    // (1 + 2 + 3 + 4 + 5 + 126) * 1234567123 + 7654321, modulo 2^32.
    EXPECT_EQ(Xorshift128::seed_for_time(utc), 2282926824u);
}

TEST(Xorshift128Test, SeedDerivesFourWordsFromOne) {
    Xorshift128 generator;
    generator.seed(2282926824u);
    EXPECT_EQ(generator.x(), 2282926824u);
    EXPECT_EQ(generator.y(), 2568292677u);
    EXPECT_EQ(generator.z(), 2354268287u);
    EXPECT_EQ(generator.w(), 2439784168u);
}

TEST(Xorshift128Test, ZeroSeedFallsBackToTheDefaultWords) {
    Xorshift128 generator;
    generator.seed(0);
    EXPECT_EQ(generator.x(), Xorshift128::kDefaultX);
    EXPECT_EQ(generator.y(), Xorshift128::kDefaultY);
    EXPECT_EQ(generator.z(), Xorshift128::kDefaultZ);
    EXPECT_EQ(generator.w(), Xorshift128::kDefaultW);
}

TEST(Xorshift128Test, SeedingFromTheClockNeverLeavesAZeroWord) {
    Xorshift128 generator;
    generator.seed_from_current_time();
    EXPECT_NE(generator.x(), 0u);
    EXPECT_NE(generator.y(), 0u);
    EXPECT_NE(generator.z(), 0u);
    EXPECT_NE(generator.w(), 0u);
}

TEST(Xorshift128Test, SameSeedGivesTheSameSequence) {
    Xorshift128 first;
    Xorshift128 second;
    first.seed(987654321u);
    second.seed(987654321u);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(first.next(), second.next()) << "at step " << i;
}

TEST(Xorshift128IntTest, ScalesTheStepIntoTheRange) {
    Xorshift128 generator;
    // The first step, 3701687786, is 0.86 of 2^32.
    EXPECT_EQ(generator.next_int(0, 9), 8);
}

TEST(Xorshift128IntTest, EqualBoundsGiveThatValue) {
    Xorshift128 generator;
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(generator.next_int(-7, -7), -7);
}

TEST(Xorshift128IntTest, FullRangeUsesAllOfTheStep) {
    Xorshift128 generator;
    // 2^32 * step >> 32 is the step itself, offset from INT_MIN.
    EXPECT_EQ(generator.next_int(INT_MIN, INT_MAX), static_cast<int32_t>(3701687786u - 2147483648u));
}

TEST(Xorshift128IntTest, ExtremeStepsReachBothEnds) {
    Xorshift128 lowest = generator_with_state(0, 1, 1, 0);
    EXPECT_EQ(lowest.next_int(-5, 5), -5);
    Xorshift128 highest = generator_with_state(0, 1, 1, 0xFFFFE000u);
    EXPECT_EQ(highest.next_int(-5, 5), 5);
}

TEST(Xorshift128IntTest, ResultsStayWithinTheBounds) {
    Xorshift128 generator;
    generator.seed(42);
    for (int i = 0; i < 10000; ++i) {
        const int32_t value = generator.next_int(-3, 4);
        ASSERT_GE(value, -3);
        ASSERT_LE(value, 4);
    }
}

TEST(Xorshift128FloatTest, ExtremeStepsGiveExactlyTheBounds) {
    Xorshift128 lowest = generator_with_state(0, 1, 1, 0);
    EXPECT_EQ(lowest.next_float(2.0f, 5.0f), 2.0f);
    // x = 0 and w = 0xFFFFE000 make the next step 0xFFFFFFFF.
    Xorshift128 highest = generator_with_state(0, 1, 1, 0xFFFFE000u);
    EXPECT_EQ(highest.next_float(2.0f, 5.0f), 5.0f);
}

TEST(Xorshift128FloatTest, UsesTwentyFourBitsOfTheStep) {
    Xorshift128 generator;
    // r = 3701687786 * 16777217 >> 32 = 14459718; -1 + r / 2^24 * 2.
    EXPECT_FLOAT_EQ(generator.next_float(-1.0f, 1.0f), 0.7237327f);
}

}  // namespace
}  // namespace me
