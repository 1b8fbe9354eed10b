#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "emitter_test_fixture.h"
#include "gpu/quad_batch.h"
#include "gpu/render_device.h"
#include "resources/sprite.h"
#include "scene/scene_emitter.h"
#include "scene/scene_emitter_animation.h"
#include "scene/scene_emitter_look.h"

namespace me {
namespace {

constexpr float kPi = std::numbers::pi_v<float>;

class SceneEmitterTest : public test::EmitterTest {
protected:
    // A started emitter of a box emitter with these keys; null (after a
    // failed expectation) when the def does not load.
    SceneEmitter* start(const std::string& emitter_keys, const std::string& particle_keys) {
        // A fresh name each time: a name already loaded keeps its first def.
        const std::string name = "emitter" + std::to_string(++m_started);
        SceneEmitterResource* resource = load_particles(name, emitter_keys, particle_keys);
        EXPECT_NE(resource, nullptr) << log_text();
        if (resource == nullptr)
            return nullptr;
        m_emitter = std::make_unique<SceneEmitter>();
        m_emitter->start(*resource);
        return m_emitter.get();
    }

    // The emitter holds its resource, which must go before the VM does.
    void TearDown() override {
        m_emitter.reset();
        EmitterTest::TearDown();
    }

    std::unique_ptr<SceneEmitter> m_emitter;
    int m_started = 0;
};

bool same_particles(const std::vector<Particle>& a, const std::vector<Particle>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const Particle& p = a[i];
        const Particle& q = b[i];
        if (p.x != q.x || p.y != q.y || p.velocity_x != q.velocity_x || p.velocity_y != q.velocity_y ||
            p.alpha != q.alpha || p.gravity != q.gravity || p.rotation != q.rotation || p.life != q.life ||
            p.sprite != q.sprite || p.frame != q.frame)
            return false;
    }
    return true;
}

TEST_F(SceneEmitterTest, OnePulseOfFiveGivesExactlyFiveParticlesThenFinishes) {
    SceneEmitter* emitter = start("pulse_count = 1, pulse_particle_count = 5,", "sprite = \"spark\", duration = 10");
    ASSERT_NE(emitter, nullptr);
    EXPECT_FALSE(emitter->finished());
    emitter->update(0.01f, 0, 0);
    EXPECT_EQ(emitter->live_particle_count(), 5u);
    EXPECT_TRUE(emitter->finished());
    for (int i = 0; i < 300; ++i)
        emitter->update(0.01f, 0, 0);
    EXPECT_EQ(emitter->live_particle_count(), 5u);
}

TEST_F(SceneEmitterTest, NothingHappensBeforeStart) {
    SceneEmitter idle;
    idle.update(1.0f, 0, 0);
    EXPECT_EQ(idle.live_particle_count(), 0u);
    EXPECT_EQ(idle.resource(), nullptr);
}

TEST_F(SceneEmitterTest, PulsesComeAfterTheInitialDelayAndThenEveryPulseDelay) {
    SceneEmitter* emitter =
        start("initial_delay = 0.5, pulse_delay = 0.25, pulse_particle_count = 2,", "sprite = \"spark\", duration = 100");
    ASSERT_NE(emitter, nullptr);
    const auto count_after = [&](float seconds) {
        for (int i = 0; i < static_cast<int>(std::lround(seconds / 0.125f)); ++i)
            emitter->update(0.125f, 0, 0);
        return emitter->live_particle_count();
    };
    EXPECT_EQ(count_after(0.375f), 0u);
    EXPECT_EQ(count_after(0.125f), 2u);   // at 0.5
    EXPECT_EQ(count_after(0.125f), 2u);   // 0.625
    EXPECT_EQ(count_after(0.125f), 4u);   // 0.75
    EXPECT_EQ(count_after(1.0f), 12u);    // 1.75: pulses at 1, 1.25, 1.5, 1.75
    EXPECT_FALSE(emitter->finished());
}

TEST_F(SceneEmitterTest, ADurationEndsEmittingButNotTheParticles) {
    SceneEmitter* emitter = start("duration = 1, pulse_delay = 0.25,", "sprite = \"spark\", duration = 5");
    ASSERT_NE(emitter, nullptr);
    for (int i = 0; i < 7; ++i)
        emitter->update(0.125f, 0, 0);
    EXPECT_FALSE(emitter->finished());
    emitter->update(0.125f, 0, 0);
    EXPECT_TRUE(emitter->finished());
    EXPECT_EQ(emitter->live_particle_count(), 5u);  // at 0, 0.25, 0.5, 0.75 and 1
    emitter->update(1.0f, 0, 0);
    EXPECT_EQ(emitter->live_particle_count(), 5u);
}

TEST_F(SceneEmitterTest, StopRequestsEndOnlyEndlessEmittersWhileStopEndsAny) {
    SceneEmitter* endless = start("pulse_delay = 0.1,", "sprite = \"spark\", duration = 0.35");
    ASSERT_NE(endless, nullptr);
    endless->update(0.1f, 0, 0);
    endless->request_stop();
    EXPECT_TRUE(endless->finished());
    const size_t live = endless->live_particle_count();
    endless->update(0.1f, 0, 0);
    EXPECT_EQ(endless->live_particle_count(), live);
    for (int i = 0; i < 5; ++i)
        endless->update(0.1f, 0, 0);
    EXPECT_EQ(endless->live_particle_count(), 0u);

    SceneEmitter* counted = start("pulse_count = 10, pulse_delay = 0.1,", "sprite = \"spark\"");
    ASSERT_NE(counted, nullptr);
    counted->request_stop();
    EXPECT_FALSE(counted->finished());
    counted->stop();
    EXPECT_TRUE(counted->finished());
    counted->update(1.0f, 0, 0);
    EXPECT_EQ(counted->live_particle_count(), 0u);
}

TEST_F(SceneEmitterTest, DirectionNinetyWithSpreadTwentyLaunchesBetweenEightyAndHundredDegrees) {
    SceneEmitter* emitter = start("pulse_count = 1, pulse_particle_count = 400,",
                                  "sprite = \"spark\", direction = 90, spread = 20, speed = 50, gravity = 0, "
                                  "duration = 10");
    ASSERT_NE(emitter, nullptr);
    emitter->update(0.001f, 0, 0);
    ASSERT_EQ(emitter->live_particle_count(), 400u);
    float lowest = 360.0f;
    float highest = 0.0f;
    for (const Particle& particle : emitter->particles()) {
        // Clockwise from up, with y pointing down.
        const float degrees = std::atan2(particle.velocity_x, -particle.velocity_y) * 180.0f / kPi;
        lowest = std::min(lowest, degrees);
        highest = std::max(highest, degrees);
        EXPECT_NEAR(std::hypot(particle.velocity_x, particle.velocity_y), 50.0f, 1e-3f);
        EXPECT_GT(particle.x, 0.0f);
    }
    EXPECT_GE(lowest, 80.0f - 1e-3f);
    EXPECT_LE(highest, 100.0f + 1e-3f);
    EXPECT_LT(lowest, 81.0f);
    EXPECT_GT(highest, 99.0f);
}

TEST_F(SceneEmitterTest, AlphaRunFromOneToZeroFadesToTransparent) {
    SceneEmitter* emitter =
        start("pulse_count = 1,", "sprite = \"spark\", duration = 1, alpha = 0.8, alpha_run = [1, 0]");
    ASSERT_NE(emitter, nullptr);
    const ParticleDescription& description = emitter->resource()->particle();
    std::vector<float> alphas;
    for (int i = 0; i < 4; ++i) {
        emitter->update(0.25f, 0, 0);
        if (emitter->live_particle_count() == 1)
            alphas.push_back(particle_color(description, emitter->particles()[0]).alpha);
    }
    ASSERT_EQ(alphas.size(), 3u);
    EXPECT_FLOAT_EQ(alphas[0], 0.8f * 0.75f);
    EXPECT_FLOAT_EQ(alphas[1], 0.8f * 0.5f);
    EXPECT_FLOAT_EQ(alphas[2], 0.8f * 0.25f);
    EXPECT_EQ(emitter->live_particle_count(), 0u);
}

TEST_F(SceneEmitterTest, ColourAndOcclusionRunsTintAndThin) {
    SceneEmitter* emitter = start("pulse_count = 1,", R"(sprite = "spark", duration = 2, alpha = 0.5,
        color_run = [[255, 0, 0], [0, 0, 255]], occlusion_run = [1, 0])");
    ASSERT_NE(emitter, nullptr);
    emitter->update(0.5f, 0, 0);
    const Color color = particle_color(emitter->resource()->particle(), emitter->particles().at(0));
    EXPECT_FLOAT_EQ(color.red, 0.5f * 0.75f);
    EXPECT_FLOAT_EQ(color.green, 0.0f);
    EXPECT_FLOAT_EQ(color.blue, 0.5f * 0.25f);
    EXPECT_FLOAT_EQ(color.alpha, 0.5f * 0.75f);
}

TEST_F(SceneEmitterTest, GravityScaleAndRotationRunOverTheLife) {
    SceneEmitter* emitter = start("pulse_count = 1,", R"(sprite = "spark", duration = 4, gravity = 10,
        rotation_speed = 90, angle = 45, scale_run = [[1, 1], [3, 5]])");
    ASSERT_NE(emitter, nullptr);
    emitter->update(1.0f, 0, 0);
    emitter->update(1.0f, 0, 0);
    const Particle& particle = emitter->particles().at(0);
    EXPECT_FLOAT_EQ(particle.velocity_y, 20.0f);
    EXPECT_FLOAT_EQ(particle.y, 30.0f);  // 10 after the first second, 20 more in the second
    EXPECT_FLOAT_EQ(particle.scale_x, 2.0f);
    EXPECT_FLOAT_EQ(particle.scale_y, 3.0f);
    EXPECT_FLOAT_EQ(particle.rotation, 0.125f + 0.5f);
}

TEST_F(SceneEmitterTest, AnimatedParticlesLiveAsLongAsTheirSpriteAndStepThroughItsFrames) {
    SceneEmitter* emitter = start("pulse_count = 1,", "sprite = \"blink\"");
    ASSERT_NE(emitter, nullptr);
    emitter->update(0.05f, 0, 0);
    ASSERT_EQ(emitter->live_particle_count(), 1u);
    EXPECT_FLOAT_EQ(emitter->particles()[0].life, 0.3f);
    EXPECT_EQ(emitter->particles()[0].frame, 0u);
    emitter->update(0.1f, 0, 0);
    EXPECT_EQ(emitter->particles()[0].frame, 1u);
    emitter->update(0.1f, 0, 0);
    EXPECT_EQ(emitter->particles()[0].frame, 2u);
    emitter->update(0.1f, 0, 0);
    EXPECT_EQ(emitter->live_particle_count(), 0u);
}

// A frame given as [name, min, max] lasts min plus an extra drawn when the
// particle enters it, so particles of one pulse leave such a frame at
// different times, each within [min, max].
TEST_F(SceneEmitterTest, AnimatedParticlesDrawTheRandomExtraOfEachFrameTheyEnter) {
    evaluate("g_sprite_defs[\"linger\"] <- { frames = [[\"spark\", 0.1, 0.5], [\"flash\", 1.0]] }; return null;");
    SceneEmitter* emitter = start("pulse_count = 1, pulse_particle_count = 40,", "sprite = \"linger\", duration = 10");
    ASSERT_NE(emitter, nullptr);
    std::vector<float> left_first_frame(40, -1.0f);
    float time = 0.0f;
    for (int step = 0; step < 60; ++step) {
        emitter->update(0.01f, 0, 0);
        time += 0.01f;
        for (size_t i = 0; i < emitter->particles().size(); ++i)
            if (emitter->particles()[i].frame == 1 && left_first_frame[i] < 0.0f)
                left_first_frame[i] = time;
    }
    ASSERT_EQ(emitter->particles().size(), 40u);
    float earliest = 1.0f;
    float latest = 0.0f;
    for (const float left : left_first_frame) {
        ASSERT_GE(left, 0.0f) << "every particle left the first frame within its 0.5 s maximum";
        EXPECT_GE(left, 0.1f - 1e-4f);
        EXPECT_LE(left, 0.51f + 1e-4f);
        earliest = std::min(earliest, left);
        latest = std::max(latest, left);
    }
    EXPECT_GT(latest - earliest, 0.2f) << "the extras differ between particles";
}

TEST_F(SceneEmitterTest, LoopingFramesWrapAndTheLastFrameOfOthersHolds) {
    SceneEmitter* looping = start("pulse_count = 1,", "sprite = \"cycle\", duration = 10");
    ASSERT_NE(looping, nullptr);
    looping->update(0.15f, 0, 0);
    EXPECT_EQ(looping->particles().at(0).frame, 1u);
    looping->update(0.1f, 0, 0);
    EXPECT_EQ(looping->particles().at(0).frame, 0u);
    looping->update(5.1f, 0, 0);  // 25.5 cycles on
    EXPECT_EQ(looping->particles().at(0).frame, 1u);

    SceneEmitter* holding = start("pulse_count = 1,", "sprite = \"blink\", duration = 10");
    ASSERT_NE(holding, nullptr);
    holding->update(2.0f, 0, 0);
    EXPECT_EQ(holding->particles().at(0).frame, 2u);
    const Sprite* blink = holding->resource()->particle().sprites.at(0).get();
    EXPECT_EQ(&drawn_sprite(holding->particles()[0]), blink->frame(2).sprite.get());
}

TEST_F(SceneEmitterTest, EmittersStartedFromTheSameApplicationSeedMatch) {
    const std::string particle = R"(sprite = ["spark", "flash"], direction = [0, 360], speed = [10, 50],
        alpha = [0.2, 1], gravity = [-5, 5], angle = [0, 90], duration = [0.5, 2])";
    SceneEmitterResource* resource = load_particles(
        "twin", "area = { type = \"box\", size = [40, 10] }, pulse_delay = [0.01, 0.2], pulse_particle_count = [1, 9],",
        particle);
    ASSERT_NE(resource, nullptr) << log_text();
    const auto run = [&](uint32_t seed) {
        application().rng.seed(seed);
        SceneEmitter emitter;
        emitter.start(*resource);
        std::vector<std::vector<Particle>> frames;
        for (int i = 0; i < 60; ++i) {
            emitter.update(1.0f / 60.0f, 10.0f * static_cast<float>(i), 5.0f);
            frames.push_back(emitter.particles());
        }
        return frames;
    };
    const auto first = run(777);
    const auto second = run(777);
    const auto other = run(778);
    ASSERT_EQ(first.size(), second.size());
    EXPECT_GT(first.back().size(), 20u);
    for (size_t i = 0; i < first.size(); ++i)
        EXPECT_TRUE(same_particles(first[i], second[i])) << "update " << i;
    EXPECT_FALSE(same_particles(first.back(), other.back()));
}

