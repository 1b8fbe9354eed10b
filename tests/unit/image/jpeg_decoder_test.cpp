#include <gtest/gtest.h>

#include "image/image_compare.h"
#include "image/jpeg_decoder.h"
#include "image_test_files.h"

namespace me {
namespace {

using test::Bytes;

Image rgb_image(uint32_t width, uint32_t height, const Bytes& rgb) {
    Image image(static_cast<int>(width), static_cast<int>(height), PixelType::Rgb8);
    std::copy(rgb.begin(), rgb.end(), image.pixels());
    return image;
}

TEST(JpegDecoder, ColourFileDecodesCloseToItsSource) {
    const Bytes rgb = test::smooth_rgb(40, 24);
    auto decoded = decode_jpeg(test::jpeg_file(40, 24, rgb, false));
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_EQ(decoded.value().type(), PixelType::Rgb8);
    EXPECT_EQ(decoded.value().width(), 40);
    EXPECT_EQ(decoded.value().height(), 24);
    const ImageDifference difference = compare_images(decoded.value(), rgb_image(40, 24, rgb), 8);
    EXPECT_TRUE(difference.comparable);
    EXPECT_EQ(difference.differing_pixels, 0u) << "largest difference " << difference.largest_channel_difference;
}

TEST(JpegDecoder, RowsAreNotFlipped) {
    Bytes rgb(8 * 16 * 3, 0);
    std::fill(rgb.begin(), rgb.begin() + 8 * 8 * 3, uint8_t{255});  // white top half, black bottom
    auto decoded = decode_jpeg(test::jpeg_file(8, 16, rgb, false));
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_GT(decoded.value().get_pixel(4, 2).r, 240);
    EXPECT_LT(decoded.value().get_pixel(4, 13).r, 15);
}

TEST(JpegDecoder, ProgressiveFileDecodes) {
    const Bytes rgb = test::smooth_rgb(32, 16);
    auto decoded = decode_jpeg(test::jpeg_file(32, 16, rgb, false, 100, true));
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_EQ(compare_images(decoded.value(), rgb_image(32, 16, rgb), 8).differing_pixels, 0u);
}

TEST(JpegDecoder, ProgressiveFileRepeatingItsLastScanIsRefused) {
    const Bytes file = test::jpeg_file(8, 8, Bytes(64, 99), true, 90, true);
    size_t last_scan = 0;
    for (size_t i = 0; i + 1 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xDA) last_scan = i;
    ASSERT_GT(last_scan, 0u);
    const size_t end_marker = file.size() - 2;
    Bytes bomb(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(end_marker));
    for (int copy = 0; copy < 600; ++copy)
        bomb.insert(bomb.end(), file.begin() + static_cast<std::ptrdiff_t>(last_scan),
                    file.begin() + static_cast<std::ptrdiff_t>(end_marker));
    bomb.insert(bomb.end(), {0xFF, 0xD9});
    EXPECT_EQ(decode_jpeg(bomb).error(), "Error reading JPEG file.");
}

TEST(JpegDecoder, GreyFileBecomesRgb) {
    const Bytes grey(16 * 8, 77);
    auto decoded = decode_jpeg(test::jpeg_file(16, 8, grey, true));
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_EQ(decoded.value().type(), PixelType::Rgb8);
    const Rgba pixel = decoded.value().get_pixel(3, 3);
    EXPECT_NEAR(pixel.r, 77, 2);
    EXPECT_EQ(pixel.r, pixel.g);
    EXPECT_EQ(pixel.g, pixel.b);
}

TEST(JpegDecoder, PictureLargerThanTheLimitIsRefusedWithItsSize) {
    const Bytes wide = test::jpeg_file(3000, 8, Bytes(3000 * 8 * 3, 50), false, 50);
    EXPECT_EQ(decode_jpeg(wide).error(), "Invalid or unsupported texture size 3000x8.");
    const Bytes largest = test::jpeg_file(2048, 8, Bytes(2048 * 8 * 3, 50), false, 50);
    EXPECT_TRUE(decode_jpeg(largest));
}

TEST(JpegDecoder, BytesThatAreNotAJpegFail) {
    EXPECT_EQ(decode_jpeg({}).error(), "Error reading JPEG file.");
    const Bytes png_signature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    EXPECT_EQ(decode_jpeg(png_signature).error(), "Error reading JPEG file.");
}

TEST(JpegDecoder, EveryTruncationFailsCleanly) {
    const Bytes file = test::jpeg_file(24, 16, test::smooth_rgb(24, 16), false, 90);
    ASSERT_GT(file.size(), 100u);
    for (size_t length = 0; length < file.size(); ++length)
        EXPECT_EQ(decode_jpeg(std::span(file.data(), length)).error(), "Error reading JPEG file.")
            << "length " << length;
    EXPECT_TRUE(decode_jpeg(file));
}

TEST(JpegDecoder, DamagedHeaderFails) {
    Bytes file = test::jpeg_file(16, 16, test::smooth_rgb(16, 16), false);
    // The start-of-frame marker's precision byte; anything but 8 (or 12) is refused.
    for (size_t i = 0; i + 4 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xC0) {
            file[i + 4] = 3;
            break;
        }
    EXPECT_EQ(decode_jpeg(file).error(), "Error reading JPEG file.");
}

}  // namespace
}  // namespace me
