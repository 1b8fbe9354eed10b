#include <gtest/gtest.h>

#include <string>

#include "emitter_test_fixture.h"
#include "resources/emitter_resource.h"
#include "resources/sprite.h"

namespace me {
namespace {

using EmitterResourceTest = test::EmitterTest;

constexpr const char* kBox = "area = { type = \"box\" }, particle = { sprite = \"spark\" }";

void expect_range(const EmitterRange& range, float min, float max) {
    EXPECT_FLOAT_EQ(range.min, min);
    EXPECT_FLOAT_EQ(range.max, max);
}

void expect_range(const ParticleRange& range, float start, float extent) {
    EXPECT_FLOAT_EQ(range.start, start);
    EXPECT_FLOAT_EQ(range.extent, extent);
}

TEST_F(EmitterResourceTest, ABareBoxEmitterHasTheDefaults) {
    const SceneEmitterResource* emitter = load_emitter("bare", std::string("{ ") + kBox + " }");
    ASSERT_NE(emitter, nullptr) << log_text();
    EXPECT_EQ(emitter->maximum_particle_count(), 0);
    expect_range(emitter->initial_delay(), 0, 0);
    expect_range(emitter->duration(), -1, -1);
    EXPECT_EQ(emitter->pulse_count().min, -1);
    EXPECT_EQ(emitter->pulse_count().max, -1);
    expect_range(emitter->pulse_delay(), 1, 1);
    EXPECT_EQ(emitter->pulse_particle_count().min, 1);
    EXPECT_EQ(emitter->pulse_particle_count().max, 1);
    const ParticleDescription& particle = emitter->particle();
    ASSERT_EQ(particle.sprites.size(), 1u);
    EXPECT_EQ(particle.sprites[0]->get_name(), "spark");
    expect_range(particle.gravity, 1, 0);
    expect_range(particle.alpha, 1, 0);
    expect_range(particle.speed, 0, 0);
    EXPECT_FALSE(particle.alpha_run || particle.color_run || particle.scale_run || particle.occlusion_run);
}

TEST_F(EmitterResourceTest, RangeKeysTakeNumbersOrArraysAndKeepTheirDefaultOtherwise) {
    const SceneEmitterResource* emitter = load_emitter("ranges", std::string("{ ") + kBox + R"(,
        maximum_particle_count = 40.9, duration = 2, initial_delay = [-3, -1],
        pulse_count = [5.8, 2], pulse_particle_count = [2.7, 6.2], pulse_delay = "soon" })");
    ASSERT_NE(emitter, nullptr) << log_text();
    EXPECT_EQ(emitter->maximum_particle_count(), 40);
    expect_range(emitter->duration(), 2, 2);
    expect_range(emitter->initial_delay(), 0, 0);
    EXPECT_EQ(emitter->pulse_count().min, 5);
    EXPECT_EQ(emitter->pulse_count().max, 5);
    EXPECT_EQ(emitter->pulse_particle_count().min, 2);
    EXPECT_EQ(emitter->pulse_particle_count().max, 6);
    expect_range(emitter->pulse_delay(), 1, 1);

