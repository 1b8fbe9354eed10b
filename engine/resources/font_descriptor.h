#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "resources/font_data.h"

namespace me {

// An empty file is refused before parsing, so it is not reported as a font
// that could not be parsed.
inline constexpr std::string_view kEmptyFontFileMessage = "Empty font file.";

// The outcome of reading a font descriptor: the font, or the error line that
// the font resource logs before "Unable to load font"; warnings come with a
// font that loaded and are logged by the caller too.
struct FontDescriptorResult {
    std::optional<FontData> font;
    std::string error;
    std::vector<std::string> warnings;

    bool ok() const { return font.has_value(); }
};

// Reads a text font descriptor with one page. The bytes are untrusted: every
// code, count, size and rectangle is checked against what the font has
// before it is stored.
FontDescriptorResult parse_font_descriptor(std::string_view text);

}  // namespace me
