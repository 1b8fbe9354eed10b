#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "drawing_test_canvas.h"
#include "resources/font.h"
#include "resources/text_drawing.h"

namespace me {
namespace {

TextQuad glyph_quad(float left, float top, Color color) {
    return {color.red, color.green, color.blue, color.alpha, left, top, left + 4, top + 6, 0.25f, 0.5f, 0.75f, 1.0f};
}

TEST(TextMeshWriting, GlyphsKeepTheirColourTimesTheCallersAndFollowTheTransform) {
    RenderDevice device;
    QuadBatch batch(device);
    batch.create_buffers();
    TextMesh mesh;
    mesh.quads.push_back(glyph_quad(10, 20, {1.0f, 0.5f, 0.0f, 1.0f}));
    draw_text_mesh(batch, mesh, 9, Matrix2d{2, 0, 0, 2, 100, 0}, Color{0.5f, 1.0f, 1.0f, 0.5f});
    ASSERT_EQ(batch.pending_quads(), 1);
    EXPECT_EQ(batch.pending_texture(), 9u);
    // The slot just reserved comes right after this glyph's quad.
    const std::span<QuadVertex> after = batch.reserve(9, 1);
    const QuadVertex* glyph = after.data() - 4;
    EXPECT_FLOAT_EQ(glyph[kQuadRightTop].x, 128);
    EXPECT_FLOAT_EQ(glyph[kQuadRightTop].y, 40);
    EXPECT_FLOAT_EQ(glyph[kQuadLeftBottom].x, 120);
    EXPECT_FLOAT_EQ(glyph[kQuadLeftBottom].y, 52);
    EXPECT_FLOAT_EQ(glyph[kQuadRightTop].u, 0.75f);
    EXPECT_FLOAT_EQ(glyph[kQuadLeftBottom].v, 1.0f);
    EXPECT_EQ(glyph[0].color, pack_quad_color({0.5f, 0.5f, 0.0f, 0.5f}));
}

TEST(TextMeshWriting, LongTextIsReservedInRunsOfOneBatch) {
    RenderDevice device;
    QuadBatch batch(device);
    batch.create_buffers();
    TextMesh mesh;
    mesh.quads.assign(2500, glyph_quad(0, 0, {}));
    draw_text_mesh(batch, mesh, 3, Matrix2d{});
    EXPECT_EQ(batch.draw_calls(), 2u);
    EXPECT_EQ(batch.pending_quads(), 2500 - 2 * QuadBatch::kMaxQuads);
    draw_text_mesh(batch, TextMesh{}, 4, Matrix2d{});
    EXPECT_EQ(batch.draw_calls(), 2u);
    EXPECT_EQ(batch.pending_texture(), 3u);
}

class TextDrawingTest : public test::DrawingTest {
protected:
    void SetUp() override {
        DrawingTest::SetUp();
        if (HasFatalFailure())
            return;
        for (const char* file : {"dejavu_sans_18.fnt", "dejavu_sans_18.png"})
            std::filesystem::copy_file(test::kDemoFonts + file, file);
        evaluate("g_texture_defs[\"dejavu_sans_18.png\"] <- { mipmaps = false };"
                 "g_font_defs.sans <- { file = \"dejavu_sans_18.fnt\" }; return null;");
        font = load_font("sans");
        ASSERT_TRUE(font) << log_text();
        ASSERT_NE(font->texture()->gl_name(), 0u) << log_text();
        application().text_colors[1] = {1.0f, 0.0f, 0.0f, 1.0f};
        application().text_colors[2] = {0.25f, 1.0f, 0.25f, 1.0f};
    }

    void TearDown() override {
        font = {};
        DrawingTest::TearDown();
    }

    // Lays the text out and draws it with its box's top-left corner at (x, y).
    TextMesh draw(std::u16string_view text, float x, float y, float wrap, TextAlignment alignment) {
        TextMesh mesh;
        font->layout(text, wrap, alignment, 1.0f, mesh);
        draw_text(*batch, *font.get(), mesh, Matrix2d{1, 0, 0, 1, x, y});
        return mesh;
    }

    ResourceRef<Font> font;
};

TEST_F(TextDrawingTest, ColourEscapesDrawTheirWordsInThePaletteColour) {
    start_canvas(96, 24, {0, 0, 0, 1});
    const TextMesh mesh = draw(u"^1red ^0white", 2, 0, -1.0f, TextAlignment::Left);
    // Three glyphs, the space's empty one, five glyphs; none for the escapes.
    ASSERT_EQ(mesh.quads.size(), 9u);
    const Image canvas = read_canvas();
    // Inside the first three glyphs only red shows; inside the last five
    // every lit pixel is grey (white times coverage).
    int red_pixels = 0;
    int white_pixels = 0;
    for (size_t q = 0; q < mesh.quads.size(); ++q) {
        const TextQuad& glyph = mesh.quads[q];
        for (int y = static_cast<int>(glyph.top); y < static_cast<int>(glyph.bottom); ++y) {
            for (int x = static_cast<int>(glyph.left) + 2; x < static_cast<int>(glyph.right) + 2; ++x) {
                const Rgba lit = pixel(canvas, x, y);
                if (q < 3) {
                    EXPECT_EQ(lit.g, 0);
                    red_pixels += lit.r > 128 ? 1 : 0;
                } else if (q > 3) {
                    EXPECT_NEAR(lit.r, lit.g, 1);
                    white_pixels += lit.g > 128 ? 1 : 0;
                }
            }
        }
    }
    EXPECT_GT(red_pixels, 20);
    EXPECT_GT(white_pixels, 40);
}

TEST_F(TextDrawingTest, WrappedAndAlignedTextMatchesItsReferencePicture) {
    start_canvas(160, 128, {0.1f, 0.1f, 0.2f, 1.0f});
    // Three lines at a wrap width of 100, one line, then two lines.
    const TextMesh left = draw(u"^2Left ^0aligned text", 4, 0, 100.0f, TextAlignment::Left);
    const TextMesh right = draw(u"Right side^1!", 4, 63, 150.0f, TextAlignment::Right);
    const TextMesh centred = draw(u"Centred\n^1two", 4, 84, 150.0f, TextAlignment::Centre);
    EXPECT_EQ(left.box_height, 63.0f);
    EXPECT_EQ(right.box_height, 21.0f);
    EXPECT_EQ(centred.box_height, 42.0f);
    expect_canvas_matches("text_drawing");
}

}  // namespace
}  // namespace me
