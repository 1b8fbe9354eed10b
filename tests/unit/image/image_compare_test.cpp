#include <gtest/gtest.h>

#include "image/image_compare.h"

namespace me {
namespace {

Image solid(int width, int height, PixelType type, uint8_t value) {
    Image image(width, height, type);
    std::fill(image.pixels(), image.pixels() + image.byte_size(), value);
    return image;
}

TEST(ImageCompare, IdenticalPicturesDoNotDiffer) {
    const ImageDifference difference = compare_images(solid(4, 4, PixelType::Rgba8, 9), solid(4, 4, PixelType::Rgba8, 9), 0);
    EXPECT_TRUE(difference.comparable);
    EXPECT_EQ(difference.largest_channel_difference, 0);
    EXPECT_EQ(difference.differing_pixels, 0u);
}

TEST(ImageCompare, CountsPixelsBeyondTheToleranceAndTheLargestDifference) {
    Image a = solid(3, 2, PixelType::Rgba8, 100);
    Image b = solid(3, 2, PixelType::Rgba8, 100);
    b.row(0)[2] = 103;        // pixel (0, 0) blue +3
    b.row(1)[4 + 3] = 90;     // pixel (1, 1) alpha -10
    const ImageDifference loose = compare_images(a, b, 3);
    EXPECT_EQ(loose.largest_channel_difference, 10);
    EXPECT_EQ(loose.differing_pixels, 1u);
    EXPECT_EQ(compare_images(a, b, 2).differing_pixels, 2u);
    EXPECT_EQ(compare_images(a, b, 10).differing_pixels, 0u);
}

TEST(ImageCompare, RgbCountsAsOpaqueAgainstRgba) {
    const Image rgb = solid(2, 2, PixelType::Rgb8, 50);
    Image rgba = solid(2, 2, PixelType::Rgba8, 50);
    for (int i = 3; i < 16; i += 4) rgba.pixels()[i] = 255;
    EXPECT_EQ(compare_images(rgb, rgba, 0).differing_pixels, 0u);
    rgba.pixels()[3] = 0;
    EXPECT_EQ(compare_images(rgb, rgba, 0).largest_channel_difference, 255);
}

TEST(ImageCompare, PaddingIsIgnored) {
    Image a = solid(3, 3, PixelType::Rgb8, 7);
    a.extend_to_power_of_two();
    std::fill(a.row(3), a.row(3) + a.row_bytes(), uint8_t{200});
    EXPECT_EQ(compare_images(a, solid(3, 3, PixelType::Rgb8, 7), 0).differing_pixels, 0u);
}

TEST(ImageCompare, DifferentSizesOrPackedPicturesAreNotComparable) {
    EXPECT_FALSE(compare_images(solid(3, 2, PixelType::Rgb8, 0), solid(2, 3, PixelType::Rgb8, 0), 0).comparable);
    EXPECT_FALSE(compare_images(solid(2, 2, PixelType::Rgb565, 0), solid(2, 2, PixelType::Rgb565, 0), 0).comparable);
}

}  // namespace
}  // namespace me