// The draws of a start and of one spawn, in their order: the emitter's own
// generator (seeded from the application's) for its timing and the area
// point, then the application's for the particle.
TEST_F(SceneEmitterTest, ParticlesDrawFromBothGeneratorsInTheirOrder) {
    SceneEmitterResource* resource = load_emitter("ordered", R"({
        area = { type = "box", center = [1, 2], size = [10, 20] },
        duration = [5, 9], pulse_count = [3, 7], initial_delay = [0, 0.001], pulse_particle_count = 1,
        particle = { sprite = ["spark", "flash"], direction = [0, 90], speed = [10, 20], alpha = [0.5, 1],
                     gravity = [1, 3], angle = [0, 180], rotation_speed = 36, duration = [1, 2] } })");
    ASSERT_NE(resource, nullptr) << log_text();
    application().rng.seed(4242);
    Xorshift128 app = application().rng;
    SceneEmitter emitter;
    emitter.start(*resource);
    emitter.update(0.01f, 100.0f, 200.0f);
    ASSERT_EQ(emitter.live_particle_count(), 1u);

    Xorshift128 own;
    own.seed(app.next());
    own.next_float(5, 9);
    own.next_int(3, 7);
    own.next_float(0, 0.001f);
    own.next_int(1, 1);
    own.next_float(1, 1);
    const float x = 100.0f + ((own.next_float(0, 1) - 0.5f) * 10.0f + 1.0f);
    const float y = 200.0f + ((own.next_float(0, 1) - 0.5f) * 20.0f + 2.0f);
    const float direction = 2.0f * kPi * (app.next_float(0, 1) * 0.25f);
    const float speed = 10.0f + app.next_float(0, 1) * 10.0f;
    const float alpha = 0.5f + app.next_float(0, 1) * 0.5f;
    const float gravity = 1.0f + app.next_float(0, 1) * 2.0f;
    const float rotation = app.next_float(0, 1) * 0.5f;
    const int32_t sprite = app.next_int(0, 1);
    const float life = 1.0f + app.next_float(0, 1);

    const Particle& particle = emitter.particles()[0];
    const float velocity_y = -std::cos(direction) * speed + 0.01f * gravity;
    EXPECT_FLOAT_EQ(particle.velocity_x, std::sin(direction) * speed);
    EXPECT_FLOAT_EQ(particle.velocity_y, velocity_y);
    EXPECT_FLOAT_EQ(particle.x, x + 0.01f * std::sin(direction) * speed);
    EXPECT_FLOAT_EQ(particle.y, y + 0.01f * velocity_y);
    EXPECT_FLOAT_EQ(particle.alpha, alpha);
    EXPECT_FLOAT_EQ(particle.gravity, gravity);
    EXPECT_FLOAT_EQ(particle.rotation, rotation + 0.01f * 0.1f);
    EXPECT_FLOAT_EQ(particle.life, life);
    EXPECT_EQ(particle.sprite, resource->particle().sprites[static_cast<size_t>(sprite)].get());
    EXPECT_EQ(application().rng.next(), app.next());
}

