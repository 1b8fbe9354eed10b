#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/font_descriptor.h"
#include "resources/font_descriptor_line.h"
#include "resources/font_load_report.h"
#include "resources/font_texture_name.h"
#include "spine_test_environment.h"

namespace me {
namespace {

const std::string kHeader =
    "info face=\"Test Sans\" size=16 padding=0,0,0,0\n"
    "common lineHeight=20 base=15 scaleW=128 scaleH=64 pages=1 packed=0\n"
    "page id=0 file=\"test font.png\"\n"
    "chars count=4\n";

const std::string kGlyphs =
    "char id=32 x=0 y=0 width=0 height=0 xoffset=0 yoffset=0 xadvance=5 page=0 chnl=15\n"
    "char id=65 x=1 y=2 width=10 height=12 xoffset=-1 yoffset=3 xadvance=11 page=0 chnl=15\n"
    "char id=66 x=12 y=2 width=9 height=12 xoffset=1 yoffset=3 xadvance=10 page=0 chnl=15\n"
    "char id=300 x=22 y=2 width=8 height=8 xoffset=0 yoffset=5 xadvance=9 page=0 chnl=15\n";

const std::string kKernings =
    "kernings count=3\n"
    "kerning first=65 second=66 amount=-2\n"
    "kerning first=65 second=300 amount=1\n"
    "kerning first=66 second=65 amount=-1\n";

FontData parse_ok(const std::string& text) {
    FontDescriptorResult result = parse_font_descriptor(text);
    EXPECT_TRUE(result.ok()) << result.error;
    return result.ok() ? std::move(*result.font) : FontData();
}

std::string error_of(const std::string& text) {
    const FontDescriptorResult result = parse_font_descriptor(text);
    EXPECT_FALSE(result.ok());
    return result.error;
}

TEST(FontDescriptorLine, SplitsAtSpacesAndEqualSignsAndKeepsQuotedValuesWhole) {
    const FontDescriptorLine line("page  id=0 file=\"my font=1.png\"  extra");
    EXPECT_EQ(line.tag(), "page");
    EXPECT_EQ(line.token_count(), 6u);
    EXPECT_EQ(line.value("id"), "0");
    EXPECT_EQ(line.value("file"), "my font=1.png");
    EXPECT_EQ(line.key_without_value(), "extra");
    EXPECT_FALSE(line.value("extra"));
    EXPECT_FALSE(line.value("page"));
}

TEST(FontDescriptorLine, TheLastOccurrenceOfAKeyWinsAndAnUnclosedQuoteRunsToTheEnd) {
    const FontDescriptorLine repeated("char id=1 id=2");
    EXPECT_EQ(repeated.value("id"), "2");
    EXPECT_FALSE(repeated.key_without_value());
    const FontDescriptorLine unclosed("page file=\"a b");
    EXPECT_EQ(unclosed.value("file"), "a b");
    EXPECT_EQ(FontDescriptorLine("").tag(), "");
}

TEST(FontDescriptorLine, LinesEndWithLineFeedCarriageReturnOrBoth) {
    std::vector<std::string> lines;
    FontDescriptorLine::for_each_line("a\r\nb\rc\n\nd", [&](std::string_view line) { lines.emplace_back(line); });
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "", "d"}));
}

TEST(FontDescriptorLine, IntegersAreDecimalWithAnOptionalMinusAndFitSixtyFourBits) {
    EXPECT_EQ(parse_descriptor_integer("42"), 42);
    EXPECT_EQ(parse_descriptor_integer("-7"), -7);
    EXPECT_EQ(parse_descriptor_integer("9223372036854775807"), INT64_MAX);
    EXPECT_FALSE(parse_descriptor_integer("9223372036854775808"));
    EXPECT_FALSE(parse_descriptor_integer(""));
    EXPECT_FALSE(parse_descriptor_integer("+3"));
    EXPECT_FALSE(parse_descriptor_integer("12px"));
    EXPECT_FALSE(parse_descriptor_integer("0x10"));
    EXPECT_FALSE(parse_descriptor_integer("1.5"));
    EXPECT_FALSE(parse_descriptor_integer("-"));
}

