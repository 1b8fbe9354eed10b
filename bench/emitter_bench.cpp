#include <benchmark/benchmark.h>
#include <squirrel.h>

#include <cstdint>
#include <string>

#include "gpu/quad_batch.h"
#include "gpu/render_device.h"
#include "resources/emitter_resource.h"
#include "resources/resource_list.h"
#include "resources/resource_registry.h"
#include "scene/scene_emitter.h"

namespace {

constexpr float kFrame = 1.0f / 60.0f;

// A VM whose defs hold one sprite of a dynamic texture (no GPU needed) and
// an emitter that releases `count` long-lived, moving, fading, rotating and
// scaling particles in its first update.
class EmitterScene {
public:
    explicit EmitterScene(int64_t count) : m_vm(sq_open(1024)) {
        me::g_resource_list = &m_held;
        me::start_resource_registry(m_vm);
        const std::string defs = R"(
            g_texture_defs["sheet"] <- { dynamic = true, width = 64, height = 64, format = "rgba" };
            g_sprite_defs["dot"] <- { texture = "sheet", rect = [0, 0, 8, 8], pivot = "center" };
            g_emitter_defs["burst"] <- {
                area = { type = "box", size = [640, 360] },
                pulse_count = 1, pulse_particle_count = )" + std::to_string(count) + R"(,
                particle = { sprite = "dot", direction = [0, 360], speed = [10, 80], gravity = [5, 20],
                             duration = 100000, angle = [0, 360], rotation_speed = 90, alpha_run = [1, 0],
                             color_run = [[255, 200, 0], [255, 0, 0]], scale_run = [[1, 1], [2, 2]] } };)";
        sq_compilebuffer(m_vm, defs.data(), static_cast<SQInteger>(defs.size()), "bench", SQTrue);
        sq_pushroottable(m_vm);
        sq_call(m_vm, 1, SQFalse, SQTrue);
        sq_settop(m_vm, 0);
        const auto resource = me::load_resource_as<me::SceneEmitterResource>(me::resource_types::emitter, "burst");
        if (resource) {
            m_emitter.start(*resource.get());
            m_emitter.update(kFrame, 320.0f, 180.0f);
        }
        m_batch.create_buffers();
    }

    ~EmitterScene() {
        m_emitter.stop();
        m_held.release_all();
        me::stop_resource_registry();
        sq_close(m_vm);
        me::g_resource_list = nullptr;
    }

    EmitterScene(const EmitterScene&) = delete;
    EmitterScene& operator=(const EmitterScene&) = delete;

    me::SceneEmitter& emitter() { return m_emitter; }
    me::QuadBatch& batch() { return m_batch; }

private:
    HSQUIRRELVM m_vm;
    me::ResourceList m_held;
    me::SceneEmitter m_emitter;
    me::RenderDevice m_device;
    me::QuadBatch m_batch{m_device};
};

void report(benchmark::State& state, const me::SceneEmitter& emitter) {
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(emitter.live_particle_count()));
    state.counters["live"] = static_cast<double>(emitter.live_particle_count());
}

// Particles moved per second: one frame's update of every live particle.
void BM_EmitterUpdate(benchmark::State& state) {
    EmitterScene scene(state.range(0));
    if (scene.emitter().live_particle_count() != static_cast<size_t>(state.range(0))) {
        state.SkipWithError("the emitter did not spawn its particles");
        return;
    }
    for (auto _ : state)
        scene.emitter().update(kFrame, 320.0f, 180.0f);
    report(state, scene.emitter());
}
BENCHMARK(BM_EmitterUpdate)->Arg(1000)->Arg(10000)->Arg(100000);

// Particles moved and written into the quad batch per second (client
// memory, so the figure is the emitter's own cost, not the GPU's).
void BM_EmitterUpdateAndWrite(benchmark::State& state) {
    EmitterScene scene(state.range(0));
    if (scene.emitter().live_particle_count() != static_cast<size_t>(state.range(0))) {
        state.SkipWithError("the emitter did not spawn its particles");
        return;
    }
    for (auto _ : state) {
        scene.emitter().update(kFrame, 320.0f, 180.0f);
        scene.emitter().write_quads(scene.batch());
        scene.batch().flush();
    }
    report(state, scene.emitter());
}
BENCHMARK(BM_EmitterUpdateAndWrite)->Arg(1000)->Arg(10000)->Arg(100000);

}  // namespace

BENCHMARK_MAIN();
