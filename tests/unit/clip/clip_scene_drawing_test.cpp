#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "drawing_test_canvas.h"
#include "scene/scene.h"

namespace me {
namespace {

constexpr int kWidth = 96;
constexpr int kHeight = 64;

// A 16 × 8 picture: on the left four 4 × 4 quadrants (red, green / blue,
// yellow) so that turns show; on the right a grey 8 × 8 tile.
std::vector<uint8_t> figure_pixels() {
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 16; ++x) {
            std::array<uint8_t, 4> texel{150, 150, 170, 255};
            if (x < 8)
                texel = y < 4 ? (x < 4 ? std::array<uint8_t, 4>{255, 0, 0, 255} : std::array<uint8_t, 4>{0, 255, 0, 255})
                              : (x < 4 ? std::array<uint8_t, 4>{0, 0, 255, 255}
                                       : std::array<uint8_t, 4>{255, 255, 0, 255});
            pixels.insert(pixels.end(), texel.begin(), texel.end());
        }
    }
    return pixels;
}

// Clip objects of a scene drawn by Scene.render_2d into a real window. The
// clip "figure" has a torso (scaled 2) that slides, an arm under it that
// turns and is tinted, a half-transparent head behind the torso whose sprite
// a channel switches, and a text label.
class ClipSceneDrawingTest : public test::DrawingTest {
protected:
    void SetUp() override {
        DrawingTest::SetUp();
        if (HasFatalFailure())
            return;
        SDL_Window* window = SDL_GL_GetCurrentWindow();
        ASSERT_NE(window, nullptr);
        SDL_SetWindowSize(window, kWidth, kHeight);
        SDL_GL_SwapWindow(window);
        ASSERT_TRUE(write_png("figure.png", 16, 8, figure_pixels()));
        for (const char* file : {"dejavu_sans_18.fnt", "dejavu_sans_18.png"})
            std::filesystem::copy_file(test::kDemoFonts + file, file);
        evaluate(R"(
            g_texture_defs.figure <- { file = "figure.png", mipmaps = false, filtering = "nearest" };
            g_texture_defs["dejavu_sans_18.png"] <- { mipmaps = false };
            g_font_defs.text <- { file = "dejavu_sans_18.fnt" };
            g_sprite_defs.quadrants <- { texture = "figure", rect = [0, 0, 8, 8], pivot = "center" };
            g_sprite_defs.tile <- { texture = "figure", rect = [8, 0, 8, 8], pivot = "center" };
            ::figure <- ClipResource();
            figure.set_duration_in_milliseconds(10);
            figure.init_channels(2, 4, 3);
            figure.set_float_channel_data(0, 0, [0, 0.25]);
            figure.set_float_channel_data(1, 1, [-6, 6]);
            figure.set_float_channel_data(2, -1, [0]);
            figure.set_int_channel_data(3, 2, [0, 1]);
            figure.set_sprite_names(["quadrants", "tile"]);
            figure.set_instantiator(function(resource) {
                local clip = Clip();
                clip.init(resource);
                local torso = ClipObject();
                torso.set_sprite("quadrants");
                torso.set_scale(2, 2);
                clip.add_child(torso);
                local arm = ClipObject();
                arm.set_sprite("quadrants");
                arm.set_position(6, 2);
                arm.set_color([1, 0.5, 0.5, 1]);
                arm.set_z_order(-2);
                torso.add_child(arm);
                local head = ClipObject();
                head.set_position(0, -9);
                head.set_z_order(-1);
                head.set_alpha(0.6);
                clip.add_child(head);
                local label = ClipTextObject();
                label.set_font("text");
                label.set_text("Hi");
                label.set_position(0, 18);
                clip.add_child(label);
                clip.add_controller(ClipTransformChannelController(clip, torso, 1, -1, -1));
                clip.add_controller(ClipTransformChannelController(clip, arm, -1, 0, -1));
                clip.add_controller(ClipSpriteChannelController(clip, head, 3));
                return clip;
            });
            figure.finish();
            g_clip_resource_defs.figure <- { _clip_resource = figure };
            ::view <- View2d();
            ::view.set_canvas_size(96, 64);
            ::view.set_viewport_size(96, 64);
            ::scene <- Scene();
            ::scene.set_view(::view);
            return null;)");
    }

    void TearDown() override {
        evaluate("::scene <- null; ::view <- null; ::figure <- null; return null;");
        DrawingTest::TearDown();
    }

    void start_window(const std::array<float, 4>& clear_color) { start_canvas(kWidth, kHeight, clear_color); }

    void render() {
        device->begin_frame();
        native_of<Scene>(evaluate("return ::scene"))->render_2d(*device, *batch, static_cast<float>(kHeight));
    }
};

// The left figure about a quarter of the way (torso at x -3, arm turned 1/16,
// head showing the quadrants); the right one at its end (torso at 6, arm a
// quarter turn, head the tile) in half-transparent green, itself turned.
TEST_F(ClipSceneDrawingTest, ClipTreesInASceneMatchTheirReferencePicture) {
    start_window({0.1f, 0.1f, 0.1f, 1.0f});
    evaluate(R"(
        ::left <- SceneObject();
        left.set_position(24, 24);
        left.play_clip("figure");
        left.set_scene(::scene);
        ::right <- SceneObject();
        right.set_position(70, 26);
        right.set_rotation(0.05);
        right.set_color([0.5, 1, 0.5, 0.7]);
        right.play_clip("figure");
        right.set_scene(::scene);
        ::scene.update(0.0025);
        right.get_clip().jump_to_time(1000);
        return null;)");
    render();
    expect_canvas_matches("clip_scene");
}

}  // namespace
}  // namespace me
