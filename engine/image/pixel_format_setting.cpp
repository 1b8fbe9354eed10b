#include "image/pixel_format_setting.h"

namespace me {

TextureBitsSetting read_texture_bits(std::string_view textures_format, std::string_view iphone_format) {
    const std::string_view value = textures_format == "iphone" ? iphone_format : textures_format;
    if (value.empty() || value == "32") return {TextureBits::Full32, false};
    if (value == "16" || value == "565" || value == "4444") return {TextureBits::Packed16, false};
    if (value == "5551") return {TextureBits::Packed16OneBitAlpha, false};
    return {TextureBits::Full32, true};
}

}  // namespace me
