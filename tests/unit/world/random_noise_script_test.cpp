#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "binding_test_vm.h"
#include "world/perlin_noise.h"
#include "world/perlin_noise_object.h"
#include "world/random_generator.h"
#include "world/random_generator_object.h"

namespace me {
namespace {

using RandomNoiseScriptTest = test::BindingTest;

// The classic first outputs of xorshift128 from its default state.
constexpr std::uint32_t kFirstDefaultWords[] = {3701687786u, 458299110u, 2500872618u};

SQInteger script_word(std::uint32_t word) { return static_cast<SQInteger>(word); }

TEST_F(RandomNoiseScriptTest, SeedZeroGivesTheDefaultSequence) {
    evaluate("::g <- RandomGeneratorObject(0);");
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(evaluate_integer("return ::g.get_seed(" + std::to_string(i) + ");"),
                  script_word(RandomGenerator::DEFAULT_STATE[static_cast<size_t>(i)]));
    EXPECT_EQ(evaluate_integer("return ::g.get_random_int(0, 9);"), 8);
    EXPECT_EQ(evaluate_integer("return ::g.get_seed(3);"), script_word(kFirstDefaultWords[0]));
    EXPECT_EQ(evaluate_integer("return ::g.get_random_int(-2147483647 - 1, 2147483647);"),
              static_cast<std::int32_t>(kFirstDefaultWords[1] - 2147483648u));
    EXPECT_EQ(evaluate_integer("return ::g.get_seed(-7);"), script_word(RandomGenerator::DEFAULT_STATE[2]));
}

TEST_F(RandomNoiseScriptTest, ScriptSequencesMatchTheNativeGenerator) {
    RandomGenerator from_word = RandomGenerator::from_word(1000);
    RandomGenerator from_words = RandomGenerator::from_words({5, 0, 7, 0});
    evaluate("::a <- RandomGeneratorObject(1000); ::b <- RandomGeneratorObject(5, 0, 7, 0);");
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(evaluate_integer("return ::a.get_random_int(-50, 50);"), *from_word.random_int(-50, 50));
        EXPECT_EQ(evaluate_float("return ::b.get_random_float();"), from_words.unit_float());
        EXPECT_EQ(evaluate_float("return ::b.get_random_float(-2.0, 3);"), *from_words.random_float(-2.0f, 3.0f));
    }
}

TEST_F(RandomNoiseScriptTest, SavedWordsReplayTheSameNumbers) {
    EXPECT_TRUE(evaluate_bool(
        "local g = RandomGeneratorObject(77); g.get_random_int(0, 100);"
        "local saved = [g.get_seed(0), g.get_seed(1), g.get_seed(2), g.get_seed(3)];"
        "local first = [g.get_random_int(0, 1000), g.get_random_int(0, 1000), g.get_random_float()];"
        "local h = RandomGeneratorObject(); h.set_seed(saved[0], saved[1], saved[2], saved[3]);"
        "return first[0] == h.get_random_int(0, 1000) && first[1] == h.get_random_int(0, 1000)"
        "    && first[2] == h.get_random_float();"));
}

TEST_F(RandomNoiseScriptTest, SetSeedKeepsZerosWhileTheConstructorReplacesThem) {
    evaluate("::g <- RandomGeneratorObject(); ::g.set_seed(0, 0, 0, 0);");
    EXPECT_EQ(evaluate_integer("return ::g.get_seed(2);"), 0);
    EXPECT_EQ(evaluate_integer("return ::g.get_random_int(0, 9);"), 0);
    evaluate("::h <- RandomGeneratorObject(0, 0, 0, 0);");
    EXPECT_EQ(evaluate_integer("return ::h.get_seed(1);"), script_word(RandomGenerator::DEFAULT_STATE[1]));
}

TEST_F(RandomNoiseScriptTest, RangeBoundaries) {
    evaluate("::g <- RandomGeneratorObject(3);");
    EXPECT_EQ(evaluate_integer("return ::g.get_random_int(5, 5);"), 5);
    EXPECT_FLOAT_EQ(evaluate_float("return ::g.get_random_float(1.0, 1.0);"), 1.0f);
    EXPECT_EQ(error_of("::g.get_random_int(5, 4)"), "Expecting get_random_int( min, max ), min must be < max.");
    EXPECT_EQ(error_of("::g.get_random_float(1.0, 0.5)"), "Expecting get_random_float( min, max ), min must be < max.");
}

TEST_F(RandomNoiseScriptTest, GeneratorArgumentsAreChecked) {
    EXPECT_EQ(error_of("RandomGeneratorObject(\"seed\")"), "Expecting integer.");
    EXPECT_EQ(error_of("RandomGeneratorObject(1, 2)"), "Expecting integer.");
    EXPECT_EQ(error_of("RandomGeneratorObject(1, 2, 3, null)"), "Expecting integer.");
    evaluate("::g <- RandomGeneratorObject(3);");
    EXPECT_EQ(error_of("::g.get_random_int(1)"), "Expecting integer.");
    EXPECT_EQ(error_of("::g.get_random_int(\"1\", 2)"), "Expecting integer.");
    EXPECT_EQ(error_of("::g.get_random_float(1.0)"), "Expecting float.");
    EXPECT_EQ(error_of("::g.get_random_float(null, 1.0)"), "Expecting float.");
    EXPECT_EQ(error_of("::g.get_seed()"), "Expecting integer.");
    EXPECT_EQ(error_of("::g.set_seed(1, 2, 3)"), "Expecting integer.");
    EXPECT_EQ(error_of("RandomGeneratorObject.get_seed.call({}, 0)"), "Expecting RandomGeneratorObject");
    EXPECT_EQ(error_of("RandomGeneratorObject.get_random_int.call(PerlinNoiseObject(1), 0, 1)"),
              "Expecting RandomGeneratorObject");
}

TEST_F(RandomNoiseScriptTest, ScriptObjectsAreGameObjects) {
    EXPECT_TRUE(evaluate_bool("return RandomGeneratorObject(1) instanceof GameObject;"));
    EXPECT_TRUE(evaluate_bool("return PerlinNoiseObject(1) instanceof GameObject;"));
    EXPECT_EQ(evaluate_integer("class Dice extends RandomGeneratorObject { function roll() { return get_random_int(1, 6); } }"
                               "local d = Dice(0); return d.roll();"),
              1 + static_cast<SQInteger>((6ull * kFirstDefaultWords[0]) >> 32));
    EXPECT_EQ(error_of("local g = RandomGeneratorObject(1); g.constructor(2)"), "the instance is already constructed");
}

TEST_F(RandomNoiseScriptTest, NoiseMatchesTheNativeTableForTheSameSeed) {
    const PerlinNoise native(12345);
    evaluate("::n <- PerlinNoiseObject(12345); ::m <- PerlinNoiseObject(12345);");
    for (float x : {0.25f, 1.5f, -3.75f, 100.125f, 255.5f, 256.5f}) {
        const std::string argument = std::to_string(x);
        EXPECT_EQ(evaluate_float("return ::n.noise1(" + argument + ");"), native.noise1(x)) << x;
        EXPECT_TRUE(evaluate_bool("return ::n.noise1(" + argument + ") == ::m.noise1(" + argument + ");"));
    }
    EXPECT_EQ(evaluate_float("return ::n.noise1(3.0);"), 0.0f);
    EXPECT_EQ(evaluate_float("return ::n.noise1(-2);"), 0.0f);
}

TEST_F(RandomNoiseScriptTest, NoiseArgumentsAreChecked) {
    EXPECT_EQ(error_of("PerlinNoiseObject(1.5, 2)"), "no error");
    EXPECT_EQ(error_of("PerlinNoiseObject(\"1\")"), "Expecting integer.");
    EXPECT_EQ(error_of("PerlinNoiseObject(1).noise1(\"x\")"), "Expecting float.");
    EXPECT_EQ(error_of("PerlinNoiseObject(1).noise1()"), "Expecting float.");
    EXPECT_EQ(error_of("PerlinNoiseObject.noise1.call(RandomGeneratorObject(1), 0.5)"), "Expecting PerlinNoiseObject");
    EXPECT_EQ(evaluate_string("return typeof PerlinNoiseObject().noise1(0.5);"), "float");
}

}  // namespace
}  // namespace me
