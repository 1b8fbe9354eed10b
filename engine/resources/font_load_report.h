#pragma once

#include <string_view>

#include "resources/font_descriptor.h"

namespace me {

// Logs what reading the descriptor of font_name gave: each warning, or the
// error line followed, for a descriptor that could not be parsed, by
// "Unable to load font '<name>'.". True when the font loaded.
bool report_font_descriptor(const FontDescriptorResult& result, std::string_view font_name);

}  // namespace me
