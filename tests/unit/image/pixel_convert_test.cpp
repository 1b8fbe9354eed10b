#include <gtest/gtest.h>

#include <vector>

#include "image/pixel_convert.h"

namespace me {
namespace {

Image image_of(int width, int height, PixelType type, std::vector<uint8_t> pixels) {
    Image image(width, height, type);
    std::copy(pixels.begin(), pixels.end(), image.pixels());
    return image;
}

TEST(Premultiply, ScalesColourByAlphaAndKeepsAlpha) {
    std::vector<uint8_t> rgba = {255, 128, 1, 255,  //
                                 255, 128, 1, 0,    //
                                 255, 200, 100, 128, //
                                 10, 20, 30, 1};
    premultiply_rgba8(rgba);
    const std::vector<uint8_t> expected = {255, 128, 1, 255,  //
                                           0, 0, 0, 0,        //
                                           128, 100, 50, 128, //
                                           0, 0, 0, 1};
    EXPECT_EQ(rgba, expected);
}

TEST(Premultiply, IgnoresATrailingPartialPixel) {
    std::vector<uint8_t> bytes = {100, 100, 100, 0, 100, 100, 100};
    premultiply_rgba8(bytes);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0, 0, 0, 0, 100, 100, 100}));
}

TEST(Premultiply, ImageOfRgbIsUnchangedAnd16BitIsRefused) {
    Image rgb = image_of(1, 1, PixelType::Rgb8, {10, 20, 30});
    EXPECT_TRUE(premultiply_image(rgb));
    EXPECT_EQ(rgb.get_pixel(0, 0), (Rgba{10, 20, 30, 255}));
    Image rgba = image_of(1, 1, PixelType::Rgba8, {200, 100, 50, 128});
    EXPECT_TRUE(premultiply_image(rgba));
    EXPECT_EQ(rgba.get_pixel(0, 0), (Rgba{100, 50, 25, 128}));
    Image packed(1, 1, PixelType::Rgb565);
    EXPECT_FALSE(premultiply_image(packed));
}

TEST(Packing, ChannelsKeepTheirHighBits) {
    EXPECT_EQ(pack_565(255, 255, 255), 0xFFFF);
    EXPECT_EQ(pack_565(0xF8, 0, 0), 0xF800);
    EXPECT_EQ(pack_565(0, 0xFC, 0), 0x07E0);
    EXPECT_EQ(pack_565(0, 0, 0xF8), 0x001F);
    EXPECT_EQ(pack_565(0x07, 0x03, 0x07), 0x0000);
    EXPECT_EQ(pack_4444(0xF0, 0x80, 0x40, 0x1F), 0xF841);
    EXPECT_EQ(pack_5551(0xF8, 0, 0, 0x80), 0xF801);
    EXPECT_EQ(pack_5551(0, 0xF8, 0, 0x7F), 0x07C0);
    EXPECT_EQ(pack_5551(0, 0, 0xF8, 0), 0x003E);
}

TEST(Packing, TypeFollowsAlphaAndSetting) {
    EXPECT_EQ(packed_type_for(false, TextureBits::Packed16), PixelType::Rgb565);
    EXPECT_EQ(packed_type_for(false, TextureBits::Packed16OneBitAlpha), PixelType::Rgb565);
    EXPECT_EQ(packed_type_for(true, TextureBits::Packed16), PixelType::Rgba4444);
    EXPECT_EQ(packed_type_for(true, TextureBits::Packed16OneBitAlpha), PixelType::Rgba5551);
}

TEST(Packing, RgbImageBecomes565ReadBackWordByWord) {
    Image image = image_of(2, 2, PixelType::Rgb8, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255});
    ASSERT_TRUE(pack_image_to_16_bits(image, TextureBits::Packed16, true));
    EXPECT_EQ(image.type(), PixelType::Rgb565);
    EXPECT_EQ(image.byte_size(), 8u);
    EXPECT_EQ(image.get_pixel_word(0, 0), 0xF800);
    EXPECT_EQ(image.get_pixel_word(1, 0), 0x07E0);
    EXPECT_EQ(image.get_pixel_word(0, 1), 0x001F);
    EXPECT_EQ(image.get_pixel_word(1, 1), 0xFFFF);
    EXPECT_EQ(image.get_pixel_word(2, 1), 0);
}

TEST(Packing, RgbaImageBecomes4444PremultipliedOnlyWhenAsked) {
    const std::vector<uint8_t> pixel = {255, 255, 255, 128};
    Image straight = image_of(1, 1, PixelType::Rgba8, pixel);
    ASSERT_TRUE(pack_image_to_16_bits(straight, TextureBits::Packed16, false));
    EXPECT_EQ(straight.type(), PixelType::Rgba4444);
    EXPECT_EQ(straight.get_pixel_word(0, 0), 0xFFF8);
    Image premultiplied = image_of(1, 1, PixelType::Rgba8, pixel);
    ASSERT_TRUE(pack_image_to_16_bits(premultiplied, TextureBits::Packed16, true));
    EXPECT_EQ(premultiplied.get_pixel_word(0, 0), 0x8888);
}

