// Time per frame of a scene of moving, rotating sprite objects: the update
// (tweens, areas, a sparse collision pass) and the draw into the quad batch
// (client memory; no GL context, so the figure is the CPU side only).
#include <benchmark/benchmark.h>

#include "core/resource_ref.h"
#include "gpu/quad_batch.h"
#include "gpu/render_device.h"
#include "gpu/view2d.h"
#include "resources/sprite.h"
#include "resources/texture.h"
#include "scene/scene.h"
#include "scene/scene_object.h"

namespace me {
namespace {

class SceneFixture {
public:
    explicit SceneFixture(int count) : m_scene(new Scene()), m_view(new View2d()) {
        m_device.start();
        m_batch.create_buffers();
        m_view->set_canvas_size({1280, 720});
        m_view->set_viewport_size({1280, 720});
        m_scene->set_view(m_view.get());
        ResourceRef<Texture> texture(new Texture());
        for (int i = 0; i < count; ++i) {
            ResourceRef<SceneObject> object(new SceneObject());
            object->set_position(static_cast<float>(i % 1280), static_cast<float>(i % 720));
            object->set_layer(i % 5);
            object->rotate(45.0f);
            object->move_to({640.0f, 360.0f}, 10.0f);
            if (i % 100 == 0) {
                object->collision_shapes().add_circle({0, 0}, 8.0f);
                object->set_collision_bits(1, 1);
            }
            object->show_texture(texture);
            object->set_scene(m_scene.get());
        }
    }

    Scene& scene() { return *m_scene.get(); }
    void draw() { m_scene->render_2d(m_device, m_batch, 720.0f); }
    bool writes_quads() const { return m_batch.has_buffers(); }

private:
    RenderDevice m_device;
    QuadBatch m_batch{m_device};
    ResourceRef<Scene> m_scene;
    ResourceRef<View2d> m_view;
};

void BM_SceneUpdate(benchmark::State& state) {
    SceneFixture fixture(static_cast<int>(state.range(0)));
    for (auto _ : state)
        fixture.scene().update(1.0f / 60.0f);
    state.counters["objects"] = static_cast<double>(state.range(0));
    state.counters["ns_per_object"] = benchmark::Counter(
        static_cast<double>(state.range(0)), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SceneUpdate)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMicrosecond);

void BM_SceneDraw(benchmark::State& state) {
    SceneFixture fixture(static_cast<int>(state.range(0)));
    for (auto _ : state)
        fixture.draw();
    state.counters["writes_quads"] = fixture.writes_quads() ? 1 : 0;
    state.counters["ns_per_object"] = benchmark::Counter(
        static_cast<double>(state.range(0)), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SceneDraw)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace me
BENCHMARK_MAIN();