    const SceneEmitterResource* odd = load_emitter("odd", std::string("{ ") + kBox +
                                                              ", duration = [4], initial_delay = [0.5, 2, 9] }");
    ASSERT_NE(odd, nullptr);
    expect_range(odd->duration(), -1, -1);
    expect_range(odd->initial_delay(), 0.5f, 2);
}

TEST_F(EmitterResourceTest, PulseRateGivesDelaysThatPulseDelayOverrides) {
    const SceneEmitterResource* rate = load_emitter("rate", std::string("{ ") + kBox + ", pulse_rate = [10, 20] }");
    ASSERT_NE(rate, nullptr);
    expect_range(rate->pulse_delay(), 0.05f, 0.1f);
    const SceneEmitterResource* still =
        load_emitter("still", std::string("{ ") + kBox + ", pulse_rate = [0, 20] }");
    ASSERT_NE(still, nullptr);
    expect_range(still->pulse_delay(), 1, 1);
    const SceneEmitterResource* both =
        load_emitter("both", std::string("{ ") + kBox + ", pulse_rate = 4, pulse_delay = [2, 3] }");
    ASSERT_NE(both, nullptr);
    expect_range(both->pulse_delay(), 2, 3);
}

TEST_F(EmitterResourceTest, PulseDelaysAreAtLeastAThousandthOfASecond) {
    const SceneEmitterResource* zero = load_emitter("zero", std::string("{ ") + kBox + ", pulse_delay = 0 }");
    ASSERT_NE(zero, nullptr);
    expect_range(zero->pulse_delay(), 0.001f, 0.001f);
    const SceneEmitterResource* fast =
        load_emitter("fast", std::string("{ ") + kBox + ", pulse_rate = [5000, 100000] }");
    ASSERT_NE(fast, nullptr);
    expect_range(fast->pulse_delay(), 0.001f, 0.001f);
}

TEST_F(EmitterResourceTest, TheAreaIsABoxWithNonNegativeSize) {
    const SceneEmitterResource* emitter = load_emitter(
        "box", "{ area = { type = \"box\", center = [3, -4], size = [-2, 6] }, particle = { sprite = \"spark\" } }");
    ASSERT_NE(emitter, nullptr);
    EXPECT_FLOAT_EQ(emitter->area().center[0], 3);
    EXPECT_FLOAT_EQ(emitter->area().center[1], -4);
    EXPECT_FLOAT_EQ(emitter->area().size[0], 0);
    EXPECT_FLOAT_EQ(emitter->area().size[1], 6);
}

TEST_F(EmitterResourceTest, EveryOtherAreaFailsTheLoad) {
    EXPECT_EQ(load_emitter("circle", "{ area = { type = \"circle\" }, particle = { sprite = \"spark\" } }"), nullptr);
    EXPECT_TRUE(logged("error: Invalid 2D emitter area type 'circle'."));
    EXPECT_TRUE(logged("error: Unable to load emitter 'circle'."));
    EXPECT_TRUE(logged("error: Can't load emitter 'circle'."));
    EXPECT_EQ(load_emitter("untyped", "{ area = { size = [1, 1] }, particle = { sprite = \"spark\" } }"), nullptr);
    EXPECT_TRUE(logged("error: Invalid 2D emitter area type ''."));
    EXPECT_TRUE(logged("error: Unable to load emitter 'untyped'."));
    EXPECT_EQ(load_emitter("nowhere", "{ particle = { sprite = \"spark\" } }"), nullptr);
    EXPECT_TRUE(logged("error: Unable to load emitter 'nowhere'."));
}

TEST_F(EmitterResourceTest, SpritesAreANameOrANonEmptyArrayOfNames) {
    const SceneEmitterResource* several = load_particles("several", "", "sprite = [\"spark\", \"flash\", \"spark\"]");
    ASSERT_NE(several, nullptr);
    ASSERT_EQ(several->particle().sprites.size(), 3u);
    EXPECT_EQ(several->particle().sprites[1]->get_name(), "flash");
    EXPECT_EQ(several->particle().sprites[0].get(), several->particle().sprites[2].get());

    EXPECT_EQ(load_particles("empty", "", "sprite = []"), nullptr);
    EXPECT_TRUE(logged("error: Emitter empty: Invalid number of sprites."));
    EXPECT_TRUE(logged("error: Unable to load emitter 'empty'."));
    EXPECT_EQ(load_particles("number", "", "sprite = 3"), nullptr);
    EXPECT_TRUE(logged("error: Emitter number: Invalid sprites."));
    EXPECT_EQ(load_particles("mixed", "", "sprite = [\"spark\", 3]"), nullptr);
    EXPECT_TRUE(logged("error: Emitter mixed: Invalid sprites."));
    EXPECT_EQ(load_emitter("bare", "{ area = { type = \"box\" } }"), nullptr);
    EXPECT_TRUE(logged("error: Emitter bare: Invalid sprites."));
    EXPECT_EQ(load_particles("missing", "", "sprite = [\"spark\", \"ghost\"]"), nullptr);
    EXPECT_TRUE(logged("error: Can't load sprite 'ghost', def not found."));
    EXPECT_TRUE(logged("error: Unable to load emitter 'missing'."));
}

TEST_F(EmitterResourceTest, ParticleRangesAreStartAndExtentWithAnglesInTurns) {
    const SceneEmitterResource* emitter = load_particles("motion", "", R"(sprite = "spark",
        speed = [10, 30], gravity = 5, alpha = "opaque", angle = [90, 45], rotation_speed = 180,
        direction = 90, spread = 20, duration = [2, 3])");
    ASSERT_NE(emitter, nullptr) << log_text();
    const ParticleDescription& particle = emitter->particle();
    expect_range(particle.speed, 10, 20);
    expect_range(particle.gravity, 5, 0);
    expect_range(particle.alpha, 1, 0);
    expect_range(particle.angle, 0.25f, -0.125f);
    EXPECT_FLOAT_EQ(particle.rotation_speed, 0.5f);
    expect_range(particle.direction, 80.0f / 360.0f, 20.0f / 360.0f);
    expect_range(particle.duration, 2, 1);
}

TEST_F(EmitterResourceTest, ParticleDurationRules) {
    const SceneEmitterResource* animated = load_particles("animated", "", "sprite = [\"blink\", \"cycle\"]");
    ASSERT_NE(animated, nullptr);
    expect_range(animated->particle().duration, 0, 0);
    EXPECT_FALSE(logged("error: Emitter animated: Negative particle duration requires all sprites to be animated."));

    const SceneEmitterResource* still = load_particles("still", "", "sprite = [\"blink\", \"spark\"], duration = [-1, 4]");
    ASSERT_NE(still, nullptr);
    EXPECT_TRUE(logged("error: Emitter still: Negative particle duration requires all sprites to be animated."));
    expect_range(still->particle().duration, 1, 0);

    const SceneEmitterResource* shrinking = load_particles("shrinking", "", "sprite = \"spark\", duration = [3, 1]");
    ASSERT_NE(shrinking, nullptr);
    EXPECT_TRUE(logged("error: Emitter shrinking: Invalid particle duration range."));
    expect_range(shrinking->particle().duration, 3, 0);
}

TEST_F(EmitterResourceTest, RunsAreStartAndEndPairs) {
    const SceneEmitterResource* emitter = load_particles("runs", "", R"(sprite = "spark",
        alpha_run = [1, 0], color_run = [[255, 0, 0], [0, 255, 0, 127.5]],
        scale_run = [[1, 1], [2, 3]], occlusion_run = [0.5, 1])");
    ASSERT_NE(emitter, nullptr) << log_text();
    const ParticleDescription& particle = emitter->particle();
    ASSERT_TRUE(particle.alpha_run && particle.color_run && particle.scale_run && particle.occlusion_run);
    EXPECT_FLOAT_EQ(particle.alpha_run->start, 1);
    EXPECT_FLOAT_EQ(particle.alpha_run->end, 0);
    EXPECT_EQ(particle.color_run->start, (ParticleColor{1, 0, 0}));
    EXPECT_FLOAT_EQ(particle.color_run->end[1], 0.5f);
    EXPECT_FLOAT_EQ(particle.color_run->end[0], 0.0f);
    EXPECT_EQ(particle.scale_run->end, (ParticleScale{2, 3}));
    EXPECT_FLOAT_EQ(particle.occlusion_run->start, 0.5f);
}

TEST_F(EmitterResourceTest, NumbersScaleTheAlphaOrHoldTheOcclusion) {
    const SceneEmitterResource* emitter =
        load_particles("numbers", "", "sprite = \"spark\", alpha = [0.4, 0.8], alpha_run = 0.5, occlusion_run = 0.25");
    ASSERT_NE(emitter, nullptr) << log_text();
    const ParticleDescription& particle = emitter->particle();
    EXPECT_FALSE(particle.alpha_run);
    expect_range(particle.alpha, 0.2f, 0.2f);
    ASSERT_TRUE(particle.occlusion_run);
    EXPECT_FLOAT_EQ(particle.occlusion_run->start, 0.25f);
    EXPECT_FLOAT_EQ(particle.occlusion_run->end, 0.25f);
}

TEST_F(EmitterResourceTest, RunsOfAnotherShapeFailTheLoad) {
    const struct {
        const char* name;
        const char* keys;
        const char* message;
    } cases[] = {
        {"a", "alpha_run = [1, 0.5, 0]", "error: Emitter a: Only alpha_run=[start,end] supported for now."},
        {"b", "alpha_run = [1, \"x\"]", "error: Emitter b: Only alpha_run=[start,end] supported for now."},
        {"c", "color_run = [[255, 0, 0]]", "error: Emitter c: Only color_run=[start,end] supported for now."},
        {"d", "color_run = [[255, 0, 0], 7]", "error: Emitter d: Only color_run=[start,end] supported for now."},
        {"e", "scale_run = [1, 2]", "error: Emitter e: Only scale_run=[start,end] supported for now."},
        {"f", "scale_run = [[1, 1], [2, 2], [3, 3]]", "error: Emitter f: Only scale_run=[start,end] supported for now."},
        {"g", "occlusion_run = []", "error: Emitter g: Only occlusion_run=[start,end] supported for now."},
    };
    for (const auto& each : cases) {
        EXPECT_EQ(load_particles(each.name, "", std::string("sprite = \"spark\", ") + each.keys), nullptr) << each.keys;
        EXPECT_TRUE(logged(each.message)) << each.message;
        EXPECT_TRUE(logged(std::string("error: Unable to load emitter '") + each.name + "'.")) << each.name;
    }
}

TEST_F(EmitterResourceTest, ADefWithoutClassIsASceneEmitter) {
    ASSERT_NE(load_emitter("plain", std::string("{ ") + kBox + " }"), nullptr);
    const ResourceRef<ResourceObject> again = load_resource(resource_types::emitter, "plain");
    ASSERT_TRUE(again);
    EXPECT_EQ(&again->class_record(), &SceneEmitterResource::kClassRecord);
    EXPECT_TRUE(again->is_kind_of(Emitter2DResource::kClassRecord));
    EXPECT_TRUE(again->is_kind_of(EmitterResource::kClassRecord));
    EXPECT_NE(load_emitter("named", std::string("{ _class = \"SceneEmitterResource\", ") + kBox + " }"), nullptr);
}

TEST_F(EmitterResourceTest, AClassOfAnotherKindIsNotFound) {
    EXPECT_EQ(load_emitter("curvy", std::string("{ _class = \"Curve\", ") + kBox + " }"), nullptr);
    EXPECT_TRUE(logged("error: Can't load emitter 'curvy', class 'Curve' implementing this resource was not found."));
    EXPECT_EQ(load_emitter("abstract", std::string("{ _class = \"Emitter2DResource\", ") + kBox + " }"), nullptr);
    EXPECT_TRUE(logged(
        "error: Can't load emitter 'abstract', class 'Emitter2DResource' implementing this resource was not found."));
}

}  // namespace
}  // namespace me
