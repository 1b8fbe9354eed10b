#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "emitter_test_fixture.h"
#include "gpu/quad_batch.h"
#include "gpu/render_device.h"
#include "resources/sprite.h"
#include "scene/scene_emitter.h"

namespace me {
namespace {

// Particles reserved from a batch over client memory (no GL context, so
// every texture of the fixture has GL name 0 and flushes draw nothing).
class SceneEmitterBatching : public test::EmitterTest {
protected:
    void SetUp() override {
        EmitterTest::SetUp();
        evaluate(R"(
            g_texture_defs["nothing"] <- { _special_ = "_null_" };
            g_sprite_defs["ghost"] <- { texture = "nothing", rect = [0, 0, 4, 4] };
            return null;)");
        m_batch.create_buffers();
    }

    void TearDown() override {
        m_emitter.reset();
        EmitterTest::TearDown();
    }

    // Emits `count` unturned particles of the sprites (a Squirrel value) at
    // once, spread by their speed, and returns the started emitter.
    SceneEmitter* emit(int count, const std::string& sprites) {
        const std::string name = "burst" + std::to_string(++m_started);
        SceneEmitterResource* resource =
            load_particles(name, "pulse_count = 1, pulse_particle_count = " + std::to_string(count) + ",",
                           "sprite = " + sprites + ", duration = 10, speed = [10, 100], direction = [0, 360]");
        EXPECT_NE(resource, nullptr) << log_text();
        if (resource == nullptr)
            return nullptr;
        m_emitter = std::make_unique<SceneEmitter>();
        m_emitter->start(*resource);
        m_emitter->update(0.5f, 0.0f, 0.0f);
        EXPECT_EQ(m_emitter->live_particle_count(), static_cast<size_t>(count));
        return m_emitter.get();
    }

    // The quads gathered so far, read through the next free slot.
    std::span<const QuadVertex> gathered() {
        const int count = m_batch.pending_quads();
        const std::span<QuadVertex> next = m_batch.reserve(m_batch.pending_texture(), 1);
        EXPECT_EQ(next.size(), 4u);
        return {next.data() - 4 * count, static_cast<size_t>(4 * count)};
    }

    RenderDevice m_device;
    QuadBatch m_batch{m_device};
    std::unique_ptr<SceneEmitter> m_emitter;
    int m_started = 0;
};

TEST_F(SceneEmitterBatching, ParticlesFillTheRoomLeftBeforeTheBatchFlushes) {
    SceneEmitter* emitter = emit(100, "\"spark\"");
    ASSERT_NE(emitter, nullptr);
    const auto texture = static_cast<GLuint>(emitter->resource()->particle().sprites[0]->texture()->gl_name());
    ASSERT_FALSE(m_batch.reserve(texture, 1000).empty());
    emitter->write_quads(m_batch);
    EXPECT_EQ(m_batch.draw_calls(), 1u);
    EXPECT_EQ(m_batch.pending_quads(), 76) << "24 particles went into the first batch";
    // The second batch starts with particle 24: its left-top corner is its
    // position less the pivot (1, 1).
    const Particle& first_of_second = emitter->particles()[24];
    const std::span<const QuadVertex> quads = gathered();
    EXPECT_FLOAT_EQ(quads[kQuadLeftTop].x, first_of_second.x - 1.0f);
    EXPECT_FLOAT_EQ(quads[kQuadLeftTop].y, first_of_second.y - 1.0f);
}

TEST_F(SceneEmitterBatching, ABatchOfAnotherTextureFlushesOnceAndManyParticlesTakeWholeBatches) {
    SceneEmitter* emitter = emit(2500, "\"spark\"");
    ASSERT_NE(emitter, nullptr);
    ASSERT_FALSE(m_batch.reserve(12345, 10).empty());
    emitter->write_quads(m_batch);
    EXPECT_EQ(m_batch.draw_calls(), 3u) << "the other texture, then two full batches of particles";
    EXPECT_EQ(m_batch.pending_quads(), 2500 - 2 * QuadBatch::kMaxQuads);
}

TEST_F(SceneEmitterBatching, ParticlesWithoutATextureAreSkippedAndTheRestKeepSpawnOrder) {
    SceneEmitter* emitter = emit(60, "[\"spark\", \"ghost\"]");
    ASSERT_NE(emitter, nullptr);
    const Sprite* spark = emitter->resource()->particle().sprites[0].get();
    std::vector<const Particle*> drawn;
    for (const Particle& particle : emitter->particles())
        if (particle.sprite == spark)
            drawn.push_back(&particle);
    ASSERT_GT(drawn.size(), 0u);
    ASSERT_LT(drawn.size(), 60u) << "the seed should mix both sprites";
    emitter->write_quads(m_batch);
    ASSERT_EQ(m_batch.pending_quads(), static_cast<int>(drawn.size()));
    const std::span<const QuadVertex> quads = gathered();
    for (size_t i = 0; i < drawn.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(quads[4 * i + kQuadLeftTop].x, drawn[i]->x - 1.0f);
        EXPECT_FLOAT_EQ(quads[4 * i + kQuadLeftTop].y, drawn[i]->y - 1.0f);
        EXPECT_FLOAT_EQ(quads[4 * i + kQuadRightBottom].x, drawn[i]->x + 3.0f);
        EXPECT_FLOAT_EQ(quads[4 * i + kQuadRightBottom].y, drawn[i]->y + 1.0f);
    }
    EXPECT_EQ(m_batch.draw_calls(), 0u);
}

}  // namespace
}  // namespace me
