#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "clip/clip_channel.h"
#include "clip_test_fixture.h"

namespace me {
namespace {

using clip::ClipChannelType;
using clip::ClipResource;
using clip::ClipSample;

struct LocateCase {
    uint32_t duration;
    int32_t keys;
    uint32_t time;
    ClipSample expected;
};

// Worked by hand: with 1000 ticks and 3 keys the keys lie at 0, 500, 1000;
// with 7 ticks and 4 keys at 0, 2, 4, 7. The Fixed fraction is the tick
// offset shifted by 16, divided by the gap, truncated.
const LocateCase kLocateCases[] = {
    {1000, 3, 0, {0, 1, 0.0f, 0}},
    {1000, 3, 499, {0, 1, 0.998f, 65404}},
    {1000, 3, 500, {1, 2, 0.0f, 0}},
    {1000, 3, 750, {1, 2, 0.5f, 32768}},
    {1000, 3, 1000, {2, 2, 0.0f, 0}},
    {7, 4, 3, {1, 2, 0.5f, 32768}},
    {7, 4, 6, {2, 3, 2.0f / 3.0f, 43690}},
    {7, 4, 7, {3, 3, 0.0f, 0}},
    {0, 3, 0, {0, 0, 0.0f, 0}},
    {1000, 1, 600, {0, 0, 0.0f, 0}},
    {1000, 0, 600, {0, 0, 0.0f, 0}},
    // The largest duration: products need 64 bits.
    {4294967295u, 3, 4294967294u, {1, 2, 1.0f, 65535}},
};

TEST(ClipLocateTest, TimesFallBetweenTheKeysWorkedByHand) {
    for (const LocateCase& c : kLocateCases) {
        ResourceRef<ClipResource> resource(new ClipResource());
        resource->set_duration(c.duration);
        ASSERT_TRUE(resource->init_channels(c.keys, 0, 0));
        const ClipSample sample = resource->locate(c.time);
        const std::string label = std::to_string(c.duration) + "/" + std::to_string(c.keys) + " at " +
                                  std::to_string(c.time);
        EXPECT_EQ(sample.key, c.expected.key) << label;
        EXPECT_EQ(sample.next_key, c.expected.next_key) << label;
        EXPECT_NEAR(sample.fraction, c.expected.fraction, 1e-5f) << label;
        EXPECT_EQ(sample.fixed_fraction, c.expected.fixed_fraction) << label;
    }
}

// A refused resource is never located by a clip, but its keys must still
// not divide by zero if it were: two keys in one tick.
TEST(ClipLocateTest, KeysCrowdedIntoTooShortADurationNeitherDivideByZeroNorFinish) {
    ResourceRef<ClipResource> resource(new ClipResource());
    resource->set_duration(1);
    ASSERT_TRUE(resource->init_channels(3, 0, 0));
    for (uint32_t t : {0u, 1u}) {
        const ClipSample sample = resource->locate(t);
        EXPECT_EQ(sample.fixed_fraction, 0);
        EXPECT_LE(sample.key, 2);
    }
    EXPECT_FALSE(resource->finish());
    EXPECT_TRUE(resource->is_refused());
}

struct EvaluateCase {
    uint32_t time;
    float x;
    int32_t sprite;
    int32_t fixed;
};

// The "steps" channels at and between keys: floats interpolate, ints step,
// Fixed interpolates by the Fixed fraction (655360 × 65404 >> 16 = 654040),
// constants stay.
const EvaluateCase kEvaluateCases[] = {
    {0, 0.0f, 0, 0},
    {250, 50.0f, 0, 327680},
    {499, 99.8f, 0, 654040},
    {500, 100.0f, 1, 655360},
    {750, 75.0f, 1, 327680},
    {999, 50.1f, 1, 1320},
    {1000, 50.0f, -1, 0},
};

class ClipResourceTest : public test::ClipTest {};

TEST_F(ClipResourceTest, EveryChannelTypeEvaluatesAtAndBetweenKeys) {
    auto* resource = native_of<ClipResource>(evaluate("return ::steps"));
    ASSERT_NE(resource, nullptr);
    std::vector<uint32_t> values(resource->channel_count());
    for (const EvaluateCase& c : kEvaluateCases) {
        resource->evaluate(resource->locate(c.time), values);
        EXPECT_NEAR(clip::float_of_cell(values[0]), c.x, 1e-3f) << c.time;
        EXPECT_EQ(clip::float_of_cell(values[1]), 7.0f) << c.time;
        EXPECT_EQ(clip::int_of_cell(values[2]), c.sprite) << c.time;
        EXPECT_EQ(clip::int_of_cell(values[3]), c.fixed) << c.time;
        EXPECT_EQ(clip::float_of_cell(values[5]), 0.25f) << c.time;
    }
    EXPECT_EQ(resource->channel(3).type, ClipChannelType::Fixed);
}

TEST_F(ClipResourceTest, WithoutKeyDataEveryChannelYieldsItsConstant) {
    evaluate(R"(
        ::flat <- ClipResource();
        flat.set_duration_in_milliseconds(10);
        flat.init_channels(1, 2, 0);
        flat.set_int_channel_data(0, -1, [9]);
        flat.set_float_channel_data(1, -1, [1.5]);
        return null;)");
    auto* flat = native_of<ClipResource>(evaluate("return ::flat"));
    std::vector<uint32_t> values(2);
    for (uint32_t t : {0u, 400u, 1000u}) {
        flat->evaluate(flat->locate(t), values);
        EXPECT_EQ(clip::int_of_cell(values[0]), 9);
        EXPECT_EQ(clip::float_of_cell(values[1]), 1.5f);
    }
    evaluate("::flat <- null; return null;");
}

TEST_F(ClipResourceTest, DurationSpriteNamesCommandsAndInstantiatorReadBack) {
    EXPECT_EQ(evaluate_integer("local r = ClipResource(); r.set_duration_in_milliseconds(250); "
                               "return r.get_duration_in_milliseconds()"),
              250);
    EXPECT_EQ(native_of<ClipResource>(evaluate("return ::steps"))->duration(), 1000u);
    EXPECT_TRUE(evaluate_bool("local r = ClipResource(); ::kept <- r; return r.set_sprite_names([\"spark\", null])"));
    auto* kept = native_of<ClipResource>(evaluate("return ::kept"));
    ASSERT_EQ(kept->sprites().size(), 2u);
    EXPECT_TRUE(kept->sprites()[0]);
    EXPECT_FALSE(kept->sprites()[1]);
    EXPECT_EQ(evaluate_string("local n = ::kept.get_sprite_names(); return n[0] + (n[1] == null ? \"/null\" : \"\")"),
              "spark/null");
    EXPECT_FALSE(evaluate_bool("return ClipResource().set_sprite_names([\"spark\", \"no_such_sprite\"])"));
    EXPECT_TRUE(evaluate_bool("return ::steps.get_instantiator() != null"));
    evaluate("::kept <- null; return null;");
}

struct ScriptErrorCase {
    const char* call;
    const char* error;
};

// Every bad call raises its error and leaves the resource as it was: the
// x channel keeps its data and type, the sizes stay.
const ScriptErrorCase kScriptErrors[] = {
    {"::steps.set_float_channel_data(0, 0)", "Wrong number of parameters: more parameters expected."},
    {"::steps.set_float_channel_data(\"0\", 0, [1, 2, 3])", "Expecting integer."},
    {"::steps.set_int_channel_data(0, true, [1, 2, 3])", "Expecting integer."},
    {"::steps.set_int_channel_data(6, 0, [1, 2, 3])", "Channel index is outside the clip resource's channels."},
    {"::steps.set_int_channel_data(-1, 0, [1, 2, 3])", "Channel index is outside the clip resource's channels."},
    {"::steps.set_int_channel_data(0, 4, [1, 2, 3])", "Column index is outside the clip resource's stride."},
    {"::steps.set_int_channel_data(0, -2, [1, 2, 3])", "Column index is outside the clip resource's stride."},
    {"::steps.set_int_channel_data(0, 0, [1, 2])", "Expecting a value for every key of the clip resource."},
    {"::steps.set_int_channel_data(0, 0, [1, \"2\", 3])", "Expecting numeric."},
    {"::steps.set_fixed_channel_data(0, 0, 5)", "Expecting array."},
    {"::steps.init_channels(-1, 2, 2)",
     "Expecting key count, channel count and stride that are not negative and give at most 16777216 cells."},
    {"::steps.init_channels(5000, 1, 5000)",
     "Expecting key count, channel count and stride that are not negative and give at most 16777216 cells."},
    {"::steps.set_commands()", "Wrong number of parameters: more parameters expected."},
    {"::steps.set_instantiator()", "Wrong number of parameters: more parameters expected."},
    {"::steps.set_sprite_names()", "Wrong number of parameters: more parameters expected."},
    {"ClipResource.set_duration_in_milliseconds.call(Clip(), 5)", "Expecting ClipResource"},
};

TEST_F(ClipResourceTest, BadCallsRaiseTheirErrorAndWriteNothing) {
    auto* resource = native_of<ClipResource>(evaluate("return ::steps"));
    std::vector<uint32_t> values(resource->channel_count());
    for (const ScriptErrorCase& c : kScriptErrors) {
        EXPECT_EQ(error_of(c.call), c.error) << c.call;
        ASSERT_EQ(resource->channel_count(), 6u) << c.call;
        EXPECT_EQ(resource->key_count(), 3) << c.call;
        EXPECT_EQ(resource->channel(0).type, ClipChannelType::Float) << c.call;
        resource->evaluate(resource->locate(500), values);
        EXPECT_EQ(clip::float_of_cell(values[0]), 100.0f) << c.call;
    }
}

struct DefCase {
    const char* def;
    const char* logged;
};

const DefCase kBadDefs[] = {
    {"{}", "Can't load clip resource, _clip_resource not found, def is not valid."},
    {"{ _clip_resource = 5 }", "Can't load clip resource, _clip_resource is not valid engine object."},
    {"{ _clip_resource = Clip() }", "Can't load clip resource, _clip_resource is not valid engine object."},
    {"{ _clip_resource = ClipResource() }",
     "Unable to load clip resource 'bad', clips doesn't use standard resource loading."},
};

TEST_F(ClipResourceTest, DefsWithoutAFinishedClipResourceDoNotLoad) {
    for (const DefCase& c : kBadDefs) {
        evaluate(std::string("g_clip_resource_defs.bad <- ") + c.def + "; return null;");
        EXPECT_FALSE(load_resource(resource_types::clip, "bad")) << c.def;
        EXPECT_NE(log_text().find(c.logged), std::string::npos) << c.def << "\n" << log_text();
        evaluate("delete g_clip_resource_defs.bad; return null;");
    }
    const ResourceRef<ResourceObject> loaded = load_resource(resource_types::clip, "steps");
    EXPECT_EQ(loaded.get(), native_of<ClipResource>(evaluate("return ::steps")));
    EXPECT_EQ(loaded->get_name(), "steps");
}

// Keys closer than a tick apart: refused when finished, never handed out by
// its def, and no clip takes it.
TEST_F(ClipResourceTest, AResourceWhoseKeysDoNotFitItsDurationIsRefused) {
    evaluate(R"(
        ::crowded <- ClipResource();
        crowded.init_channels(5, 1, 1);
        crowded.set_duration_in_milliseconds(0);
        crowded.set_float_channel_data(0, 0, [1, 2, 3, 4, 5]);
        ::crowded_clip <- Clip();
        return null;)");
    native_of<ClipResource>(evaluate("return ::crowded"))->set_duration(3);
    evaluate("::crowded.finish(); g_clip_resource_defs.crowded <- { _clip_resource = ::crowded }; return null;");
    EXPECT_NE(log_text().find("its duration of 3 ticks is too short for 5 keys"), std::string::npos) << log_text();
    EXPECT_FALSE(load_resource(resource_types::clip, "crowded"));
    EXPECT_FALSE(clip::instantiate_clip("crowded"));
    evaluate("::crowded_clip.init(::crowded); ::crowded_clip.advance_in_time(2); return null;");
    auto* refused_clip = native_of<clip::Clip>(evaluate("return ::crowded_clip"));
    EXPECT_EQ(refused_clip->resource(), nullptr);
    EXPECT_EQ(evaluate_integer("return ::crowded_clip.get_duration()"), 0);
    evaluate("::crowded <- null; ::crowded_clip <- null; return null;");
}

struct InstantiateCase {
    const char* instantiator;
    bool makes_clip;
    const char* logged;
};

const InstantiateCase kInstantiators[] = {
    {"function(r) { local c = Clip(); c.init(r); return c; }", true, ""},
    {"function(r) { return ClipObject(); }", false, ""},
    {"function(r) { return 3; }", false, ""},
    {"function(r) { throw \"no parts\"; }", false, "Instantiating clip 'made' failed: no parts"},
    {"null", false, "Instantiating clip 'made' failed"},
};

TEST_F(ClipResourceTest, InstantiateGivesTheInstantiatorsClipOrNull) {
    EXPECT_FALSE(clip::instantiate_clip("no_such_clip"));
    for (const InstantiateCase& c : kInstantiators) {
        evaluate(std::string("::made <- ClipResource(); made.set_instantiator(") + c.instantiator +
                 "); made.finish(); g_clip_resource_defs.made <- { _clip_resource = made }; return null;");
        const ResourceRef<clip::Clip> made = clip::instantiate_clip("made");
        EXPECT_EQ(static_cast<bool>(made), c.makes_clip) << c.instantiator;
        if (made) {
            EXPECT_EQ(made->resource(), native_of<ClipResource>(evaluate("return ::made")));
        }
        EXPECT_NE(log_text().find(c.logged), std::string::npos) << c.instantiator;
        // The def keeps the resource cached by name: a new def needs a new name.
        m_held.release_all();
        evaluate("delete g_clip_resource_defs.made; ::made <- null; return null;");
    }
}

TEST_F(ClipResourceTest, ClipTickConstantsAreBound) {
    EXPECT_EQ(evaluate_integer("return CLIP_TICKS_PER_SECOND"), 100000);
    EXPECT_EQ(evaluate_integer("return ::CLIP_TICKS_PER_MILLISECOND"), 100);
    EXPECT_EQ(evaluate_integer("return CLIP_TICKS_PER_MINUTE"), 6000000);
    EXPECT_EQ(evaluate_integer("return CLIP_TICKS_PER_HOUR"), 360000000);
}

}  // namespace
}  // namespace me