// A quad batch over client memory, as it runs without a GL context.
class SceneEmitterQuadTest : public SceneEmitterTest {
protected:
    void SetUp() override {
        SceneEmitterTest::SetUp();
        m_batch.create_buffers();
    }

    // The vertices of the quads gathered so far: the next free slot follows
    // them in the same mapped block.
    std::vector<QuadVertex> gathered(const Texture& texture) {
        const int count = m_batch.pending_quads();
        const std::span<QuadVertex> next = reserve_quads(m_batch, texture, 1);
        EXPECT_EQ(next.size(), 4u);
        return std::vector<QuadVertex>(next.data() - 4 * count, next.data());
    }

    RenderDevice m_device;
    QuadBatch m_batch{m_device};
};

TEST_F(SceneEmitterQuadTest, ARotatedScaledParticleHasTheHandComputedCorners) {
    SceneEmitter* emitter = start("pulse_count = 1,", R"(sprite = "spark", duration = 4, gravity = 0,
        angle = 90, scale_run = [[2, 3], [2, 3]], color_run = [[255, 0, 0], [255, 0, 0]], alpha = 0.5)");
    ASSERT_NE(emitter, nullptr);
    emitter->update(1.0f, 10.0f, 20.0f);
    emitter->write_quads(m_batch);
    ASSERT_EQ(m_batch.pending_quads(), 1);
    const Sprite& spark = *emitter->resource()->particle().sprites[0].get();
    const std::vector<QuadVertex> quad = gathered(*spark.texture());
    ASSERT_EQ(quad.size(), 4u);

    // A quarter turn: c = 0, s = 1. Sprite 4 x 2 with pivot (1, 1), scale
    // (2, 3): left-top = (10, 20) - (0 - 3, 2 + 0) = (13, 18); the x edge is
    // (0, 8), the y edge (-6, 0).
    const float expected[4][2] = {{13, 26}, {13, 18}, {7, 26}, {7, 18}};
    const TextureCorners& uv = spark.corners();
    const TexCoord corner_uv[4] = {uv.top_right, uv.top_left, uv.bottom_right, uv.bottom_left};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(quad[i].x, expected[i][0], 1e-4f) << "corner " << i;
        EXPECT_NEAR(quad[i].y, expected[i][1], 1e-4f) << "corner " << i;
        EXPECT_FLOAT_EQ(quad[i].u, corner_uv[i].u);
        EXPECT_FLOAT_EQ(quad[i].v, corner_uv[i].v);
        EXPECT_EQ(quad[i].color, pack_quad_color({0.5f, 0, 0, 0.5f}));
    }
}

