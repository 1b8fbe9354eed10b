#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "drawing_test_canvas.h"
#include "ui/simple_ui.h"
#include "ui/simple_ui_label.h"
#include "ui/simple_ui_sprite.h"

namespace me {
namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;

// A 24 × 12 picture: on the left a 12 × 12 frame (a light 3-pixel rim with
// dark corners round a blue middle) for nine slices, on the right an 8 × 8
// icon of four coloured quadrants.
std::vector<uint8_t> art_pixels() {
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 24; ++x) {
            std::array<uint8_t, 4> texel{0, 0, 0, 0};
            if (x < 12) {
                const bool rim_x = x < 3 || x >= 9;
                const bool rim_y = y < 3 || y >= 9;
                texel = rim_x && rim_y ? std::array<uint8_t, 4>{90, 40, 20, 255}
                        : rim_x || rim_y ? std::array<uint8_t, 4>{230, 200, 140, 255}
                                         : std::array<uint8_t, 4>{30, 50, 110, 255};
            } else if (x >= 14 && x < 22 && y >= 2 && y < 10) {
                const bool left = x < 18;
                const bool top = y < 6;
                texel = top ? (left ? std::array<uint8_t, 4>{255, 0, 0, 255} : std::array<uint8_t, 4>{0, 255, 0, 255})
                            : (left ? std::array<uint8_t, 4>{0, 0, 255, 255}
                                    : std::array<uint8_t, 4>{255, 255, 0, 255});
            }
            pixels.insert(pixels.end(), texel.begin(), texel.end());
        }
    }
    return pixels;
}

// Widget screens drawn by SimpleUI.render into a real window, as a game
// draws its menus.
class SimpleUIDrawingTest : public test::DrawingTest {
protected:
    void SetUp() override {
        DrawingTest::SetUp();
        if (HasFatalFailure())
            return;
        SDL_Window* window = SDL_GL_GetCurrentWindow();
        ASSERT_NE(window, nullptr);
        SDL_SetWindowSize(window, kWidth, kHeight);
        SDL_GL_SwapWindow(window);
        application().screen_width = kWidth;
        application().screen_height = kHeight;
        ASSERT_TRUE(write_png("ui_art.png", 24, 12, art_pixels()));
        for (const char* file : {"dejavu_sans_18.fnt", "dejavu_sans_18.png"})
            std::filesystem::copy_file(test::kDemoFonts + file, file);
        evaluate(R"(
            g_texture_defs.ui_art <- { file = "ui_art.png", mipmaps = false, filtering = "nearest" };
            g_texture_defs["dejavu_sans_18.png"] <- { mipmaps = false };
            g_font_defs.system <- { file = "dejavu_sans_18.fnt" };
            g_sprite_defs.frame <- { texture = "ui_art", rect = [0, 0, 12, 12], border = [3, 3, 3, 3] };
            g_sprite_defs.plain <- { texture = "ui_art", rect = [0, 0, 12, 12] };
            g_sprite_defs.icon <- { texture = "ui_art", rect = [14, 2, 8, 8], pivot = "center" };
            ::ui <- SimpleUI();
            ::layer <- SimpleUILayer();
            ::layer.set_name("menu");
            ::layer.init_screen_canvas();
            ::ui.add_layer(::layer);
            function place(widget, x, y, width, height) {
                widget.set_frame_position(x, y);
                widget.set_frame_size(width, height);
                return widget;
            }
            function sprite(name, x, y, width, height) {
                local widget = place(SimpleUISprite(), x, y, width, height);
                widget.set_sprite(name);
                return widget;
            }
            function label(text, x, y, width, height, h, v) {
                local widget = place(SimpleUILabel(), x, y, width, height);
                widget.set_text(text);
                widget.set_alignment(h, v);
                return widget;
            }
            return null;)");
    }

    void TearDown() override {
        evaluate("::ui <- null; ::layer <- null; return null;");
        DrawingTest::TearDown();
    }

    void render() {
        start_canvas(kWidth, kHeight, {0.05f, 0.05f, 0.08f, 1.0f});
        device->begin_frame();
        native_of<simpleui::SimpleUI>(evaluate("return ::ui;"))->render(*device, *batch, kHeight);
    }
};

