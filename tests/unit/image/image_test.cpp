#include <gtest/gtest.h>

#include "image/image.h"
#include "image/image_file.h"
#include "image_test_files.h"

namespace me {
namespace {

using test::Bytes;

Image filled(int width, int height, PixelType type) {
    Image image(width, height, type);
    const int channels = bytes_per_pixel(type);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) image.row(y)[x * channels + c] = static_cast<uint8_t>(x + 16 * y + c);
    return image;
}

TEST(Image, SizesFollowThePixelType) {
    const int expected_bytes[] = {3, 4, 2, 2, 2};
    for (int type = 0; type <= 4; ++type) {
        const Image image(5, 3, static_cast<PixelType>(type));
        EXPECT_EQ(image.row_width(), 5);
        EXPECT_EQ(image.row_count(), 3);
        EXPECT_EQ(image.byte_size(), 15u * static_cast<size_t>(expected_bytes[type])) << "type " << type;
        EXPECT_EQ(is_16_bit(image.type()), type >= 2);
    }
    const Image negative(-4, 2, PixelType::Rgb8);
    EXPECT_EQ(negative.width(), 0);
    EXPECT_EQ(negative.byte_size(), 0u);
}

TEST(Image, NextPowerOfTwo) {
    EXPECT_EQ(next_power_of_two(0), 1);
    EXPECT_EQ(next_power_of_two(1), 1);
    EXPECT_EQ(next_power_of_two(2), 2);
    EXPECT_EQ(next_power_of_two(3), 4);
    EXPECT_EQ(next_power_of_two(300), 512);
    EXPECT_EQ(next_power_of_two(2048), 2048);
    EXPECT_EQ(next_power_of_two(2049), 4096);
}

TEST(Image, ExtensionRepeatsTheLastRowAndTheLastPixelOfEachRow) {
    Image image = filled(300, 200, PixelType::Rgba8);
    image.extend_to_power_of_two();
    EXPECT_EQ(image.width(), 300);
    EXPECT_EQ(image.height(), 200);
    EXPECT_EQ(image.row_width(), 512);
    EXPECT_EQ(image.row_count(), 256);
    EXPECT_EQ(image.byte_size(), 512u * 256u * 4u);
    const Image original = filled(300, 200, PixelType::Rgba8);
    EXPECT_EQ(image.get_pixel(123, 45), original.get_pixel(123, 45));
    EXPECT_EQ(image.get_pixel(511, 45), original.get_pixel(299, 45));
    EXPECT_EQ(image.get_pixel(300, 0), original.get_pixel(299, 0));
    EXPECT_EQ(image.get_pixel(17, 255), original.get_pixel(17, 199));
    EXPECT_EQ(image.get_pixel(511, 255), original.get_pixel(299, 199));
}

TEST(Image, ExtensionKeepsPowersOfTwoAndWorksOnRgb) {
    Image square = filled(64, 32, PixelType::Rgb8);
    const Bytes before(square.pixels(), square.pixels() + square.byte_size());
    square.extend_to_power_of_two();
    EXPECT_EQ(square.row_width(), 64);
    EXPECT_EQ(Bytes(square.pixels(), square.pixels() + square.byte_size()), before);

    Image rgb = filled(3, 1, PixelType::Rgb8);
    rgb.extend_to_power_of_two();
    EXPECT_EQ(rgb.row_width(), 4);
    EXPECT_EQ(rgb.row_count(), 1);
    EXPECT_EQ(rgb.get_pixel(3, 0), (Rgba{2, 3, 4, 255}));
}

TEST(Image, PixelsOutsideTheBlockReadAsTransparentBlack) {
    const Image image = filled(2, 2, PixelType::Rgb8);
    EXPECT_EQ(image.get_pixel(-1, 0), Rgba{});
    EXPECT_EQ(image.get_pixel(2, 0), Rgba{});
    EXPECT_EQ(image.get_pixel(0, 2), Rgba{});
    EXPECT_EQ(image.get_pixel(1, 1), (Rgba{17, 18, 19, 255}));
    EXPECT_EQ(image.get_pixel_word(0, 0), 0) << "8-bit images have no packed words";
}

TEST(Image, ReplacingPixelsNeedsTheRightByteCount) {
    Image image = filled(2, 2, PixelType::Rgb8);
    EXPECT_FALSE(image.replace_pixels(PixelType::Rgb565, Bytes(7)));
    EXPECT_EQ(image.type(), PixelType::Rgb8);
    EXPECT_TRUE(image.replace_pixels(PixelType::Rgb565, Bytes(8, 0xAB)));
    EXPECT_EQ(image.get_pixel_word(1, 1), 0xABAB);
}

TEST(ImageDeathTest, PackedImagesCannotBeExtendedOrRead) {
    Image image(3, 3, PixelType::Rgb565);
    EXPECT_EXIT(image.extend_to_power_of_two(), testing::ExitedWithCode(1), "");
    EXPECT_EXIT(image.get_pixel(0, 0), testing::ExitedWithCode(1), "");
}

TEST(ImageFile, KindComesFromTheExactEndOfTheName) {
    EXPECT_EQ(image_file_kind("hero.png"), ImageFileKind::Png);
    EXPECT_EQ(image_file_kind("dir/hero.jpg"), ImageFileKind::Jpeg);
    EXPECT_EQ(image_file_kind("hero.jpeg"), ImageFileKind::Jpeg);
    EXPECT_EQ(image_file_kind("png"), ImageFileKind::Png);
    EXPECT_EQ(image_file_kind("hero.PNG"), ImageFileKind::Unknown);
    EXPECT_EQ(image_file_kind("hero.Jpg"), ImageFileKind::Unknown);
    EXPECT_EQ(image_file_kind("hero.gif"), ImageFileKind::Unknown);
    EXPECT_EQ(image_file_kind(""), ImageFileKind::Unknown);
    EXPECT_TRUE(is_dds_file_name("sky.dds"));
    EXPECT_TRUE(is_dds_file_name(".dds"));
    EXPECT_FALSE(is_dds_file_name("dds"));
    EXPECT_FALSE(is_dds_file_name("sky.DDS"));
}

TEST(ImageFile, UnknownFormatNamesTheFile) {
    const Bytes file = test::rgb_png(2, 2, Bytes(12, 1));
    EXPECT_EQ(decode_image_file("hero.PNG", file).error(), "Can't determine image format from file 'hero.PNG'.");
}

TEST(ImageFile, PngIsDecodedAndExtended) {
    const Bytes file = test::rgba_png(300, 200, test::gradient_pixels(300, 200, 4));
    auto decoded = decode_image_file("sheet.png", file);
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_EQ(decoded.value().width(), 300);
    EXPECT_EQ(decoded.value().height(), 200);
    EXPECT_EQ(decoded.value().row_width(), 512);
    EXPECT_EQ(decoded.value().row_count(), 256);
}

TEST(ImageFile, JpegIsDecodedAndExtended) {
    const Bytes file = test::jpeg_file(20, 10, test::smooth_rgb(20, 10), false);
    auto decoded = decode_image_file("photo.jpeg", file);
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_EQ(decoded.value().type(), PixelType::Rgb8);
    EXPECT_EQ(decoded.value().row_width(), 32);
    EXPECT_EQ(decoded.value().row_count(), 16);
}

TEST(ImageFile, DecoderErrorsPassThrough) {
    const Bytes file = test::jpeg_file(20, 10, test::smooth_rgb(20, 10), false);
    EXPECT_EQ(decode_image_file("photo.png", file).error(), "Error reading PNG file.");
    EXPECT_EQ(decode_image_file("photo.jpg", std::span(file.data(), 50)).error(), "Error reading JPEG file.");
}

}  // namespace
}  // namespace me
