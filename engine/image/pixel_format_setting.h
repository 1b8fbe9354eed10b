#pragma once

#include <string_view>

namespace me {

// How many bits per texel image textures are uploaded with.
enum class TextureBits { Full32, Packed16, Packed16OneBitAlpha };

struct TextureBitsSetting {
    TextureBits bits = TextureBits::Full32;
    // The value named no known format; the caller warns "Invalid textures_format cvar.".
    bool invalid = false;
};

// Reads the textures_format configuration value; "iphone" defers to the
// texture def's own format (iphone_format, "16" when the def names none).
TextureBitsSetting read_texture_bits(std::string_view textures_format, std::string_view iphone_format);

}  // namespace me