TEST(FontDescriptor, ReadsTheCommonValuesPageAndEveryGlyphField) {
    const FontData font = parse_ok(kHeader + kGlyphs + kKernings);
    EXPECT_EQ(font.line_height, 20);
    EXPECT_EQ(font.base, 15);
    EXPECT_EQ(font.texture_width, 128);
    EXPECT_EQ(font.texture_height, 64);
    EXPECT_EQ(font.page_file, "test font.png");
    EXPECT_EQ(font.space_width, 5);
    EXPECT_EQ(font.glyph_count(), 4);
    const Glyph* a = font.glyph('A');
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->x, 1);
    EXPECT_EQ(a->y, 2);
    EXPECT_EQ(a->width, 10);
    EXPECT_EQ(a->height, 12);
    EXPECT_EQ(a->x_offset, -1);
    EXPECT_EQ(a->y_offset, 3);
    EXPECT_EQ(a->x_advance, 11);
    EXPECT_EQ(a->first_kerning, 0);
    EXPECT_EQ(font.glyph('B')->first_kerning, 2);
    EXPECT_EQ(font.glyph(300)->x_advance, 9);
}

TEST(FontDescriptor, AnyLineEndingWorksAndUnknownTagsAndKeysAreIgnored) {
    std::string text = kHeader + "fancy stuff=1 more\n" + kGlyphs + kKernings;
    for (char& c : text)
        if (c == '\n')
            c = '\r';
    const FontData font = parse_ok(text);
    EXPECT_EQ(font.glyph_count(), 4);
    EXPECT_EQ(font.kerning('A', 'B'), -2);
}

TEST(FontDescriptor, AWhollyEmptyCharLineDefinesGlyphZeroWithZeroes) {
    const FontData font = parse_ok(kHeader + "char\n");
    const Glyph* zero = font.glyph(0);
    ASSERT_NE(zero, nullptr);
    EXPECT_EQ(zero->width, 0);
    EXPECT_EQ(zero->x_advance, 0);
}

TEST(FontDescriptor, ALaterLineForTheSameGlyphReplacesIt) {
    const FontData font = parse_ok(kHeader + kGlyphs + "char id=65 x=0 y=0 width=3 height=4 xadvance=7\n");
    EXPECT_EQ(font.glyph('A')->width, 3);
    EXPECT_EQ(font.glyph('A')->x_advance, 7);
    EXPECT_EQ(font.glyph_count(), 4);
}

TEST(FontDescriptor, GlyphLookupCoversPageBoundariesAndRefusesCodesOutsideTheTable) {
    const FontData font = parse_ok(kHeader +
                                   "char id=255 width=1 height=1 xadvance=1\n"
                                   "char id=256 width=1 height=1 xadvance=2\n"
                                   "char id=65535 width=1 height=1 xadvance=3\n");
    EXPECT_EQ(font.glyph(255)->x_advance, 1);
    EXPECT_EQ(font.glyph(256)->x_advance, 2);
    EXPECT_EQ(font.glyph(65535)->x_advance, 3);
    EXPECT_EQ(font.glyph(254), nullptr);
    EXPECT_EQ(font.glyph(257), nullptr);
    EXPECT_EQ(font.glyph(512), nullptr);
    EXPECT_EQ(font.glyph(-1), nullptr);
    EXPECT_EQ(font.glyph(65536), nullptr);
}

TEST(FontData, StoringAGlyphOutsideTheCodeRangeChangesNothing) {
    FontData font;
    Glyph glyph;
    glyph.width = 2;
    EXPECT_FALSE(font.set_glyph(-1, glyph));
    EXPECT_FALSE(font.set_glyph(FontData::kMaxGlyphCode + 1, glyph));
    EXPECT_EQ(font.glyph_count(), 0);
    EXPECT_TRUE(font.set_glyph(FontData::kMaxGlyphCode, glyph));
    EXPECT_EQ(font.glyph_count(), 1);
}

TEST(FontDescriptor, KerningIsFoundOnlyWithinTheFirstGlyphsBlock) {
    const FontData font = parse_ok(kHeader + kGlyphs + kKernings);
    EXPECT_EQ(font.kerning('A', 'B'), -2);
    EXPECT_EQ(font.kerning('A', 300), 1);
    EXPECT_EQ(font.kerning('B', 'A'), -1);
    EXPECT_EQ(font.kerning('B', 300), 0);
    EXPECT_EQ(font.kerning('A', 'A'), 0);
    EXPECT_EQ(font.kerning(300, 'A'), 0);
    EXPECT_EQ(font.kerning('Z', 'A'), 0);
    EXPECT_EQ(font.kerning(-5, 'A'), 0);
}

