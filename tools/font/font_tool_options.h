#pragma once

#include <optional>
#include <string>
#include <vector>

namespace me::font_tool {

inline constexpr int kMinPixelSize = 1;
inline constexpr int kMaxPixelSize = 256;
inline constexpr int kMinPageSide = 16;
// The largest picture the engine decodes.
inline constexpr int kMaxPageSide = 2048;
// The engine's text is 16-bit code units.
inline constexpr int kMaxCharacterCode = 0xFFFF;
inline constexpr const char* kDefaultCharacters = "32-126";

struct FontToolOptions {
    std::string font_path;
    int pixel_size = 0;
    std::string out_name;
    std::vector<int> codes;  // ascending, without repeats
    int max_page_side = kMaxPageSide;
    bool help = false;
};

// Reads the command line (without the program name). On failure returns
// nothing and sets error to a one-line explanation.
std::optional<FontToolOptions> parse_font_tool_options(const std::vector<std::string>& arguments,
                                                       std::string& error);

// "32-126,0xA0-0xFF,8364": single codes or inclusive ranges, decimal or
// hexadecimal, each within 0 … kMaxCharacterCode.
std::optional<std::vector<int>> parse_character_ranges(const std::string& text, std::string& error);

const char* font_tool_usage();

}  // namespace me::font_tool
