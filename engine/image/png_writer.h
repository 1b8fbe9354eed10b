#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "image/image_result.h"

namespace me {

enum class PngColor { Grey, GreyAlpha, Palette, Rgb, Rgba };

// The form of the PNG file to write. Rows are packed as the file stores them:
// samples of less than 8 bits share bytes, 16-bit samples are big-endian.
struct PngLayout {
    uint32_t width = 0;
    uint32_t height = 0;
    PngColor color = PngColor::Rgba;
    int bit_depth = 8;
    bool interlaced = false;
    std::vector<uint8_t> palette;       // RGB triples; palette images only
    std::vector<uint8_t> transparency;  // alpha per palette entry (tRNS); palette images only
};

size_t png_row_bytes(const PngLayout& layout);

// Encodes rows (top row first, png_row_bytes each) into a PNG file in memory.
ImageResult<std::vector<uint8_t>> encode_png(const PngLayout& layout, std::span<const uint8_t> rows);

// Writes an 8-bit RGBA picture, top row first, as a PNG file: screenshots and
// reference pictures. Logs why and returns false when it cannot.
bool write_png(const std::string& path, int width, int height, std::span<const uint8_t> rgba);

}  // namespace me