TEST(Packing, RgbaImageBecomes5551WithOneAlphaBit) {
    Image image = image_of(2, 1, PixelType::Rgba8, {255, 255, 255, 128, 255, 255, 255, 127});
    ASSERT_TRUE(pack_image_to_16_bits(image, TextureBits::Packed16OneBitAlpha, false));
    EXPECT_EQ(image.type(), PixelType::Rgba5551);
    EXPECT_EQ(image.get_pixel_word(0, 0), 0xFFFF);
    EXPECT_EQ(image.get_pixel_word(1, 0), 0xFFFE);
}

TEST(Packing, ExtendedImagePacksItsWholeBlock) {
    Image image = image_of(3, 1, PixelType::Rgb8, {0, 0, 0, 0, 0, 0, 255, 255, 255});
    image.extend_to_power_of_two();
    ASSERT_TRUE(pack_image_to_16_bits(image, TextureBits::Packed16, false));
    EXPECT_EQ(image.row_width(), 4);
    EXPECT_EQ(image.byte_size(), 8u);
    EXPECT_EQ(image.get_pixel_word(3, 0), 0xFFFF);
}

TEST(Packing, AlreadyPackedImageIsRefused) {
    Image image(2, 2, PixelType::Rgba4444);
    EXPECT_FALSE(pack_image_to_16_bits(image, TextureBits::Packed16, false));
    EXPECT_EQ(image.type(), PixelType::Rgba4444);
}

TEST(MaskColor, RgbImageGainsAlphaAndLosesExactMagenta) {
    Image image = image_of(4, 1, PixelType::Rgb8, {255, 0, 255, 254, 0, 255, 255, 1, 255, 7, 8, 9});
    ASSERT_TRUE(apply_mask_color(image));
    EXPECT_EQ(image.type(), PixelType::Rgba8);
    EXPECT_EQ(image.get_pixel(0, 0), (Rgba{0, 0, 0, 0}));
    EXPECT_EQ(image.get_pixel(1, 0), (Rgba{254, 0, 255, 255}));
    EXPECT_EQ(image.get_pixel(2, 0), (Rgba{255, 1, 255, 255}));
    EXPECT_EQ(image.get_pixel(3, 0), (Rgba{7, 8, 9, 255}));
}

TEST(MaskColor, RgbaMagentaGoesWhateverItsAlphaAndOthersKeepTheirs) {
    Image image = image_of(2, 1, PixelType::Rgba8, {255, 0, 255, 17, 1, 2, 3, 40});
    ASSERT_TRUE(apply_mask_color(image));
    EXPECT_EQ(image.get_pixel(0, 0), (Rgba{0, 0, 0, 0}));
    EXPECT_EQ(image.get_pixel(1, 0), (Rgba{1, 2, 3, 40}));
}

TEST(MaskColor, PackedImageIsRefused) {
    Image image(1, 1, PixelType::Rgb565);
    EXPECT_FALSE(apply_mask_color(image));
}

TEST(TextureBitsSetting, KnownValuesAndFallbacks) {
    struct Case {
        const char* value;
        TextureBits bits;
        bool invalid;
    };
    const Case cases[] = {{"", TextureBits::Full32, false},         {"32", TextureBits::Full32, false},
                          {"16", TextureBits::Packed16, false},     {"565", TextureBits::Packed16, false},
                          {"4444", TextureBits::Packed16, false},   {"5551", TextureBits::Packed16OneBitAlpha, false},
                          {"24", TextureBits::Full32, true},        {"5551 ", TextureBits::Full32, true}};
    for (const Case& c : cases) {
        const TextureBitsSetting setting = read_texture_bits(c.value, "16");
        EXPECT_EQ(setting.bits, c.bits) << '"' << c.value << '"';
        EXPECT_EQ(setting.invalid, c.invalid) << '"' << c.value << '"';
    }
}

TEST(TextureBitsSetting, IphoneDefersToTheDef) {
    EXPECT_EQ(read_texture_bits("iphone", "16").bits, TextureBits::Packed16);
    EXPECT_EQ(read_texture_bits("iphone", "5551").bits, TextureBits::Packed16OneBitAlpha);
    EXPECT_EQ(read_texture_bits("iphone", "32").bits, TextureBits::Full32);
    EXPECT_TRUE(read_texture_bits("iphone", "iphone").invalid);
}

}  // namespace
}  // namespace me
