#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "image/png_decoder.h"
#include "image/png_writer.h"
#include "image_test_files.h"

namespace me {
namespace {

using test::Bytes;

Bytes read_all(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(PngWriter, WrittenFileDecodesToTheSamePixels) {
    const auto path = std::filesystem::temp_directory_path() / "quillmoor_png_writer_test.png";
    const Bytes rgba = test::gradient_pixels(33, 17, 4);
    ASSERT_TRUE(write_png(path.string(), 33, 17, rgba));
    auto decoded = decode_png(read_all(path));
    std::filesystem::remove(path);
    ASSERT_TRUE(decoded) << decoded.error();
    ASSERT_EQ(decoded.value().byte_size(), rgba.size());
    EXPECT_TRUE(std::equal(rgba.begin(), rgba.end(), decoded.value().pixels()));
}

TEST(PngWriter, RefusesPixelsThatDoNotMatchTheSize) {
    const auto path = std::filesystem::temp_directory_path() / "quillmoor_png_writer_short.png";
    EXPECT_FALSE(write_png(path.string(), 4, 4, Bytes(63)));
    EXPECT_FALSE(write_png(path.string(), 0, 4, Bytes()));
    EXPECT_FALSE(write_png(path.string(), -2, 4, Bytes(32)));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(PngWriter, UnwritablePathFails) {
    EXPECT_FALSE(write_png("/nonexistent-directory/shot.png", 1, 1, Bytes(4)));
}

TEST(PngWriter, RowBytesPackSmallSamples) {
    PngLayout layout;
    layout.width = 9;
    layout.color = PngColor::Grey;
    layout.bit_depth = 1;
    EXPECT_EQ(png_row_bytes(layout), 2u);
    layout.bit_depth = 16;
    EXPECT_EQ(png_row_bytes(layout), 18u);
    layout.color = PngColor::Rgba;
    EXPECT_EQ(png_row_bytes(layout), 72u);
}

TEST(PngWriter, LayoutsLibpngWouldRejectAreRefusedFirst) {
    const Bytes row(64, 0);
    PngLayout layout;
    layout.width = 2;
    layout.height = 1;
    layout.bit_depth = 4;  // RGBA needs 8 or 16
    EXPECT_EQ(encode_png(layout, std::span(row.data(), png_row_bytes(layout))).error(), "Invalid PNG layout.");
    layout.color = PngColor::Palette;
    layout.bit_depth = 1;
    layout.palette = {0, 0, 0, 1, 1, 1, 2, 2, 2};  // three entries do not fit one bit
    EXPECT_EQ(encode_png(layout, std::span(row.data(), 1)).error(), "Invalid PNG layout.");
    layout.palette.resize(6);
    layout.transparency = {0, 0, 0};  // more alphas than entries
    EXPECT_EQ(encode_png(layout, std::span(row.data(), 1)).error(), "Invalid PNG layout.");
    layout.transparency = {0};
    EXPECT_TRUE(encode_png(layout, std::span(row.data(), 1)));
    EXPECT_EQ(encode_png(layout, std::span(row.data(), 2)).error(), "PNG rows do not match the layout.");
}

}  // namespace
}  // namespace me