TEST(FontDescriptor, MeasureAddsAdvancesKerningAndSpaceWidthForAbsentGlyphs) {
    const FontData font = parse_ok(kHeader + kGlyphs + kKernings);
    const std::u16string text = u"AB A\u0100";
    EXPECT_EQ(font.measure(text, 0, 2), 11 - 2 + 10);
    EXPECT_EQ(font.measure(text, 0, 1), 11);
    EXPECT_EQ(font.measure(text, 1, 2), 10 + 5);
    EXPECT_EQ(font.measure(text, 3, 2), 11 + 5);
    EXPECT_EQ(font.measure(text, 3, 100), 11 + 5);
    EXPECT_EQ(font.measure(text, 5, 1), 0);
    EXPECT_EQ(font.measure(text, 99, 1), 0);
    EXPECT_EQ(font.measure(text, 2, 0), 0);
}

TEST(FontDescriptor, WithoutASpaceGlyphSpacesTakeHalfTheLineHeightAndAWarningIsGiven) {
    const FontDescriptorResult result =
        parse_font_descriptor("common lineHeight=21 scaleW=8 scaleH=8 pages=1\nchar id=65 width=2 height=2\n");
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(result.font->space_width, 10);
    EXPECT_EQ(result.warnings, std::vector<std::string>{"Font doesn't have space character available."});
}

TEST(FontDescriptor, AKerningPairForAMissingFirstGlyphIsKeptWithAWarningButNeverApplies) {
    const FontDescriptorResult result =
        parse_font_descriptor(kHeader + kGlyphs + "kernings count=1\nkerning first=90 second=65 amount=-3\n");
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(result.warnings, std::vector<std::string>{"First kerning pair glyph not found."});
    ASSERT_EQ(result.font->kerning_pairs.size(), 1u);
    EXPECT_EQ(result.font->kerning_pairs[0].amount, -3);
    EXPECT_EQ(result.font->kerning(90, 65), 0);
}

TEST(FontDescriptor, AKerningPairWhoseSecondGlyphIsMissingIsKeptAsWritten) {
    const FontData font = parse_ok(kHeader + kGlyphs + "kernings count=1\nkerning first=65 second=90 amount=4\n");
    EXPECT_EQ(font.kerning('A', 'Z'), 4);
}

struct BadDescriptor {
    const char* name;
    std::string text;
    std::string error;
};

class MalformedDescriptor : public testing::TestWithParam<BadDescriptor> {};

TEST_P(MalformedDescriptor, FailsWithItsOwnError) {
    EXPECT_EQ(error_of(GetParam().text), GetParam().error);
}

const std::string kCommon = "common lineHeight=20 base=15 scaleW=128 scaleH=64 pages=1\n";
const std::string kSpace = "char id=32 xadvance=5\n";

