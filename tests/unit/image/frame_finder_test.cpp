#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "image/frame_finder.h"

namespace me {
namespace {

constexpr char kMagenta = '#';

// Rows of characters: '#' is a separator pixel, anything else a picture pixel.
Image sheet(const std::vector<std::string>& rows) {
    const int width = static_cast<int>(rows.front().size());
    Image image(width, static_cast<int>(rows.size()), PixelType::Rgb8);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* pixel = image.row(y) + x * 3;
            const bool separator = rows[static_cast<size_t>(y)][static_cast<size_t>(x)] == kMagenta;
            pixel[0] = 255;
            pixel[1] = separator ? 0 : 1;
            pixel[2] = 255;
        }
    return image;
}

FrameRect rect(float x, float y, float w, float h) { return {x, y, w, h, 0, 0}; }

TEST(FramesOfSize, CutsWholeFramesRowByRow) {
    auto frames = frames_of_size(64, 48, 16, 16, {3, 4});
    ASSERT_TRUE(frames) << frames.error();
    ASSERT_EQ(frames.value().size(), 12u);
    EXPECT_EQ(frames.value()[5], (FrameRect{16, 16, 16, 16, 3, 4}));
    EXPECT_EQ(frames.value()[3], (FrameRect{48, 0, 16, 16, 3, 4}));
    EXPECT_EQ(frames.value()[11], (FrameRect{48, 32, 16, 16, 3, 4}));
}

TEST(FramesOfSize, PartialFramesAtTheEdgesAreDropped) {
    auto frames = frames_of_size(70, 40, 16, 16, {});
    ASSERT_TRUE(frames);
    EXPECT_EQ(frames.value().size(), 8u);
    auto larger = frames_of_size(10, 10, 16, 16, {});
    ASSERT_TRUE(larger);
    EXPECT_TRUE(larger.value().empty());
}

TEST(FramesOfSize, BothSizesNotPositiveIsRefused) {
    EXPECT_EQ(frames_of_size(64, 48, 0, 0, {}).error(), "Invalid frame size.");
    EXPECT_EQ(frames_of_size(64, 48, -4, 0, {}).error(), "Invalid frame size.");
}

TEST(FramesOfSize, OneSizeNotPositiveGivesNoFrames) {
    for (auto [w, h] : {std::pair{0, 16}, std::pair{16, 0}, std::pair{-3, 16}, std::pair{16, -1}}) {
        auto frames = frames_of_size(64, 48, w, h, {});
        ASSERT_TRUE(frames) << w << "x" << h;
        EXPECT_TRUE(frames.value().empty()) << w << "x" << h;
    }
}

TEST(FramesOfGrid, SplitsThePictureEvenlyWithRealSizes) {
    auto frames = frames_of_grid(100, 30, 3, 2, {1, 2});
    ASSERT_TRUE(frames) << frames.error();
    ASSERT_EQ(frames.value().size(), 6u);
    const float width = 100.0f / 3.0f;
    EXPECT_EQ(frames.value()[0], (FrameRect{0, 0, width, 15, 1, 2}));
    EXPECT_EQ(frames.value()[2], (FrameRect{2 * width, 0, width, 15, 1, 2}));
    EXPECT_EQ(frames.value()[4], (FrameRect{width, 15, width, 15, 1, 2}));
}

TEST(FramesOfGrid, CountsAreFlooredAndMustBePositive) {
    EXPECT_EQ(frames_of_grid(64, 64, 2.9, 1.5, {}).value().size(), 2u);
    EXPECT_TRUE(frames_of_grid(64, 64, 0.9, 4, {}).value().empty());
    EXPECT_TRUE(frames_of_grid(64, 64, 4, -2, {}).value().empty());
    EXPECT_TRUE(frames_of_grid(64, 64, std::numeric_limits<double>::quiet_NaN(), 2, {}).value().empty());
}

TEST(FramesOfGrid, MoreCellsThanPixelsIsRefused) {
    EXPECT_EQ(frames_of_grid(64, 64, 65, 1, {}).error(), "Invalid grid size.");
    EXPECT_EQ(frames_of_grid(64, 64, 1, 1e12, {}).error(), "Invalid grid size.");
    EXPECT_EQ(frames_of_grid(64, 64, std::numeric_limits<double>::infinity(), 1, {}).error(), "Invalid grid size.");
    EXPECT_EQ(frames_of_grid(64, 64, 64, 64, {}).value().size(), 64u * 64u);
}

TEST(ExtractFrames, PictureWithoutSeparatorsIsOneFrame) {
    const auto frames = extract_separated_frames(sheet({"....", "....", "...."}));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], rect(0, 0, 4, 3));
}

TEST(ExtractFrames, SeparatorLinesBetweenFramesOfARow) {
    const auto frames = extract_separated_frames(sheet({
        "..#...#.",
        "..#...#.",
        "########",
        ".#......",
    }));
    ASSERT_EQ(frames.size(), 5u);
    EXPECT_EQ(frames[0], rect(0, 0, 2, 2));
    EXPECT_EQ(frames[1], rect(3, 0, 3, 2));
    EXPECT_EQ(frames[2], rect(7, 0, 1, 2));
    EXPECT_EQ(frames[3], rect(0, 3, 1, 1));
    EXPECT_EQ(frames[4], rect(2, 3, 6, 1));
}

TEST(ExtractFrames, NextRowStartsBelowTheTallestFrame) {
    const auto frames = extract_separated_frames(sheet({
        "..#...",
        "###...",
        "..#...",
        "######",
        "......",
    }));
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0], rect(0, 0, 2, 1));
    EXPECT_EQ(frames[1], rect(3, 0, 3, 3));
    EXPECT_EQ(frames[2], rect(0, 4, 6, 1));
}

TEST(ExtractFrames, MagentaCornerEndsTheRowAndTheScanMovesDownOnePixel) {
    const auto frames = extract_separated_frames(sheet({
        "#...",
        "....",
    }));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], rect(0, 1, 4, 1));
}

TEST(ExtractFrames, AllMagentaOrEmptyGivesNoFrames) {
    EXPECT_TRUE(extract_separated_frames(sheet({"###", "###"})).empty());
    EXPECT_TRUE(extract_separated_frames(Image()).empty());
}

TEST(ExtractFrames, PaddingOfAnExtendedImageIsNotScanned) {
    Image image = sheet({"...", "..."});
    image.extend_to_power_of_two();
    const auto frames = extract_separated_frames(image);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], rect(0, 0, 3, 2));
}

TEST(ExtractFrames, AlphaDoesNotHideTheSeparator) {
    Image image(3, 1, PixelType::Rgba8);
    const uint8_t pixels[] = {1, 1, 1, 255, 255, 0, 255, 0, 1, 1, 1, 0};
    std::copy(std::begin(pixels), std::end(pixels), image.pixels());
    const auto frames = extract_separated_frames(image);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1], rect(2, 0, 1, 1));
}

TEST(ExtractFramesDeathTest, PackedImageIsFatal) {
    Image image(2, 2, PixelType::Rgba4444);
    EXPECT_EXIT(extract_separated_frames(image), testing::ExitedWithCode(1), "");
}

}  // namespace
}  // namespace me
