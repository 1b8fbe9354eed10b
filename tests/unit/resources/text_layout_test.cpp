#include <gtest/gtest.h>

#include <string>

#include "resources/font_descriptor.h"
#include "resources/text_layout.h"

namespace me {
namespace {

// 'A' advances 10 and kerns -3 before 'B', 'B' advances 7; a space advances 4
// and has a glyph without area at the top of its line. Lines are 10 high on
// a 100 × 50 page.
const char* const kFont =
    "common lineHeight=10 base=8 scaleW=100 scaleH=50 pages=1\n"
    "char id=32 x=0 y=0 width=0 height=0 xoffset=0 yoffset=0 xadvance=4\n"
    "char id=65 x=0 y=0 width=8 height=9 xoffset=1 yoffset=2 xadvance=10\n"
    "char id=66 x=10 y=20 width=6 height=9 xoffset=0 yoffset=2 xadvance=7\n"
    "char id=94 x=20 y=0 width=4 height=4 xoffset=0 yoffset=0 xadvance=5\n"
    "kernings count=1\n"
    "kerning first=65 second=66 amount=-3\n";

TextPalette test_palette() {
    TextPalette palette;
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = {0.1f * static_cast<float>(i), 0.5f, 1.0f, 1.0f};
    palette[3] = {1.0f, 0.5f, 0.25f, 0.5f};
    return palette;
}

class TextLayout : public testing::Test {
protected:
    void SetUp() override {
        FontDescriptorResult result = parse_font_descriptor(kFont);
        ASSERT_TRUE(result.ok()) << result.error;
        font = std::move(*result.font);
    }

    const TextMesh& lay_out(const std::u16string& text, float wrap_width = -1,
                            TextAlignment alignment = TextAlignment::Left, float scale = 1) {
        layout_text(text, font, wrap_width, alignment, scale, palette, mesh);
        return mesh;
    }

    std::vector<float> lefts() const {
        std::vector<float> result;
        for (const TextQuad& quad : mesh.quads)
            result.push_back(quad.left);
        return result;
    }
    std::vector<float> tops() const {
        std::vector<float> result;
        for (const TextQuad& quad : mesh.quads)
            result.push_back(quad.top);
        return result;
    }
    float red_of(size_t quad) const { return mesh.quads.at(quad).red; }

