#pragma once

#include <array>
#include <string_view>

#include "core/application.h"
#include "resources/font_data.h"
#include "resources/text_layout_mesh.h"

namespace me {

enum class TextAlignment : int { Left = 0, Right = 1, Centre = 2 };

using TextPalette = std::array<Color, Application::kTextColorCount>;

// The escape that switches the colour: this character and a palette digit.
inline constexpr char16_t kTextColorEscape = u'^';
inline constexpr char16_t kTextLineFeed = u'\n';
// Characters up to this code separate words and are words of their own.
inline constexpr char16_t kTextLastSpaceCode = 32;

// Lays text out in the font into mesh, replacing what it held. A negative
// wrap width lays every line out whole; otherwise words that would cross it
// start a new line, though the first word of a line always stays. Lines are
// aligned within the widest line, or within the wrap width when wrapping.
// Alignment values outside the enumeration align left.
void layout_text(std::u16string_view text, const FontData& font, float wrap_width, TextAlignment alignment,
                 float scale, const TextPalette& palette, TextMesh& mesh);

// The palette that System.set_text_color fills: the application's, or all
// opaque white while there is no application.
const TextPalette& application_text_palette();

}  // namespace me
