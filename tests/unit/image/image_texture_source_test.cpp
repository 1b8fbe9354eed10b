#include <gtest/gtest.h>

#include "image/image_texture_source.h"
#include "image/pixel_convert.h"
#include "image_test_files.h"

namespace me {
namespace {

using test::Bytes;

ImageTextureOptions without_mipmaps() {
    ImageTextureOptions options;
    options.mipmaps = false;
    return options;
}

Bytes half_transparent_png(uint32_t width, uint32_t height) {
    Bytes rgba(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        rgba[i] = 200;
        rgba[i + 1] = 100;
        rgba[i + 2] = 50;
        rgba[i + 3] = 128;
    }
    return test::rgba_png(width, height, rgba);
}

TEST(ImageTextureSource, DefaultOptionsRefuseImageFilesForMipmaps) {
    auto prepared = prepare_image_texture("a.png", half_transparent_png(4, 4), ImageTextureOptions{});
    EXPECT_EQ(prepared.error(), "Mipmaps not supported yet!");
}

TEST(ImageTextureSource, StraightPngKeepsItsSizeAndIsPremultiplied) {
    auto prepared = prepare_image_texture("a.png", half_transparent_png(300, 200), without_mipmaps());
    ASSERT_TRUE(prepared) << prepared.error();
    const ImageTextureSource& source = prepared.value();
    EXPECT_EQ(source.image_width, 300);
    EXPECT_EQ(source.pixels.row_width(), 300);
    EXPECT_EQ(source.pixels.row_count(), 200);
    EXPECT_EQ(source.pixels.get_pixel(299, 199), (Rgba{100, 50, 25, 128}));
}

TEST(ImageTextureSource, PremultiplicationCanBeTurnedOff) {
    ImageTextureOptions options = without_mipmaps();
    options.premultiply_alpha = false;
    auto prepared = prepare_image_texture("a.png", half_transparent_png(2, 2), options);
    ASSERT_TRUE(prepared) << prepared.error();
    EXPECT_EQ(prepared.value().pixels.get_pixel(1, 1), (Rgba{200, 100, 50, 128}));
}

TEST(ImageTextureSource, FramesFromAnExtendedPictureStayInPicturePixels) {
    ImageTextureOptions options = without_mipmaps();
    options.extract_frames = true;
    options.frame_size = FrameSize{100, 100};
    auto prepared = prepare_image_texture("sheet.png", half_transparent_png(300, 200), options);
    ASSERT_TRUE(prepared) << prepared.error();
    const ImageTextureSource& source = prepared.value();
    EXPECT_EQ(source.image_width, 300);
    EXPECT_EQ(source.image_height, 200);
    EXPECT_EQ(source.pixels.row_width(), 512);
    EXPECT_EQ(source.pixels.row_count(), 256);
    ASSERT_EQ(source.frames.size(), 7u);  // six of frame_size, then the one extracted
    EXPECT_EQ(source.frames[5], (FrameRect{200, 100, 100, 100, 0, 0}));
    EXPECT_EQ(source.frames[6], (FrameRect{0, 0, 300, 200, 0, 0}));
}

TEST(ImageTextureSource, FramesComeInSizeGridExtractOrder) {
    ImageTextureOptions options = without_mipmaps();
    options.frame_size = FrameSize{16, 16};
    options.grid_size = GridSize{2, 1};
    options.frame_pivot = {8, 8};
    auto prepared = prepare_image_texture("a.png", half_transparent_png(64, 48), options);
    ASSERT_TRUE(prepared) << prepared.error();
    const auto& frames = prepared.value().frames;
    ASSERT_EQ(frames.size(), 14u);
    EXPECT_EQ(frames[5], (FrameRect{16, 16, 16, 16, 8, 8}));
    EXPECT_EQ(frames[13], (FrameRect{32, 0, 32, 48, 8, 8}));
}

TEST(ImageTextureSource, FrameProblemsComeBeforeTheMipmapRefusal) {
    ImageTextureOptions options;
    options.frame_size = FrameSize{0, 0};
    EXPECT_EQ(prepare_image_texture("a.png", half_transparent_png(8, 8), options).error(), "Invalid frame size.");
    options.frame_size.reset();
    options.grid_size = GridSize{9, 1};
    EXPECT_EQ(prepare_image_texture("a.png", half_transparent_png(8, 8), options).error(), "Invalid grid size.");
}

TEST(ImageTextureSource, MaskColourTurnsAnRgbPictureIntoRgba) {
    const Bytes rgb = {255, 0, 255, 10, 20, 30};
    ImageTextureOptions options = without_mipmaps();
    options.mask_color = true;
    auto prepared = prepare_image_texture("a.png", test::rgb_png(2, 1, rgb), options);
    ASSERT_TRUE(prepared) << prepared.error();
    const Image& pixels = prepared.value().pixels;
    EXPECT_EQ(pixels.type(), PixelType::Rgba8);
    EXPECT_EQ(pixels.get_pixel(0, 0), (Rgba{0, 0, 0, 0}));
    EXPECT_EQ(pixels.get_pixel(1, 0), (Rgba{10, 20, 30, 255}));
}

TEST(ImageTextureSource, SixteenBitsMakeRgba5551AndRgb565) {
    ImageTextureOptions options = without_mipmaps();
    options.bits = TextureBits::Packed16OneBitAlpha;
    auto rgba = prepare_image_texture("a.png", half_transparent_png(3, 3), options);
    ASSERT_TRUE(rgba) << rgba.error();
    EXPECT_EQ(rgba.value().pixels.type(), PixelType::Rgba5551);
    EXPECT_EQ(rgba.value().pixels.row_width(), 3);
    EXPECT_EQ(rgba.value().pixels.get_pixel_word(2, 2), pack_5551(100, 50, 25, 128));

    const Bytes white(3 * 4 * 4, 255);
    auto rgb = prepare_image_texture("a.png", test::rgb_png(4, 4, white), options);
    ASSERT_TRUE(rgb) << rgb.error();
    EXPECT_EQ(rgb.value().pixels.type(), PixelType::Rgb565);
    EXPECT_EQ(rgb.value().pixels.get_pixel_word(3, 3), 0xFFFF);
}

TEST(ImageTextureSource, SixteenBitsAfterMaskingPackTheExtendedBlock) {
    ImageTextureOptions options = without_mipmaps();
    options.mask_color = true;
    options.bits = TextureBits::Packed16;
    const Bytes rgb = {255, 0, 255, 255, 255, 255, 255, 255, 255};
    auto prepared = prepare_image_texture("a.png", test::rgb_png(3, 1, rgb), options);
    ASSERT_TRUE(prepared) << prepared.error();
    const Image& pixels = prepared.value().pixels;
    EXPECT_EQ(pixels.type(), PixelType::Rgba4444);
    EXPECT_EQ(pixels.row_width(), 4);
    EXPECT_EQ(pixels.get_pixel_word(0, 0), 0x0000);
    EXPECT_EQ(pixels.get_pixel_word(3, 0), 0xFFFF);
}

TEST(ImageTextureSource, JpegIsAlwaysExtended) {
    auto prepared =
        prepare_image_texture("photo.jpg", test::jpeg_file(20, 12, test::smooth_rgb(20, 12), false), without_mipmaps());
    ASSERT_TRUE(prepared) << prepared.error();
    EXPECT_EQ(prepared.value().image_width, 20);
    EXPECT_EQ(prepared.value().pixels.row_width(), 32);
    EXPECT_EQ(prepared.value().pixels.row_count(), 16);
    EXPECT_EQ(prepared.value().pixels.type(), PixelType::Rgb8);
}

TEST(ImageTextureSource, FileProblemsPassThrough) {
    const Bytes png = half_transparent_png(2, 2);
    EXPECT_EQ(prepare_image_texture("a.PNG", png, without_mipmaps()).error(),
              "Can't determine image format from file 'a.PNG'.");
    EXPECT_EQ(prepare_image_texture("a.png", std::span(png.data(), 20), without_mipmaps()).error(),
              "Error reading PNG file.");
    ImageTextureOptions packed = without_mipmaps();
    packed.bits = TextureBits::Packed16;
    EXPECT_EQ(prepare_image_texture("wide.png", test::rgba_png(2100, 1, Bytes(2100 * 4)), packed).error(),
              "Can't process PNG wider than 2048.");
    EXPECT_EQ(prepare_image_texture("wide.png", test::rgba_png(3000, 1, Bytes(3000 * 4)), without_mipmaps()).error(),
              "Invalid or unsupported texture size 3000x1.");
}

}  // namespace
}  // namespace me