TEST_F(SceneEmitterQuadTest, AnAnimatedParticleDrawsItsCurrentFrame) {
    SceneEmitter* emitter = start("pulse_count = 1,", "sprite = \"blink\", gravity = 0");
    ASSERT_NE(emitter, nullptr);
    emitter->update(0.15f, 0.0f, 0.0f);  // frame 1: "flash", 4 x 4 with pivot (0, 0)
    emitter->write_quads(m_batch);
    const Sprite& flash = *emitter->resource()->particle().sprites[0]->frame(1).sprite.get();
    const std::vector<QuadVertex> quad = gathered(*flash.texture());
    ASSERT_EQ(quad.size(), 4u);
    EXPECT_FLOAT_EQ(quad[kQuadRightBottom].x, 4.0f);
    EXPECT_FLOAT_EQ(quad[kQuadRightBottom].y, 4.0f);
    EXPECT_FLOAT_EQ(quad[kQuadRightBottom].u, flash.corners().bottom_right.u);
}

TEST_F(SceneEmitterQuadTest, WritingStopsWhenTheBatchRefuses) {
    SceneEmitter* emitter = start("pulse_count = 1, pulse_particle_count = 3,", "sprite = \"spark\", duration = 9");
    ASSERT_NE(emitter, nullptr);
    emitter->update(0.1f, 0.0f, 0.0f);
    QuadBatch unready(m_device);
    emitter->write_quads(unready);
    EXPECT_EQ(unready.pending_quads(), 0);
    emitter->write_quads(m_batch);
    EXPECT_EQ(m_batch.pending_quads(), 3);
}

}  // namespace
}  // namespace me
