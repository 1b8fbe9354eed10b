#pragma once

#include <optional>
#include <string>
#include <vector>

#include "font/rendered_font.h"

namespace me::font_tool {

// The engine indexes a glyph's kerning block in 16 signed bits.
inline constexpr size_t kMaxKerningPairs = 32767;

// Renders the codes that the font has at pixel_size with FreeType, and the
// kerning between them when the font carries a kerning table. On failure
// returns nothing and sets error.
std::optional<RenderedFont> rasterize_font(const std::string& font_path, int pixel_size,
                                           const std::vector<int>& codes, std::string& error);

}  // namespace me::font_tool
