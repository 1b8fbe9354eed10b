#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace me::font_tool {

// A glyph's coverage bitmap (one byte per pixel, rows top first) with its
// metrics in pixels; x and y are its place on the page once packed.
struct RenderedGlyph {
    int code = 0;
    int width = 0;
    int height = 0;
    int x_offset = 0;
    int y_offset = 0;
    int x_advance = 0;
    std::vector<uint8_t> coverage;
    int x = 0;
    int y = 0;
};

struct RenderedKerning {
    int first = 0;
    int second = 0;
    int amount = 0;
};

struct RenderedFont {
    std::string family;
    int pixel_size = 0;
    int line_height = 0;
    int base = 0;
    std::vector<RenderedGlyph> glyphs;      // by ascending code
    std::vector<RenderedKerning> kerning;   // grouped by first code
    std::vector<int> missing_codes;         // asked for but not in the font
    bool kerning_truncated = false;
};

}  // namespace me::font_tool
