// Clips advanced and evaluated per frame: each clip has ten channels over
// thirty keys (floats, and one Int for the z order), three nodes and the
// controllers that write them, and loops, so frames cross keys and wrap.
// One frame advances every clip by one game tick (1666 clip ticks); a
// second figure adds drawing each clip's tree into the quad batch (client
// memory, no GL context: the CPU side only).
#include <benchmark/benchmark.h>

#include <vector>

#include "clip/clip.h"
#include "clip/clip_channel_controllers.h"
#include "clip/clip_resource.h"
#include "clip/clip_time.h"
#include "core/resource_ref.h"
#include "gpu/quad_batch.h"
#include "gpu/render_device.h"
#include "resources/sprite.h"
#include "resources/texture.h"

namespace me {
namespace {

constexpr int kKeyCount = 30;
constexpr int kChannelCount = 10;
constexpr int kZOrderChannel = 9;
constexpr int64_t kGameTickInClipTicks = clip::kClipTicksPerSecond / 60;

ResourceRef<clip::ClipResource> make_resource() {
    ResourceRef<clip::ClipResource> resource(new clip::ClipResource());
    resource->set_duration(clip::kClipTicksPerSecond);
    resource->init_channels(kKeyCount, kChannelCount, kChannelCount);
    for (int channel = 0; channel < kChannelCount; ++channel) {
        std::vector<uint32_t> cells;
        for (int key = 0; key < kKeyCount; ++key)
            cells.push_back(channel == kZOrderChannel ? clip::cell_of_int(key % 5 - 2)
                                                      : clip::cell_of_float(static_cast<float>((key * 7 + channel) % 13)));
        const auto type = channel == kZOrderChannel ? clip::ClipChannelType::Int : clip::ClipChannelType::Float;
        resource->set_channel_data(static_cast<size_t>(channel), type, channel, cells);
    }
    resource->finish();
    return resource;
}

class ClipFixture {
public:
    explicit ClipFixture(int count) : m_resource(make_resource()), m_texture(new Texture()) {
        m_device.start();
        m_batch.create_buffers();
        m_sprite = make_texture_sprite(*m_texture.get());
        for (int i = 0; i < count; ++i) {
            m_clips.push_back(make_clip());
            // Spread over the period, so clips cross keys on different frames.
            m_clips.back()->jump_to_time((i * 7919) % clip::kClipTicksPerSecond);
        }
    }

    void advance() {
        for (const ResourceRef<clip::Clip>& played : m_clips)
            played->advance_in_time(kGameTickInClipTicks);
    }

    void draw() {
        for (const ResourceRef<clip::Clip>& played : m_clips)
            played->draw_tree(m_batch, nullptr);
        m_batch.flush();
    }

private:
    ResourceRef<clip::Clip> make_clip() {
        ResourceRef<clip::Clip> made(new clip::Clip());
        made->init(m_resource);
        made->set_looping(true);
        for (int part = 0; part < 3; ++part) {
            ResourceRef<clip::ClipObject> node(new clip::ClipObject());
            node->set_sprite(m_sprite);
            made->add_child(*node.get());
        }
        add(*made.get(), new clip::ClipTransformChannelController(*made->child(0), 0, 2, 3, false));
        add(*made.get(), new clip::ClipColorChannelController(*made->child(1), 5, 8));
        add(*made.get(), new clip::ClipZOrderChannelController(*made->child(2), kZOrderChannel));
        return made;
    }

    static void add(clip::Clip& played, clip::ClipController* controller) {
        ResourceRef<clip::ClipController> held(controller);
        played.add_controller(*controller);
    }

    RenderDevice m_device;
    QuadBatch m_batch{m_device};
    ResourceRef<clip::ClipResource> m_resource;
    ResourceRef<Texture> m_texture;
    ResourceRef<Sprite> m_sprite;
    std::vector<ResourceRef<clip::Clip>> m_clips;
};

void set_counters(benchmark::State& state) {
    const auto clips = static_cast<double>(state.range(0));
    state.counters["clips"] = clips;
    state.counters["clips_per_second"] = benchmark::Counter(clips, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["time_per_clip"] =
        benchmark::Counter(clips, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ClipAdvance(benchmark::State& state) {
    ClipFixture fixture(static_cast<int>(state.range(0)));
    for (auto _ : state)
        fixture.advance();
    set_counters(state);
}
BENCHMARK(BM_ClipAdvance)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_ClipAdvanceAndDraw(benchmark::State& state) {
    ClipFixture fixture(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        fixture.advance();
        fixture.draw();
    }
    set_counters(state);
}
BENCHMARK(BM_ClipAdvanceAndDraw)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace me

BENCHMARK_MAIN();
