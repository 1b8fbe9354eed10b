#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "font/glyph_packer.h"
#include "font/rendered_font.h"

namespace me::font_tool {

// The page as RGBA rows, top first: white everywhere, alpha the glyphs'
// coverage at their packed places.
std::vector<uint8_t> compose_page(const std::vector<RenderedGlyph>& glyphs, PageSize page);

// Writes RGBA rows as an 8-bit PNG; false with error set when it cannot.
bool write_page_png(const std::string& path, const std::vector<uint8_t>& rgba, PageSize page, std::string& error);

}  // namespace me::font_tool
