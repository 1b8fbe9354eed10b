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

struct Texel {
    uint8_t r, g, b, a;
};

// A 16 × 8 picture: on the left four 4 × 4 quadrants (red, green / blue,
// yellow) so that turns and flips show; on the right a dark 8 × 8 tile with a
// light corner, for the repeated background.
std::vector<uint8_t> art_pixels() {
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 16; ++x) {
            Texel texel{40, 50, 70, 255};
            if (x < 8)
                texel = y < 4 ? (x < 4 ? Texel{255, 0, 0, 255} : Texel{0, 255, 0, 255})
                              : (x < 4 ? Texel{0, 0, 255, 255} : Texel{255, 255, 0, 255});
            else if (x < 10 && y < 2)
                texel = {120, 130, 160, 255};
            pixels.insert(pixels.end(), {texel.r, texel.g, texel.b, texel.a});
        }
    }
    return pixels;
}

// A scene drawn by Scene.render_2d into a real window, as the game draws it:
// the window's own frame buffer, cleared by the first view of the frame.
class SceneDrawingTest : public test::DrawingTest {
protected:
    void SetUp() override {
        DrawingTest::SetUp();
        if (HasFatalFailure())
            return;
        SDL_Window* window = SDL_GL_GetCurrentWindow();
        ASSERT_NE(window, nullptr);
        SDL_SetWindowSize(window, kWidth, kHeight);
        // The driver takes the window's new size on the next swap.
        SDL_GL_SwapWindow(window);
        int drawable_width = 0;
        int drawable_height = 0;
        SDL_GL_GetDrawableSize(window, &drawable_width, &drawable_height);
        ASSERT_EQ(drawable_width, kWidth);
        ASSERT_EQ(drawable_height, kHeight);
        ASSERT_TRUE(write_png("art.png", 16, 8, art_pixels()));
        for (const char* file : {"dejavu_sans_18.fnt", "dejavu_sans_18.png"})
            std::filesystem::copy_file(test::kDemoFonts + file, file);
        evaluate(R"(
            g_texture_defs.art <- { file = "art.png", mipmaps = false, filtering = "nearest" };
            g_texture_defs["dejavu_sans_18.png"] <- { mipmaps = false };
            g_font_defs.text <- { file = "dejavu_sans_18.fnt" };
            g_sprite_defs.quadrants <- { texture = "art", rect = [0, 0, 8, 8], pivot = "center" };
            g_sprite_defs.tile <- { texture = "art", rect = [8, 0, 8, 8] };
            g_sprite_defs.mote <- { texture = "art", rect = [4, 4, 2, 2], pivot = [1, 1] };
            g_emitter_defs.motes <- { area = { type = "box", size = [10, 4] }, pulse_delay = 0.05,
                                      particle = { sprite = "mote", direction = [-40, 40], speed = [20, 40],
                                                   gravity = 30, duration = 2, alpha_run = [1, 0.3] } };
            ::view <- View2d();
            ::view.set_canvas_size(96, 64);
            ::view.set_viewport_size(96, 64);
            ::scene <- Scene();
            ::scene.set_view(::view);
            function add(layer) { local o = SceneObject(); o.set_layer(layer); o.set_scene(::scene); return o; }
            return null;)");
    }

    // The objects hold resources, which hold script objects: they go first.
    void TearDown() override {
        evaluate("::scene <- null; ::view <- null; return null;");
        DrawingTest::TearDown();
    }

    // Prepares the canvas size and clear colour the window is read back with.
    void start_window(const std::array<float, 4>& clear_color) { start_canvas(kWidth, kHeight, clear_color); }

    void render() {
        device->begin_frame();
        native_of<Scene>(evaluate("return ::scene"))->render_2d(*device, *batch, static_cast<float>(kHeight));
    }
};

TEST_F(SceneDrawingTest, LayeredSceneMatchesItsReferencePicture) {
    start_window({0.0f, 0.0f, 0.0f, 1.0f});
    application().rng.seed(20240611);
    evaluate(R"(
        // Drawn last although added first: the highest layer.
        local label = add(3);
        label.set_font("text");
        label.set_text("Hi ^1there");
        label.set_position(30, 2);
        label.set_color([1, 1, 1, 0.9]);
        local background = add(-2);
        background.set_sprite("tile");
        background.set_position(-3, 5);
        background.set_repeating(true, true);
        local hidden = add(0);
        hidden.set_sprite("quadrants");
        hidden.set_local_scale(20, 20);
        hidden.set_enabled(false);
        local turned = add(0);
        turned.set_sprite("quadrants");
        turned.set_position(16, 40);
        turned.set_scale(2, 2);
        turned.set_angle(90);
        local faded = add(1);
        faded.set_sprite("quadrants");
        faded.set_position(24, 44);
        faded.set_color([1, 1, 1, 0.5]);
        local line = add(1);
        line.set_position(2, 60);
        line.set_line([94, 30]);
        line.set_color([1, 0.8, 0.2, 1]);
        local sparks = add(2);
        sparks.set_position(70, 50);
        sparks.set_emitter("motes");
        for (local i = 0; i < 12; i += 1)
            ::scene.update(0.05);
        return null;)");
    application().text_colors[1] = {0.4f, 1.0f, 0.4f, 1.0f};
    render();
    expect_canvas_matches("scene_layers");
}

TEST_F(SceneDrawingTest, ASceneWithoutAViewDrawsNothingNotEvenTheClear) {
    start_window({0.2f, 0.2f, 0.2f, 1.0f});
    evaluate("local o = add(0); o.set_sprite(\"tile\"); o.set_local_scale(20, 20); return null;");
    render();
    EXPECT_EQ(pixel(read_canvas(), 50, 30), (Rgba{40, 50, 70, 255}));
    evaluate("::scene <- Scene(); add(0).set_sprite(\"quadrants\"); return null;");
    device->set_clear_color({1.0f, 0.0f, 0.0f, 1.0f});
    render();
    EXPECT_EQ(pixel(read_canvas(), 50, 30), (Rgba{40, 50, 70, 255}));
}

}  // namespace
}  // namespace me
