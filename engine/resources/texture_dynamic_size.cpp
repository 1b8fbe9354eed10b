#include "resources/texture_dynamic_size.h"

#include <array>
#include <cstdint>
#include <string>

#include "app/log.h"

namespace me {

namespace {

struct FormatName {
    const char* name;
    DynamicTextureFormat format;
    int bytes_per_texel;
};

constexpr std::array kFormats{
    FormatName{"rgb", DynamicTextureFormat::Rgb, 3},
    FormatName{"rgba", DynamicTextureFormat::Rgba, 4},
    FormatName{"rgba16f", DynamicTextureFormat::Rgba16f, 8},
    FormatName{"luminance16", DynamicTextureFormat::Luminance16, 2},
};

constexpr SQInteger kNoSize = 0;

bool fits_int(SQInteger value) { return value >= 1 && value <= INT32_MAX; }

}  // namespace

std::optional<DynamicTextureSize> read_dynamic_texture_size(const DefReader& def) {
    const SQInteger width = def.integer("width", kNoSize);
    const SQInteger height = def.integer("height", kNoSize);
    if (!fits_int(width) || !fits_int(height)) {
        log_error("Invalid dynamic texture size.");
        return std::nullopt;
    }
    const SQInteger image_width = def.integer("image_width", width);
    const SQInteger image_height = def.integer("image_height", height);
    if (image_width <= 0 || image_height <= 0 || image_width > width || image_height > height) {
        log_error("Invalid dynamic texture image size.");
        return std::nullopt;
    }
    const std::string format = def.string("format");
    for (const FormatName& known : kFormats)
        if (format == known.name)
            return DynamicTextureSize{static_cast<int>(width), static_cast<int>(height),
                                      static_cast<int>(image_width), static_cast<int>(image_height), known.format,
                                      known.bytes_per_texel};
    log_error(format_message("Invalid format %1 of dynamic texture.", format));
    return std::nullopt;
}

}  // namespace me
