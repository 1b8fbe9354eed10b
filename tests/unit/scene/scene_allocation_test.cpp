#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "clip/clip.h"
#include "clip/clip_channel_controllers.h"
#include "clip/clip_resource.h"
#include "clip/clip_time.h"
#include "core/resource_ref.h"
#include "gpu/quad_batch.h"
#include "gpu/render_device.h"
#include "gpu/view2d.h"
#include "resources/sprite.h"
#include "resources/texture.h"
#include "scene/scene.h"
#include "scene/scene_object.h"

// Every allocation of the test binary is counted, so a test can count what a
// stretch of code allocates. Plain builds replace operator new; address-
// sanitizer builds keep the sanitizer's operators, which pair allocations
// with releases, and count through its allocation hook instead.
namespace {
std::atomic<long> g_allocations{0};
}  // namespace

#if defined(__SANITIZE_ADDRESS__)
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*, std::size_t),
                                                         void (*free_hook)(const volatile void*));
namespace {
void count_allocation(const volatile void*, std::size_t) { g_allocations.fetch_add(1, std::memory_order_relaxed); }
void ignore_release(const volatile void*) {}
[[maybe_unused]] const int g_hooks_installed = __sanitizer_install_malloc_and_free_hooks(count_allocation, ignore_release);
}  // namespace
#else
void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#endif

namespace me {
namespace {

constexpr int kObjectCount = 10000;

// A big scene with every kind of per-object work an update does: tweens,
// areas, collision shapes (sparse, so the pass stays quick) and a texture
// sprite to draw.
class SceneAllocationTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_scene = ResourceRef<Scene>(new Scene());
        m_view = ResourceRef<View2d>(new View2d());
        m_view->set_canvas_size({320, 180});
        m_view->set_viewport_size({320, 180});
        m_scene->set_view(m_view.get());
        ResourceRef<Texture> texture(new Texture());
        for (int i = 0; i < kObjectCount; ++i) {
            ResourceRef<SceneObject> object(new SceneObject());
            object->set_position(static_cast<float>(i % 320), static_cast<float>(i % 180));
            object->set_layer(i % 33 - 16);
            object->rotate(90.0f);
            object->move_to({1000.0f, 1000.0f}, 1.0f);
            object->set_area({-1e6f, -1e6f}, {1e6f, 1e6f});
            if (i % 500 == 0) {
                object->collision_shapes().add_circle({0, 0}, 4.0f);
                object->set_collision_bits(1, 1);
            }
            if (i % 7 == 0)
                object->set_repeating(true, false);
            object->show_texture(texture);
            object->set_scene(m_scene.get());
        }
    }

    void step_and_draw() {
        m_scene->update(1.0f / 60.0f);
        m_scene->render_2d(m_device, m_batch, 180.0f);
    }

    RenderDevice m_device;
    QuadBatch m_batch{m_device};
    ResourceRef<Scene> m_scene;
    ResourceRef<View2d> m_view;
};

TEST_F(SceneAllocationTest, SteadyUpdatesAndDrawsAllocateNothing) {
    // The counter sees allocations at all.
    const long before_probe = g_allocations.load();
    auto probe = std::make_unique<std::vector<int>>(4);
    EXPECT_GE(g_allocations.load() - before_probe, 2);
    probe.reset();

    for (int i = 0; i < 3; ++i)
        step_and_draw();
    const long before = g_allocations.load();
    for (int i = 0; i < 5; ++i)
        step_and_draw();
    EXPECT_EQ(g_allocations.load() - before, 0);
    EXPECT_EQ(m_scene->layer(0).count(), kObjectCount / 33 + (16 < kObjectCount % 33 ? 1 : 0));
}


// Clip objects in a scene: each clip has ten channels over thirty keys, a
// node per controller kind, and loops, so updates cross keys, wrap and
// re-sort the draw list every frame.
class SceneClipAllocationTest : public ::testing::Test {
protected:
    static constexpr int kClipCount = 500;
    static constexpr int kKeyCount = 30;
    static constexpr int kChannelCount = 10;

    void SetUp() override {
        m_scene = ResourceRef<Scene>(new Scene());
        m_view = ResourceRef<View2d>(new View2d());
        m_view->set_canvas_size({320, 180});
        m_view->set_viewport_size({320, 180});
        m_scene->set_view(m_view.get());
        m_resource = ResourceRef<clip::ClipResource>(new clip::ClipResource());
        m_resource->set_duration(clip::kClipTicksPerSecond);
        ASSERT_TRUE(m_resource->init_channels(kKeyCount, kChannelCount, kChannelCount));
        for (int channel = 0; channel < kChannelCount; ++channel) {
            std::vector<uint32_t> cells;
            for (int key = 0; key < kKeyCount; ++key)
                cells.push_back(channel == 9 ? clip::cell_of_int(key % 4 - 2)
                                             : clip::cell_of_float(static_cast<float>((key * 7 + channel) % 11)));
            const auto type = channel == 9 ? clip::ClipChannelType::Int : clip::ClipChannelType::Float;
            m_resource->set_channel_data(static_cast<size_t>(channel), type, channel, cells);
        }
        ASSERT_TRUE(m_resource->finish());
        ResourceRef<Texture> texture(new Texture());
        for (int i = 0; i < kClipCount; ++i) {
            ResourceRef<SceneObject> object(new SceneObject());
            object->set_position(static_cast<float>(i % 320), static_cast<float>(i % 180));
            ASSERT_TRUE(object->show_clip(make_clip(texture), true));
            object->set_scene(m_scene.get());
        }
    }

    ResourceRef<clip::Clip> make_clip(ResourceRef<Texture>& texture) {
        ResourceRef<clip::Clip> made(new clip::Clip());
        made->init(m_resource);
        for (int part = 0; part < 3; ++part) {
            ResourceRef<clip::ClipObject> node(new clip::ClipObject());
            node->set_sprite(make_texture_sprite(*texture.get()));
            made->add_child(*node.get());
        }
        clip::ClipObject& first = *made->child(0);
        clip::ClipObject& second = *made->child(1);
        made->add_controller(*ResourceRef<clip::ClipController>(
            new clip::ClipTransformChannelController(first, 0, 2, 3, false)).get());
        made->add_controller(*ResourceRef<clip::ClipController>(new clip::ClipColorChannelController(second, 5, 8)).get());
        made->add_controller(*ResourceRef<clip::ClipController>(new clip::ClipZOrderChannelController(second, 9)).get());
        return made;
    }

    RenderDevice m_device;
    QuadBatch m_batch{m_device};
    ResourceRef<Scene> m_scene;
    ResourceRef<View2d> m_view;
    ResourceRef<clip::ClipResource> m_resource;
};

TEST_F(SceneClipAllocationTest, SteadyClipUpdatesAndDrawsAllocateNothing) {
    for (int i = 0; i < 3; ++i) {
        m_scene->update(1.0f / 60.0f);
        m_scene->render_2d(m_device, m_batch, 180.0f);
    }
    const long before = g_allocations.load();
    for (int i = 0; i < 90; ++i) {
        m_scene->update(1.0f / 60.0f);
        m_scene->render_2d(m_device, m_batch, 180.0f);
    }
    EXPECT_EQ(g_allocations.load() - before, 0);
    // The clips did move: 93 updates of 1666 or 1667 ticks, looping over
    // 100001.
    const clip::Clip* first = m_scene->layer(0).first()->clip();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->time(), (93u * 100000u / 60u) % 100001u);
    EXPECT_EQ(first->controller_count(), 3u);
}

}  // namespace
}  // namespace me
