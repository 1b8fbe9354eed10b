#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drawing_test_canvas.h"
#include "resources/sprite.h"
#include "resources/sprite_drawing.h"

namespace me {
namespace {

constexpr Rgba kRed{255, 0, 0, 255};
constexpr Rgba kGreen{0, 255, 0, 255};
constexpr Rgba kBlue{0, 0, 255, 255};
constexpr Rgba kYellow{255, 255, 0, 255};
constexpr Rgba kGrey{32, 32, 32, 255};

// An 8 × 8 picture of four 4 × 4 quadrants: red, green / blue, yellow, so
// that every flip and turn shows.
std::vector<uint8_t> quadrant_pixels() {
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const Rgba colour = y < 4 ? (x < 4 ? kRed : kGreen) : (x < 4 ? kBlue : kYellow);
            pixels.insert(pixels.end(), {colour.r, colour.g, colour.b, colour.a});
        }
    }
    return pixels;
}

class SpriteDrawingTest : public test::DrawingTest {
protected:
    void SetUp() override {
        DrawingTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(write_png("quadrants.png", 8, 8, quadrant_pixels()));
        evaluate("g_texture_defs.quadrants <- { file = \"quadrants.png\", mipmaps = false, filtering = \"nearest\" };"
                 "return null;");
    }

    void TearDown() override {
        m_sprites.clear();
        DrawingTest::TearDown();
    }

    // Defines a sprite of the quadrant picture with the def's other keys.
    const Sprite& sprite(const std::string& name, const std::string& keys) {
        evaluate("g_sprite_defs." + name + " <- { texture = \"quadrants\" " + keys + " }; return null;");
        ResourceRef<Sprite> loaded = load_sprite(name);
        EXPECT_TRUE(loaded) << log_text();
        m_sprites.push_back(loaded);
        return *m_sprites.back().get();
    }

    void draw_on_grey(const Sprite& drawn, Vec2 position, Vec2 scale) {
        start_canvas(16, 16, {32 / 255.0f, 32 / 255.0f, 32 / 255.0f, 1.0f});
        draw_sprite(*batch, drawn, position, scale);
    }

private:
    std::vector<ResourceRef<Sprite>> m_sprites;
};

TEST_F(SpriteDrawingTest, TheRectangleLandsWithItsPivotAtThePositionTopRowFirst) {
    draw_on_grey(sprite("centred", ", pivot = \"center\""), {8, 8}, {1, 1});
    const Image canvas = read_canvas();
    EXPECT_EQ(pixel(canvas, 4, 4), kRed);
    EXPECT_EQ(pixel(canvas, 11, 4), kGreen);
    EXPECT_EQ(pixel(canvas, 4, 11), kBlue);
    EXPECT_EQ(pixel(canvas, 11, 11), kYellow);
    EXPECT_EQ(pixel(canvas, 3, 3), kGrey);
    EXPECT_EQ(pixel(canvas, 12, 12), kGrey);
}

TEST_F(SpriteDrawingTest, FlipsMirrorAndTurnThePicture) {
    draw_on_grey(sprite("mirrored", ", flip = \"10\""), {0, 0}, {1, 1});
    Image canvas = read_canvas();
    EXPECT_EQ(pixel(canvas, 1, 1), kGreen);
    EXPECT_EQ(pixel(canvas, 6, 6), kBlue);

    draw_on_grey(sprite("upside_down", ", flip = \"01\""), {0, 0}, {1, 1});
    canvas = read_canvas();
    EXPECT_EQ(pixel(canvas, 1, 1), kBlue);
    EXPECT_EQ(pixel(canvas, 6, 1), kYellow);

    draw_on_grey(sprite("turned", ", flip = \"001\""), {0, 0}, {1, 1});
    canvas = read_canvas();
    EXPECT_EQ(pixel(canvas, 1, 1), kBlue);
    EXPECT_EQ(pixel(canvas, 6, 1), kRed);
    EXPECT_EQ(pixel(canvas, 6, 6), kGreen);
}