    FontData font;
    TextPalette palette = test_palette();
    TextMesh mesh;
};

TEST_F(TextLayout, AGlyphQuadTakesItsRectanglesFromTheGlyphAndItsColourFromPaletteEntryZero) {
    lay_out(u"B");
    ASSERT_EQ(mesh.quads.size(), 1u);
    const TextQuad& quad = mesh.quads[0];
    EXPECT_FLOAT_EQ(quad.left, 0);
    EXPECT_FLOAT_EQ(quad.right, 6);
    EXPECT_FLOAT_EQ(quad.top, 2);
    EXPECT_FLOAT_EQ(quad.bottom, 11);
    EXPECT_FLOAT_EQ(quad.left_u, 0.10f);
    EXPECT_FLOAT_EQ(quad.right_u, 0.16f);
    EXPECT_FLOAT_EQ(quad.top_v, 0.40f);
    EXPECT_FLOAT_EQ(quad.bottom_v, 0.58f);
    EXPECT_FLOAT_EQ(quad.red, 0.0f);
    EXPECT_FLOAT_EQ(quad.green, 0.5f);
    EXPECT_FLOAT_EQ(quad.blue, 1.0f);
    EXPECT_FLOAT_EQ(quad.alpha, 1.0f);
}

TEST_F(TextLayout, KerningAppliesBetweenLettersOfOneWordAndTheSizeIsMeasured) {
    lay_out(u"AB");
    EXPECT_EQ(lefts(), (std::vector<float>{1, 7}));
    EXPECT_FLOAT_EQ(mesh.content_width, 14);
    EXPECT_FLOAT_EQ(mesh.box_width, 14);
    EXPECT_FLOAT_EQ(mesh.content_height, 10);
    EXPECT_FLOAT_EQ(mesh.box_height, 10);
}

TEST_F(TextLayout, ScaleMultipliesOffsetsSizesAdvancesKerningAndLineHeight) {
    lay_out(u"AB\nA", -1, TextAlignment::Left, 2);
    ASSERT_EQ(mesh.quads.size(), 3u);
    EXPECT_EQ(lefts(), (std::vector<float>{2, 14, 2}));
    EXPECT_EQ(tops(), (std::vector<float>{4, 4, 24}));
    EXPECT_FLOAT_EQ(mesh.quads[0].right, 18);
    EXPECT_FLOAT_EQ(mesh.quads[0].bottom, 22);
    EXPECT_FLOAT_EQ(mesh.content_width, 28);
    EXPECT_FLOAT_EQ(mesh.content_height, 40);
    EXPECT_FLOAT_EQ(mesh.quads[0].right_u, 0.08f);
}

TEST_F(TextLayout, ColourEscapesSwitchThePaletteEntryAndDrawNothing) {
    lay_out(u"^1AB ^0A");
    ASSERT_EQ(mesh.quads.size(), 4u);
    EXPECT_FLOAT_EQ(red_of(0), 0.1f);
    EXPECT_FLOAT_EQ(red_of(1), 0.1f);
    EXPECT_FLOAT_EQ(red_of(2), 0.1f);
    EXPECT_FLOAT_EQ(red_of(3), 0.0f);
    EXPECT_EQ(lefts(), (std::vector<float>{1, 7, 14, 19}));
}

TEST_F(TextLayout, ColoursArePremultipliedByTheirAlpha) {
    lay_out(u"^3A");
    ASSERT_EQ(mesh.quads.size(), 1u);
    EXPECT_FLOAT_EQ(mesh.quads[0].red, 0.5f);
    EXPECT_FLOAT_EQ(mesh.quads[0].green, 0.25f);
    EXPECT_FLOAT_EQ(mesh.quads[0].blue, 0.125f);
    EXPECT_FLOAT_EQ(mesh.quads[0].alpha, 0.5f);
}

TEST_F(TextLayout, AnEscapeInsideAWordEndsTheWordSoNoKerningCrossesIt) {
    lay_out(u"A^9B");
    ASSERT_EQ(mesh.quads.size(), 2u);
    EXPECT_EQ(lefts(), (std::vector<float>{1, 10}));
    EXPECT_FLOAT_EQ(red_of(0), 0.0f);
    EXPECT_FLOAT_EQ(red_of(1), 0.9f);
}

TEST_F(TextLayout, TheColourCarriesOverToFollowingLines) {
    lay_out(u"A\n^2B\nA");
    ASSERT_EQ(mesh.quads.size(), 3u);
    EXPECT_FLOAT_EQ(red_of(0), 0.0f);
    EXPECT_FLOAT_EQ(red_of(1), 0.2f);
    EXPECT_FLOAT_EQ(red_of(2), 0.2f);
    EXPECT_EQ(tops(), (std::vector<float>{2, 12, 22}));
}

TEST_F(TextLayout, ACaretWithoutADigitIsAnOrdinaryCharacter) {
    lay_out(u"^x^^1A^");
    // '^', 'x' (no glyph: a space's advance), '^', then 'A' in colour 1 and a last '^'.
    ASSERT_EQ(mesh.quads.size(), 4u);
    EXPECT_EQ(lefts(), (std::vector<float>{0, 9, 15, 24}));
    EXPECT_FLOAT_EQ(red_of(2), 0.1f);
    EXPECT_FLOAT_EQ(mesh.quads[0].right_u, 0.24f);
    EXPECT_FLOAT_EQ(mesh.content_width, 29);
}

TEST_F(TextLayout, AnEscapeAtTheVeryEndStillCountsAsALine) {
    lay_out(u"A\n^5");
    EXPECT_EQ(mesh.quads.size(), 1u);
    EXPECT_FLOAT_EQ(mesh.content_height, 20);
}

TEST_F(TextLayout, CharactersWithoutGlyphsAdvanceByTheSpaceWidth) {
    lay_out(u"AZ\u4e00A");
    ASSERT_EQ(mesh.quads.size(), 2u);
    EXPECT_EQ(lefts(), (std::vector<float>{1, 19}));
}

TEST_F(TextLayout, LineFeedsStartNewLinesAndEmptyLinesTakeTheirHeight) {
    lay_out(u"A\n\nB\n");
    EXPECT_EQ(tops(), (std::vector<float>{2, 22}));
    EXPECT_FLOAT_EQ(mesh.content_height, 30);
    lay_out(u"\n");
    EXPECT_TRUE(mesh.quads.empty());
    EXPECT_FLOAT_EQ(mesh.content_height, 10);
}

TEST_F(TextLayout, EmptyTextGivesAnEmptyMeshAndReplacesEarlierQuads) {
    lay_out(u"AAA");
    lay_out(u"");
    EXPECT_TRUE(mesh.quads.empty());
    EXPECT_FLOAT_EQ(mesh.box_width, 0);
    EXPECT_FLOAT_EQ(mesh.box_height, 0);
    EXPECT_FLOAT_EQ(mesh.content_width, 0);
    EXPECT_FLOAT_EQ(mesh.content_height, 0);
}

TEST_F(TextLayout, AWordThatWouldCrossTheWrapWidthStartsTheNextLine) {
    lay_out(u"AA AA", 25);
    EXPECT_EQ(lefts(), (std::vector<float>{1, 11, 20, 1, 11}));
    EXPECT_EQ(tops(), (std::vector<float>{2, 2, 0, 12, 12}));
    EXPECT_FLOAT_EQ(mesh.box_width, 25);
    EXPECT_FLOAT_EQ(mesh.content_width, 24);
    EXPECT_FLOAT_EQ(mesh.content_height, 20);
}

TEST_F(TextLayout, WrapMeasuresWordsWithTheirKerning) {
    // "A " ends at 14 and "AB" measures 14, so it fits a width of 28 exactly.
    lay_out(u"A AB", 28);
    EXPECT_FLOAT_EQ(mesh.content_height, 10);
    lay_out(u"A AB", 27.9f);
    EXPECT_FLOAT_EQ(mesh.content_height, 20);
}

TEST_F(TextLayout, AWordWiderThanTheWrapWidthStaysAndTheNextWordWraps) {
    lay_out(u"AAAA AB", 15);
    // "AAAA" stays, the space is a word of its own and wraps, then "AB" wraps.
    EXPECT_EQ(tops(), (std::vector<float>{2, 2, 2, 2, 10, 22, 22}));
    EXPECT_FLOAT_EQ(mesh.content_width, 40);
    EXPECT_FLOAT_EQ(mesh.content_height, 30);
}

TEST_F(TextLayout, AZeroWrapWidthPutsEveryWordOnALineOfItsOwn) {
    lay_out(u"AB A", 0);
    EXPECT_EQ(tops(), (std::vector<float>{2, 2, 10, 22}));
    EXPECT_FLOAT_EQ(mesh.box_width, 0);
    EXPECT_FLOAT_EQ(mesh.content_width, 14);
}

TEST_F(TextLayout, ANegativeWrapWidthNeverWraps) {
    lay_out(u"AA AA AA AA AA", -0.5f);
    EXPECT_FLOAT_EQ(mesh.content_height, 10);
    EXPECT_FLOAT_EQ(mesh.box_width, 116);
}

TEST_F(TextLayout, ControlCharactersAreWordsOfTheirOwnThatWrap) {
    lay_out(u"A\tA", 12);
    EXPECT_EQ(tops(), (std::vector<float>{2, 22}));
}

TEST_F(TextLayout, RightAlignmentWithoutWrappingAlignsToTheWidestLine) {
    lay_out(u"AAB\nB", -1, TextAlignment::Right);
    EXPECT_EQ(lefts(), (std::vector<float>{1, 11, 17, 17}));
    EXPECT_FLOAT_EQ(mesh.quads[3].right, 23);
    EXPECT_FLOAT_EQ(mesh.box_width, 24);
    EXPECT_FLOAT_EQ(mesh.content_width, 24);
}

TEST_F(TextLayout, CentreAlignmentRoundsTheShiftDown) {
    lay_out(u"AAB\nB", -1, TextAlignment::Centre);
    EXPECT_EQ(lefts(), (std::vector<float>{1, 11, 17, 8}));
}

TEST_F(TextLayout, AlignmentWithWrappingUsesTheWrapWidthAsTheBox) {
    lay_out(u"A\nAAAAAA", 50, TextAlignment::Right);
    EXPECT_FLOAT_EQ(mesh.quads[0].left, 41);
    EXPECT_FLOAT_EQ(mesh.quads[1].left, 1);
    EXPECT_FLOAT_EQ(mesh.box_width, 50);
    EXPECT_FLOAT_EQ(mesh.content_width, 60);
    lay_out(u"A", 50, TextAlignment::Centre);
    EXPECT_FLOAT_EQ(mesh.quads[0].left, 21);
    EXPECT_FLOAT_EQ(mesh.content_width, 50);
    lay_out(u"A", 50, TextAlignment::Left);
    EXPECT_FLOAT_EQ(mesh.quads[0].left, 1);
    EXPECT_FLOAT_EQ(mesh.content_width, 10);
}

TEST_F(TextLayout, AnAlignmentOutsideTheEnumerationAlignsLeft) {
    lay_out(u"AAB\nB", 50, static_cast<TextAlignment>(7));
    EXPECT_EQ(lefts(), (std::vector<float>{1, 11, 17, 0}));
    EXPECT_FLOAT_EQ(mesh.content_width, 24);
}

TEST_F(TextLayout, AFontWithoutAnyGlyphsAdvancesEverythingByItsSpaceWidth) {
    FontData empty;
    empty.space_width = 3;
    empty.line_height = 5;
    layout_text(u"abc def", empty, 10, TextAlignment::Right, 1, palette, mesh);
    EXPECT_TRUE(mesh.quads.empty());
    EXPECT_FLOAT_EQ(mesh.content_height, 15);
}

TEST(TextLayoutPalette, IsTheApplicationsWhileThereIsOneAndWhiteOtherwise) {
    Application* const saved = g_application;
    g_application = nullptr;
    for (const Color& color : application_text_palette()) {
        EXPECT_FLOAT_EQ(color.red, 1.0f);
        EXPECT_FLOAT_EQ(color.alpha, 1.0f);
    }
    Application application;
    application.text_colors[4] = {0.25f, 0.5f, 0.75f, 0.5f};
    EXPECT_EQ(&application_text_palette(), &application.text_colors);
    EXPECT_FLOAT_EQ(application_text_palette()[4].blue, 0.75f);
    g_application = saved;
}

}  // namespace
}  // namespace me
