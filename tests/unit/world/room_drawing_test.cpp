#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drawing_test_canvas.h"
#include "world/gorath_globals.h"
#include "world/room_base.h"
#include "world/room_renderer.h"

namespace me {
namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;

// A 32 × 16 picture: an orange body (8 × 16), a half-black shadow (8 × 4), a
// green tile (8 × 8) and a white glow (8 × 8).
std::vector<uint8_t> look_pixels() {
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 32; ++x) {
            std::array<uint8_t, 4> texel{0, 0, 0, 0};
            if (x < 8)
                texel = {230, 120, 40, 255};
            else if (x < 16 && y < 4)
                texel = {0, 0, 0, 160};
            else if (x < 24 && y < 8)
                texel = {60, 160, 80, 255};
            else if (x >= 24 && y < 8)
                texel = {255, 255, 220, 255};
            pixels.insert(pixels.end(), texel.begin(), texel.end());
        }
    }
    return pixels;
}

// A room drawn into a real window: entities with clips and shadows on the
// floor (one on the ground, one 200 units up, one on a platform, one
// shaking 40 units up, one sunk 8 units and cut at its ground line), a
// decal, a
// static sprite on the platform, a debug area, and a light on a bluish
// ambient colour.
class RoomDrawingTest : public test::DrawingTest {
protected:
    void SetUp() override {
        DrawingTest::SetUp();
        if (HasFatalFailure())
            return;
        SDL_Window* window = SDL_GL_GetCurrentWindow();
        ASSERT_NE(window, nullptr);
        SDL_SetWindowSize(window, kWidth, kHeight);
        SDL_GL_SwapWindow(window);
        ASSERT_TRUE(write_png("look.png", 32, 16, look_pixels()));
        initialize_gorath_globals();
        evaluate(R"(
            g_texture_defs.look <- { file = "look.png", mipmaps = false, filtering = "nearest" };
            g_sprite_defs.body <- { texture = "look", rect = [0, 0, 8, 16], pivot = "bottom" };
            g_sprite_defs.shadow <- { texture = "look", rect = [8, 0, 8, 4], pivot = "center" };
            g_sprite_defs.tile <- { texture = "look", rect = [16, 0, 8, 8], pivot = "center" };
            g_sprite_defs.glow <- { texture = "look", rect = [24, 0, 8, 8], pivot = "center" };
            function sprite_clip(sprite, scale) {
                local resource = ClipResource();
                resource.set_duration_in_milliseconds(10);
                resource.init_channels(1, 1, 1);
                resource.set_float_channel_data(0, -1, [0]);
                resource.set_instantiator(function(resource) {
                    local clip = Clip();
                    clip.init(resource);
                    local node = ClipObject();
                    node.set_sprite(sprite);
                    node.set_scale(scale, scale);
                    clip.add_child(node);
                    return clip;
                }.bindenv({ sprite = sprite, scale = scale }));
                resource.finish();
                return { _clip_resource = resource };
            }
            g_clip_resource_defs.body <- sprite_clip("body", 1);
            g_clip_resource_defs.glow <- sprite_clip("glow", 4);
            const U = 65536;
            class Walker extends EntityBase {
                constructor(x, y, z) {
                    base.constructor();
                    set_position(x * U, y * U);
                    set_z(z * U);
                    set_box_collision([-4 * U, -2 * U], [4 * U, 2 * U], 16 * U);
                    set_collision_group_and_mask(2, 3);
                    set_shadow_sprite("shadow");
                    play_clip("body", 0, false, true);
                }
            }
            ::room <- RoomBase();
            room.add_static_box_collision([0, 0], [160 * U, 120 * U], 0);
            room.add_static_box_collision([100 * U, 50 * U], [140 * U, 80 * U], 20 * U);
            room.add_static_sprite_object(1, [120 * U, 60 * U], 20 * U, [120 * U, 50 * U], 7, "tile", [4 * U, 2 * U]);
            room.add_decal("tile", 0, [40 * U, 100 * U], 7, 0, [3 * U, U]);
            room.add_debug_draw_area([5 * U, 5 * U], [25 * U, 15 * U], [0, 0], 2, 255, 0, 255, 128);
            ::walkers <- [Walker(40, 70, 0), Walker(70, 80, 200), Walker(120, 70, 20), Walker(20, 110, 0),
                          Walker(145, 100, -8)];
            walkers[3].play_hit_shake();
            walkers[4].set_scissor(true);
            walkers[0].play_light_clip("glow", true);
            walkers[0].set_light_clip_offset(0, 0, 8 * U);
            foreach (walker in walkers) room.add_entity(walker);
            room.set_ambient_color(160, 160, 220, 255);
            ::view <- View2d();
            ::view.set_canvas_size(160, 120);
            ::view.set_viewport_size(160, 120);
            return null;)");
    }

    void TearDown() override {
        evaluate("::room <- null; ::walkers <- null; ::view <- null; return null;");
        shutdown_gorath_globals();
        DrawingTest::TearDown();
    }

    void render() {
        RoomBase* room = native_of<RoomBase>(evaluate("return ::room"));
        ASSERT_NE(room, nullptr);
        device->begin_frame();
        RoomRenderer renderer(*device, *batch, nullptr, static_cast<float>(kHeight));
        room->render(*native_of<View2d>(evaluate("return ::view")), renderer);
    }
};

TEST_F(RoomDrawingTest, EntitiesShadowsAndDecorationsMatchTheirReferencePicture) {
    start_canvas(kWidth, kHeight, {0.55f, 0.5f, 0.45f, 1.0f});
    render();
    const Image drawn = read_canvas();
    EXPECT_EQ(pixel(drawn, 145, 95), pixel(drawn, 20, 62)) << "the sunk body above its ground line";
    EXPECT_EQ(pixel(drawn, 145, 104), pixel(drawn, 150, 112)) << "nothing of it below the line";
    expect_canvas_matches("room_drawing");
}

}  // namespace
}  // namespace me