TEST_F(SpriteDrawingTest, TheCallerColourMultipliesTheSpriteColourAndBlendsPremultiplied) {
    // Sprite colour: white at half alpha, premultiplied to (0.5, 0.5, 0.5, 0.5).
    draw_on_grey(sprite("faded", ", color = [255, 255, 255, 128]"), {0, 0}, {2, 2});
    batch->flush();
    draw_sprite(*batch, sprite("tinted", ""), Vec2{8, 8}, Vec2{1, 1}, Color{0.0f, 1.0f, 1.0f, 1.0f});
    const Image canvas = read_canvas();
    // Red at half: 255 × 0.5 + 32 × (1 − 0.5).
    const Rgba faded_red = pixel(canvas, 1, 1);
    EXPECT_NEAR(faded_red.r, 144, 2);
    EXPECT_NEAR(faded_red.g, 16, 2);
    EXPECT_EQ(pixel(canvas, 9, 9), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(pixel(canvas, 13, 9), kGreen);
    EXPECT_EQ(pixel(canvas, 13, 13), (Rgba{0, 255, 0, 255}));
}

TEST_F(SpriteDrawingTest, AnAnimatedSpriteDrawsItsFirstFrameAndTheNullTextureNothing) {
    sprite("green_cell", ", rect = [4, 0, 4, 4]");
    sprite("blue_cell", ", rect = [0, 4, 4, 4]");
    evaluate("g_sprite_defs.blinking <- { frames = [\"green_cell\", \"blue_cell\"], duration = 1.0 }; return null;");
    const ResourceRef<Sprite> blinking = load_sprite("blinking");
    ASSERT_TRUE(blinking) << log_text();
    evaluate("g_texture_defs.nothing <- { _special_ = \"_null_\" }; g_sprite_defs.nothing <- { texture = \"nothing\","
             " rect = [0, 0, 4, 4] }; return null;");
    const ResourceRef<Sprite> nothing = load_sprite("nothing");
    ASSERT_TRUE(nothing) << log_text();

    draw_on_grey(*blinking.get(), {0, 0}, {2, 2});
    EXPECT_EQ(batch->pending_quads(), 1);
    draw_sprite(*batch, *nothing.get(), Vec2{8, 8}, Vec2{1, 1});
    draw_sprite(*batch, *nothing.get(), Matrix2d{}, Vec2{2, 2});
    draw_sprite_nine_slice(*batch, *nothing.get(), Matrix2d{}, {16, 16});
    EXPECT_EQ(batch->pending_quads(), 1);
    const Image canvas = read_canvas();
    EXPECT_EQ(pixel(canvas, 1, 1), kGreen);
    EXPECT_EQ(pixel(canvas, 7, 7), kGreen);
    EXPECT_EQ(pixel(canvas, 9, 9), kGrey);
}

TEST_F(SpriteDrawingTest, NineSliceKeepsTheCornersAndStretchesTheRest) {
    const Sprite& framed = sprite("framed", ", border = [2, 2, 2, 2]");
    start_canvas(24, 12, {32 / 255.0f, 32 / 255.0f, 32 / 255.0f, 1.0f});
    draw_sprite_nine_slice(*batch, framed, Matrix2d{1, 0, 0, 1, 2, 2}, {20, 8});
    const Image canvas = read_canvas();
    // Corner cells keep 2 × 2 texels; the middle stretches the inner 4 × 4.
    EXPECT_EQ(pixel(canvas, 2, 2), kRed);
    EXPECT_EQ(pixel(canvas, 21, 2), kGreen);
    EXPECT_EQ(pixel(canvas, 2, 9), kBlue);
    EXPECT_EQ(pixel(canvas, 21, 9), kYellow);
    EXPECT_EQ(pixel(canvas, 6, 4), kRed);
    EXPECT_EQ(pixel(canvas, 17, 7), kYellow);
    EXPECT_EQ(pixel(canvas, 1, 1), kGrey);
    EXPECT_EQ(pixel(canvas, 22, 10), kGrey);
}

TEST_F(SpriteDrawingTest, ASceneOfSpritesMatchesItsReferencePicture) {
    start_canvas(96, 64, {0.125f, 0.125f, 0.25f, 1.0f});
    draw_sprite(*batch, sprite("plain", ""), Vec2{4, 4}, Vec2{2, 2});
    draw_sprite(*batch, sprite("mirrored", ", flip = \"10\""), Vec2{24, 4}, Vec2{2, 2});
    draw_sprite(*batch, sprite("turned", ", flip = \"0011\", pivot = [0, 8]"), Vec2{44, 4}, Vec2{2, 2});
    // A quarter turn about a centred pivot, then a half-sized copy.
    const Sprite& centred = sprite("centred", ", pivot = \"center\"");
    draw_sprite(*batch, centred, Matrix2d{0, 2, -2, 0, 76, 12});
    draw_sprite(*batch, centred, Matrix2d{0, 1, -1, 0, 90, 12}, Vec2{0.5f, 0.5f}, Color{1, 1, 1, 1});
    draw_sprite(*batch, sprite("faded", ", color = [255, 255, 255, 128]"), Vec2{4, 28}, Vec2{2, 2});
    draw_sprite(*batch, sprite("tinted", ", color = [255, 128, 255]"), Vec2{24, 28}, Vec2{2, 2},
                Color{0.5f, 0.5f, 0.5f, 0.5f});
    draw_sprite_nine_slice(*batch, sprite("framed", ", border = [2, 2, 2, 2]"), Matrix2d{1, 0, 0, 1, 44, 28},
                           {48, 32});
    expect_canvas_matches("sprite_drawing");
}

}  // namespace
}  // namespace me
