#pragma once

#include <optional>
#include <vector>

#include "font/rendered_font.h"

namespace me::font_tool {

// Empty pixels kept around every glyph so that filtering never blends in a
// neighbour.
inline constexpr int kGlyphSpacing = 1;

struct PageSize {
    int width = 0;
    int height = 0;
};

// Finds the smallest power-of-two page, no side above max_side, that holds
// every glyph and sets each glyph's place on it; nothing when none does.
std::optional<PageSize> pack_glyphs(std::vector<RenderedGlyph>& glyphs, int max_side);

}  // namespace me::font_tool