INSTANTIATE_TEST_SUITE_P(
    FontDescriptor, MalformedDescriptor,
    testing::Values(
        BadDescriptor{"Empty", "", "Empty font file."},
        BadDescriptor{"TwoPages", "common lineHeight=20 scaleW=8 scaleH=8 pages=2\n",
                      "Fonts support only one texture page."},
        BadDescriptor{"MissingPageCount", "common lineHeight=20 scaleW=8 scaleH=8\n",
                      "Fonts support only one texture page."},
        BadDescriptor{"BareCommon", "common\n", "Fonts support only one texture page."},
        BadDescriptor{"NoCommonLine", kSpace, "Invalid font texture size."},
        BadDescriptor{"ZeroWidth", "common scaleW=0 scaleH=8 pages=1\n", "Invalid font texture size."},
        BadDescriptor{"NegativeHeight", "common scaleW=8 scaleH=-8 pages=1\n", "Invalid font texture size."},
        BadDescriptor{"HugeTexture", "common scaleW=1000000 scaleH=8 pages=1\n", "Invalid font texture size."},
        BadDescriptor{"GlyphIdTooLarge", kCommon + "char id=65536\n", "Invalid glyph id 65536."},
        BadDescriptor{"NegativeGlyphId", kCommon + "char id=-1\n", "Invalid glyph id -1."},
        BadDescriptor{"GlyphIdBeyondSixtyFourBits", kCommon + "char id=99999999999999999999\n",
                      "Key 'id' on line 2 has an invalid number: '99999999999999999999'."},
        BadDescriptor{"GarbageNumber", kCommon + kSpace + "char id=65 x=abc\n",
                      "Key 'x' on line 3 has an invalid number: 'abc'."},
        BadDescriptor{"PlaceholderInAValue", kCommon + "char id=65 x=%1%2\n",
                      "Key 'x' on line 2 has an invalid number: '%1%2'."},
        BadDescriptor{"NumberWithTrailingLetters", kCommon + "char id=65 xadvance=12px\n",
                      "Key 'xadvance' on line 2 has an invalid number: '12px'."},
        BadDescriptor{"GarbageInIgnoredChannelKey", kCommon + "char id=65 chnl=all\n",
                      "Key 'chnl' on line 2 has an invalid number: 'all'."},
        BadDescriptor{"GarbageLineHeight", "common lineHeight=tall scaleW=8 scaleH=8 pages=1\n",
                      "Key 'lineHeight' on line 1 has an invalid number: 'tall'."},
        BadDescriptor{"NegativeLineHeight", "common lineHeight=-2 scaleW=8 scaleH=8 pages=1\n",
                      "Value -2 of key 'lineHeight' is out of range on line 1."},
        BadDescriptor{"NegativeGlyphWidth", kCommon + "char id=65 width=-1\n",
                      "Value -1 of key 'width' is out of range on line 2."},
        BadDescriptor{"NegativeGlyphX", kCommon + "char id=65 x=-4\n",
                      "Value -4 of key 'x' is out of range on line 2."},
        BadDescriptor{"AdvanceBeyondSixteenBits", kCommon + "char id=65 xadvance=40000\n",
                      "Value 40000 of key 'xadvance' is out of range on line 2."},
        BadDescriptor{"GlyphOutsideTexture", kCommon + kSpace + "char id=65 x=120 y=0 width=9 height=4\n",
                      "Glyph 65 lies outside the font texture."},
        BadDescriptor{"GlyphBelowTexture", kCommon + kSpace + "char id=66 x=0 y=60 width=2 height=5\n",
                      "Glyph 66 lies outside the font texture."},
        BadDescriptor{"TruncatedCharLine", kCommon + kSpace + "char id=65 x=1 y=\n",
                      "Key without a value on line 3: 'y'."},
        BadDescriptor{"TruncatedCommonLine", "common lineHeight=20 scaleW=8 scaleH=8 pages\n",
                      "Key without a value on line 1: 'pages'."},
        BadDescriptor{"TruncatedKerningLine",
                      kCommon + kSpace + "kernings count=1\nkerning first=32 second=32 amount\n",
                      "Key without a value on line 4: 'amount'."},
        BadDescriptor{"SecondKerningsLine", kCommon + kSpace + "kernings count=0\nkernings count=0\n",
                      "Kerning pairs already specified!"},
        BadDescriptor{"NegativeKerningCount", kCommon + kSpace + "kernings count=-1\n",
                      "Invalid kerning pair count."},
        BadDescriptor{"HugeKerningCount", kCommon + kSpace + "kernings count=2000000000\n",
                      "Invalid kerning pair count."},
        BadDescriptor{"KerningWithoutSecond", kCommon + kSpace + "kernings count=1\nkerning first=32 amount=1\n",
                      "Invalid kerning pair on input."},
        BadDescriptor{"KerningWithoutFirst", kCommon + kSpace + "kernings count=1\nkerning second=32 amount=1\n",
                      "Invalid kerning pair on input."},
        BadDescriptor{"KerningCodeTooLarge",
                      kCommon + kSpace + "kernings count=1\nkerning first=65536 second=32 amount=1\n",
                      "Invalid kerning pair on input."},
        BadDescriptor{"NegativeKerningCode",
                      kCommon + kSpace + "kernings count=1\nkerning first=32 second=-32 amount=1\n",
                      "Invalid kerning pair on input."},
        BadDescriptor{"KerningAmountBeyondSixteenBits",
                      kCommon + kSpace + "kernings count=1\nkerning first=32 second=32 amount=-40000\n",
                      "Invalid kerning pair on input."},
        BadDescriptor{"KerningBeforeItsCount", kCommon + kSpace + "kerning first=32 second=32 amount=1\n",
                      "Invalid kerning pair on input."},
        BadDescriptor{"MoreKerningPairsThanCounted",
                      kCommon + kSpace +
                          "kernings count=1\nkerning first=32 second=32 amount=1\n"
                          "kerning first=32 second=33 amount=1\n",
                      "Invalid kerning pair on input."},
        BadDescriptor{"FewerKerningPairsThanCounted",
                      kCommon + kSpace + "kernings count=2\nkerning first=32 second=32 amount=1\n",
                      "Invalid number of kerning pairs."},
        BadDescriptor{"KerningPairsNotBlocked",
                      kCommon + kSpace + "char id=65\nchar id=66\nkernings count=3\n"
                                         "kerning first=65 second=66 amount=1\n"
                                         "kerning first=66 second=65 amount=1\n"
                                         "kerning first=65 second=65 amount=1\n",
                      "Kerning pairs are not properly blocked."},
        BadDescriptor{"KerningBlockBrokenByAMissingGlyph",
                      kCommon + kSpace + "char id=65\nkernings count=3\n"
                                         "kerning first=65 second=66 amount=1\n"
                                         "kerning first=90 second=65 amount=1\n"
                                         "kerning first=65 second=65 amount=1\n",
                      "Kerning pairs are not properly blocked."}),
    [](const testing::TestParamInfo<BadDescriptor>& info) { return std::string(info.param.name); });