TEST_F(SimpleUIDrawingTest, MenuScreenMatchesItsReferencePicture) {
    evaluate(R"(
        local panel = sprite("frame", 4, 4, 152, 112);
        panel.set_sprite_mode_scale_to_fill();
        ::ui.add_widget_to_layer("menu", panel);
        local title = label("Menu", 4, 2, 144, 26, 0, -1);
        title.set_color([1, 0.85, 0.2, 1]);
        title.set_shadow(true, [2, 2]);
        panel.add_child_widget(title);
        // Buttons: nine slices stretched, one squeezed below its insets, and
        // a frame without a border simply stretched.
        foreach (i, spec in [["Go", -1, -1, 100], ["Set", 0, 0, 100], ["End", 1, 1, 100]]) {
            local button = sprite("frame", 6, 30 + 26 * i, spec[3], 24);
            button.set_sprite_mode_scale_to_fill();
            button.add_child_widget(label(spec[0], 4, 2, spec[3] - 8, 20, spec[1], spec[2]));
            panel.add_child_widget(button);
        }
        local squeezed = sprite("frame", 112, 30, 4, 24);
        squeezed.set_sprite_mode_scale_to_fill();
        panel.add_child_widget(squeezed);
        local stretched = sprite("plain", 122, 30, 24, 12);
        stretched.set_sprite_mode_scale_to_fill();
        panel.add_child_widget(stretched);
        // Icons centred: whole in a large frame, shrunk in a small one, moved
        // by an offset, and faded with their parent.
        panel.add_child_widget(sprite("icon", 112, 46, 20, 20));
        panel.add_child_widget(sprite("icon", 136, 46, 4, 4));
        local moved = sprite("icon", 112, 70, 20, 20);
        moved.set_offset([3, -2]);
        panel.add_child_widget(moved);
        local faded = place(SimpleUIWidget(), 130, 66, 24, 24);
        faded.set_color([1, 1, 1, 0.4]);
        faded.add_child_widget(sprite("icon", 0, 0, 24, 24));
        panel.add_child_widget(faded);
        local hidden = sprite("icon", 0, 0, 150, 110);
        hidden.set_hidden(true);
        panel.add_child_widget(hidden);
        // Twice as wide as it may be: drawn shrunk.
        panel.add_child_widget(label("squeezed text", 112, 92, 38, 14, 0, 0));
        return null;)");
    render();
    expect_canvas_matches("simple_ui_menu");
}

TEST_F(SimpleUIDrawingTest, ALabelTwiceAsWideAsItsFrameIsDrawnAtHalfSize) {
    const std::string setup =
        "::text <- label(\"Wide\", 0, 0, 200, 60, -1, -1); ::ui.add_widget_to_layer(\"menu\", ::text); return null;";
    evaluate(setup);
    auto* text = native_of<simpleui::SimpleUILabel>(evaluate("return ::text;"));
    const float full_width = text->mesh().content_width;
    ASSERT_GT(full_width, 10.0f);
    // Inked columns at full size, then with the frame half the text's width.
    const auto inked_width = [this] {
        const Image image = read_canvas();
        int first = kWidth;
        int last = -1;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (pixel(image, x, y).r > 128) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
        return last - first + 1;
    };
    render();
    const int full = inked_width();
    text->set_frame_width(full_width / 2.0f);
    render();
    const int half = inked_width();
    EXPECT_NEAR(half, full / 2.0, 1.5) << full;
}

TEST_F(SimpleUIDrawingTest, AnAnimatedSpriteShowsItsCurrentFrameAndInitRestartsIt) {
    evaluate(R"(
        g_sprite_defs.blink <- { frames = [["icon", 0.1], ["plain", 0.1]], loop = true };
        ::blink <- sprite("blink", 10, 10, 40, 40);
        ::ui.add_widget_to_layer("menu", ::blink);
        return null;)");
    auto* widget = native_of<simpleui::SimpleUISprite>(evaluate("return ::blink;"));
    const ResourceRef<Sprite> icon_ref = load_sprite("icon");
    const ResourceRef<Sprite> plain_ref = load_sprite("plain");
    const Sprite* icon = icon_ref.get();
    const Sprite* plain = plain_ref.get();
    ASSERT_NE(widget->sprite(), nullptr) << log_text();
    struct Step {
        const char* script;
        const Sprite* shown;
    };
    const std::vector<Step> steps = {
        {"return null;", icon},
        {"::ui.update(0.06); return null;", icon},
        {"::ui.update(0.06); return null;", plain},
        {"::ui.update(0.1); return null;", icon},  // looped
        {"::ui.update(0.1); ::blink.init(); return null;", icon},
    };
    for (const Step& step : steps) {
        evaluate(step.script);
        EXPECT_EQ(widget->shown_sprite(), step.shown) << step.script;
    }
    // What is drawn is the frame shown, placed by the animation's box (16
    // wide, pivot 4 in): the plain frame's corner, then the icon's red
    // quadrant, just inside the top-left of each.
    evaluate("::ui.update(0.12); return null;");
    render();
    EXPECT_EQ(pixel(read_canvas(), 27, 27), (Rgba{90, 40, 20, 255}));
    evaluate("::blink.init(); return null;");
    render();
    EXPECT_EQ(pixel(read_canvas(), 23, 23), (Rgba{255, 0, 0, 255}));
}

}  // namespace
}  // namespace me
