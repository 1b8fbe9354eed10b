#include <gtest/gtest.h>
#include <zlib.h>

#include "image/pixel_convert.h"
#include "image/png_decoder.h"
#include "image_test_files.h"

namespace me {
namespace {

using test::Bytes;

Rgba pixel_of(const Bytes& rgba, uint32_t width, uint32_t x, uint32_t y) {
    const uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

TEST(PngDecoder, RgbaFileDecodesTopRowFirstAndChannelsInOrder) {
    const Bytes rgba = test::gradient_pixels(5, 4, 4);
    auto decoded = decode_png(test::rgba_png(5, 4, rgba));
    ASSERT_TRUE(decoded) << decoded.error();
    const Image& image = decoded.value();
    EXPECT_EQ(image.type(), PixelType::Rgba8);
    EXPECT_EQ(image.width(), 5);
    EXPECT_EQ(image.height(), 4);
    EXPECT_EQ(image.byte_size(), rgba.size());
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 5; ++x) EXPECT_EQ(image.get_pixel(x, y), pixel_of(rgba, 5, x, y));
}

TEST(PngDecoder, RgbFileStaysRgb) {
    const Bytes rgb = test::gradient_pixels(3, 2, 3);
    auto decoded = decode_png(test::rgb_png(3, 2, rgb));
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_EQ(decoded.value().type(), PixelType::Rgb8);
    EXPECT_EQ(decoded.value().get_pixel(2, 1), (Rgba{rgb[15], rgb[16], rgb[17], 255}));
}

TEST(PngDecoder, PaletteWithTransparencyExpandsToRgba) {
    PngLayout layout;
    layout.width = 4;
    layout.height = 1;
    layout.color = PngColor::Palette;
    layout.bit_depth = 2;
    layout.palette = {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30};
    layout.transparency = {0, 128};
    const Bytes rows = {0b00011011};  // indices 0, 1, 2, 3
    auto decoded = decode_png(test::png_file(layout, rows));
    ASSERT_TRUE(decoded) << decoded.error();
    const Image& image = decoded.value();
    ASSERT_EQ(image.type(), PixelType::Rgba8);
    EXPECT_EQ(image.get_pixel(0, 0), (Rgba{255, 0, 0, 0}));
    EXPECT_EQ(image.get_pixel(1, 0), (Rgba{0, 255, 0, 128}));
    EXPECT_EQ(image.get_pixel(2, 0), (Rgba{0, 0, 255, 255}));
    EXPECT_EQ(image.get_pixel(3, 0), (Rgba{10, 20, 30, 255}));
}

TEST(PngDecoder, PaletteWithoutTransparencyIsRgb) {
    PngLayout layout;
    layout.width = 2;
    layout.height = 1;
    layout.color = PngColor::Palette;
    layout.palette = {1, 2, 3, 4, 5, 6};
    const Bytes rows = {1, 0};
    auto decoded = decode_png(test::png_file(layout, rows));
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_EQ(decoded.value().type(), PixelType::Rgb8);
    EXPECT_EQ(decoded.value().get_pixel(0, 0), (Rgba{4, 5, 6, 255}));
    EXPECT_EQ(decoded.value().get_pixel(1, 0), (Rgba{1, 2, 3, 255}));
}

TEST(PngDecoder, GreyOfEveryDepthBecomesRgbScaledToFullRange) {
    struct Case {
        int depth;
        Bytes row;
        uint8_t first, second;
    };
    const Case cases[] = {{1, {0b10000000}, 255, 0},
                          {2, {0b11010000}, 255, 85},
                          {4, {0xF5}, 255, 85},
                          {8, {200, 7}, 200, 7},
                          {16, {0xAB, 0xFF, 0x12, 0x00}, 0xAB, 0x12}};
    for (const Case& c : cases) {
        PngLayout layout;
        layout.width = 2;
        layout.height = 1;
        layout.color = PngColor::Grey;
        layout.bit_depth = c.depth;
        auto decoded = decode_png(test::png_file(layout, c.row));
        ASSERT_TRUE(decoded) << "depth " << c.depth << ": " << decoded.error();
        EXPECT_EQ(decoded.value().type(), PixelType::Rgb8) << "depth " << c.depth;
        EXPECT_EQ(decoded.value().get_pixel(0, 0), (Rgba{c.first, c.first, c.first, 255})) << "depth " << c.depth;
        EXPECT_EQ(decoded.value().get_pixel(1, 0), (Rgba{c.second, c.second, c.second, 255})) << "depth " << c.depth;
    }
}

TEST(PngDecoder, GreyAlphaBecomesRgba) {
    PngLayout layout;
    layout.width = 1;
    layout.height = 1;
    layout.color = PngColor::GreyAlpha;
    const Bytes row = {90, 33};
    auto decoded = decode_png(test::png_file(layout, row));
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_EQ(decoded.value().get_pixel(0, 0), (Rgba{90, 90, 90, 33}));
}

TEST(PngDecoder, SixteenBitChannelsKeepTheirHighByte) {
    PngLayout layout;
    layout.width = 1;
    layout.height = 2;
    layout.color = PngColor::Rgba;
    layout.bit_depth = 16;
    const Bytes rows = {0x12, 0xFF, 0x34, 0x00, 0x56, 0x80, 0xFF, 0xFF,  //
                        0x00, 0x7F, 0xFE, 0x01, 0x80, 0x00, 0x01, 0x02};
    auto decoded = decode_png(test::png_file(layout, rows));
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_EQ(decoded.value().get_pixel(0, 0), (Rgba{0x12, 0x34, 0x56, 0xFF}));
    EXPECT_EQ(decoded.value().get_pixel(0, 1), (Rgba{0x00, 0xFE, 0x80, 0x01}));
}

TEST(PngDecoder, InterlacedFileIsRefused) {
    PngLayout layout;
    layout.width = 9;
    layout.height = 9;
    layout.interlaced = true;
    const Bytes file = test::png_file(layout, test::gradient_pixels(9, 9, 4));
    ASSERT_FALSE(file.empty());
    auto decoded = decode_png(file);
    ASSERT_FALSE(decoded);
    EXPECT_EQ(decoded.error(), "Interlaced PNG not supported.");
    EXPECT_EQ(decode_png_packed(file, TextureBits::Packed16, false).error(), "Interlaced PNG not supported.");
}

TEST(PngDecoder, PictureLargerThanTheLimitIsRefusedWithItsSize) {
    const Bytes wide = test::rgb_png(3000, 1, Bytes(3000 * 3, 9));
    EXPECT_EQ(decode_png(wide).error(), "Invalid or unsupported texture size 3000x1.");
    const Bytes tall = test::rgb_png(1, 2049, Bytes(2049 * 3, 9));
    EXPECT_EQ(decode_png(tall).error(), "Invalid or unsupported texture size 1x2049.");
    const Bytes largest = test::rgb_png(2048, 1, Bytes(2048 * 3, 9));
    EXPECT_TRUE(decode_png(largest));
}

TEST(PngDecoder, PackedDecodingRefusesRowsWiderThanItsBuffer) {
    const Bytes wide = test::rgba_png(2049, 1, Bytes(2049 * 4, 9));
    EXPECT_EQ(decode_png_packed(wide, TextureBits::Packed16, true).error(), "Can't process PNG wider than 2048.");
    const Bytes tall = test::rgba_png(1, 3000, Bytes(3000 * 4, 9));
    EXPECT_EQ(decode_png_packed(tall, TextureBits::Packed16, true).error(),
              "Invalid or unsupported texture size 1x3000.");
    const Bytes widest = test::rgba_png(2048, 1, Bytes(2048 * 4, 9));
    EXPECT_TRUE(decode_png_packed(widest, TextureBits::Packed16, true));
}

TEST(PngDecoder, PackedDecodingMatchesPackingTheDecodedImage) {
    const Bytes rgba = test::gradient_pixels(7, 3, 4);
    const Bytes file = test::rgba_png(7, 3, rgba);
    for (TextureBits bits : {TextureBits::Packed16, TextureBits::Packed16OneBitAlpha}) {
        for (bool premultiply : {false, true}) {
            auto packed = decode_png_packed(file, bits, premultiply);
            ASSERT_TRUE(packed) << packed.error();
            Image expected = decode_png(file).value();
            ASSERT_TRUE(pack_image_to_16_bits(expected, bits, premultiply));
            EXPECT_EQ(packed.value().type(), expected.type());
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 7; ++x)
                    EXPECT_EQ(packed.value().get_pixel_word(x, y), expected.get_pixel_word(x, y));
        }
    }
}

TEST(PngDecoder, PackedRgbBecomes565WhateverTheAlphaSetting) {
    const Bytes rgb = {255, 255, 255, 0, 0, 0};
    auto packed = decode_png_packed(test::rgb_png(2, 1, rgb), TextureBits::Packed16OneBitAlpha, true);
    ASSERT_TRUE(packed) << packed.error();
    EXPECT_EQ(packed.value().type(), PixelType::Rgb565);
    EXPECT_EQ(packed.value().get_pixel_word(0, 0), 0xFFFF);
    EXPECT_EQ(packed.value().get_pixel_word(1, 0), 0x0000);
}

TEST(PngDecoder, BytesThatAreNotAPngFailAsAReadError) {
    EXPECT_EQ(decode_png({}).error(), "Error reading PNG file.");
    const Bytes text = {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g', '.', '.', '.'};
    EXPECT_EQ(decode_png(text).error(), "Error reading PNG file.");
}

TEST(PngDecoder, EveryTruncationFailsCleanly) {
    const Bytes file = test::rgba_png(6, 5, test::gradient_pixels(6, 5, 4));
    ASSERT_FALSE(file.empty());
    // The last 12 bytes are the IEND chunk, which the decoder never needs.
    const size_t needed = file.size() - 12;
    for (size_t length = 0; length < needed; ++length) {
        auto decoded = decode_png(std::span(file.data(), length));
        EXPECT_EQ(decoded.error(), "Error reading PNG file.") << "length " << length;
        auto packed = decode_png_packed(std::span(file.data(), length), TextureBits::Packed16, true);
        EXPECT_FALSE(packed) << "length " << length;
    }
    EXPECT_TRUE(decode_png(std::span(file.data(), needed)));
}

TEST(PngDecoder, DamagedImageDataFails) {
    Bytes file = test::rgba_png(6, 5, test::gradient_pixels(6, 5, 4));
    // Signature (8) + IHDR (25) leads to the IDAT chunk; break a byte of its data.
    file[8 + 25 + 8 + 3] ^= 0x55;
    EXPECT_EQ(decode_png(file).error(), "Error reading PNG file.");
}

void put_big_endian(Bytes& file, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) file[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

// The header of a 1 × 1 file claiming the given size, with a valid CRC so
// that only the size can be the reason for a refusal.
Bytes claim_size(uint32_t width, uint32_t height) {
    Bytes file = test::rgba_png(1, 1, Bytes(4, 0));
    constexpr size_t kIhdrType = 12;
    put_big_endian(file, kIhdrType + 4, width);
    put_big_endian(file, kIhdrType + 8, height);
    const uLong crc = crc32(0, file.data() + kIhdrType, 4 + 13);
    put_big_endian(file, kIhdrType + 4 + 13, static_cast<uint32_t>(crc));
    return file;
}

TEST(PngDecoder, HugeHeaderIsRefusedBeforeAnyPixelMemoryIsReserved) {
    EXPECT_EQ(decode_png(claim_size(100000, 100000)).error(), "Invalid or unsupported texture size 100000x100000.");
    EXPECT_EQ(decode_png_packed(claim_size(2048, 900000), TextureBits::Packed16, false).error(),
              "Invalid or unsupported texture size 2048x900000.");
    // A plausible size with too little image data behind it.
    EXPECT_EQ(decode_png(claim_size(2048, 2048)).error(), "Error reading PNG file.");
}

}  // namespace
}  // namespace me