TEST(FontDescriptor, TheLargestKerningTableIsAcceptedAndIndexedToItsLastPair) {
    std::string text = kHeader + kGlyphs;
    text += "kernings count=" + std::to_string(FontData::kMaxKerningPairs) + "\n";
    for (int i = 0; i < FontData::kMaxKerningPairs - 1; ++i)
        text += "kerning first=65 second=" + std::to_string(1000 + i) + " amount=1\n";
    text += "kerning first=66 second=300 amount=-4\n";
    const FontData font = parse_ok(text);
    EXPECT_EQ(font.glyph('B')->first_kerning, FontData::kMaxKerningPairs - 1);
    EXPECT_EQ(font.kerning('B', 300), -4);
    EXPECT_EQ(font.kerning('A', 1000 + FontData::kMaxKerningPairs - 2), 1);
}

TEST(FontDescriptor, EveryTruncationOfAValidDescriptorLoadsOrFailsWithAMessage) {
    const std::string text = kHeader + kGlyphs + kKernings;
    for (size_t length = 0; length <= text.size(); ++length) {
        const FontDescriptorResult result = parse_font_descriptor(std::string_view(text).substr(0, length));
        EXPECT_NE(result.ok(), !result.error.empty()) << "prefix of " << length << " bytes";
    }
}

TEST(FontDescriptor, BinaryGarbageFailsWithAMessage) {
    std::string garbage;
    uint32_t state = 12345;
    for (int i = 0; i < 4096; ++i) {
        state = state * 1103515245u + 12345u;
        garbage.push_back(static_cast<char>(state >> 24));
    }
    garbage.insert(100, std::string("\0char id=65 x=1\0", 16));
    const FontDescriptorResult result = parse_font_descriptor(garbage);
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(result.error.empty());
}

TEST(FontTextureName, ReplacesTheLastThreeCharactersByPng) {
    EXPECT_EQ(font_texture_name("fonts/dejavu_sans_18.fnt"), "fonts/dejavu_sans_18.png");
    EXPECT_EQ(font_texture_name("a.fnt"), "a.png");
    EXPECT_EQ(font_texture_name("font.fontfile"), "font.fontfpng");
    EXPECT_EQ(font_texture_name("abcd"), "apng");
    EXPECT_EQ(font_texture_name("fnt"), std::nullopt);
    EXPECT_EQ(font_texture_name(""), std::nullopt);
}

using FontLoadReport = test::SpineTest;

TEST_F(FontLoadReport, AParseFailureLogsItsErrorAndThatTheFontCouldNotLoad) {
    EXPECT_FALSE(report_font_descriptor(parse_font_descriptor(kCommon + "char id=70000\n"), "fonts/big.fnt"));
    EXPECT_TRUE(logged("error: Invalid glyph id 70000.")) << log_text();
    EXPECT_TRUE(logged("error: Unable to load font 'fonts/big.fnt'.")) << log_text();
}

TEST_F(FontLoadReport, AnEmptyFileLogsOnlyThatItIsEmpty) {
    EXPECT_FALSE(report_font_descriptor(parse_font_descriptor(""), "fonts/empty.fnt"));
    EXPECT_TRUE(logged("error: Empty font file.")) << log_text();
    EXPECT_EQ(log_text().find("Unable to load font"), std::string::npos) << log_text();
}

TEST_F(FontLoadReport, WarningsOfALoadedFontAreLogged) {
    EXPECT_TRUE(report_font_descriptor(parse_font_descriptor(kCommon), "fonts/blank.fnt"));
    EXPECT_TRUE(logged("warning: Font doesn't have space character available.")) << log_text();
    EXPECT_EQ(log_text().find("error"), std::string::npos) << log_text();
}

}  // namespace
}  // namespace me
