#pragma once

#include <string>

#include "font/glyph_packer.h"
#include "font/rendered_font.h"

namespace me::font_tool {

// The text font descriptor of a packed font whose page is page_file.
std::string font_descriptor_text(const RenderedFont& font, PageSize page, const std::string& page_file);

}  // namespace me::font_tool
