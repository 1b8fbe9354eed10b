#include "resources/texture_def.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <string>

#include "core/cvar_registry.h"
#include "core/log.h"
#include "gpu/texture_flags.h"
#include "resources/resource_def_reader.h"

namespace me {

namespace {

struct FlagKey {
    const char* key;
    uint32_t flag;
    bool fallback;
};

constexpr std::array kFlagKeys{
    FlagKey{"premultiply_alpha", texture_flags::kPremultiplyAlpha, true},
    FlagKey{"mipmaps", texture_flags::kMipmaps, true},
    FlagKey{"clampuv", texture_flags::kClampUv, false},
    FlagKey{"mask_color", texture_flags::kMaskColor, false},
    FlagKey{"extract_frames", texture_flags::kExtractFrames, false},
    FlagKey{"dynamic", texture_flags::kDynamic, false},
    FlagKey{"cube_map", texture_flags::kCubeMap, false},
    FlagKey{"scale2x", texture_flags::kScale2x, false},
};

// The two numbers of a [a, b] array; null unless it has two numeric elements.
std::optional<std::array<SQFloat, 2>> number_pair(HSQUIRRELVM vm, const ScriptObject& array) {
    if (array.type() != OT_ARRAY)
        return std::nullopt;
    const SQInteger top = sq_gettop(vm);
    array.push(vm);
    std::optional<std::array<SQFloat, 2>> pair;
    if (sq_getsize(vm, -1) == 2) {
        pair.emplace();
        for (SQInteger index = 0; index < 2 && pair; ++index) {
            sq_pushinteger(vm, index);
            const bool numeric = SQ_SUCCEEDED(sq_rawget(vm, -2)) &&
                                 (sq_gettype(vm, -1) == OT_INTEGER || sq_gettype(vm, -1) == OT_FLOAT);
            if (numeric)
                sq_getfloat(vm, -1, &(*pair)[static_cast<size_t>(index)]);
            else
                pair.reset();
            sq_settop(vm, top + 1);
        }
    }
    sq_settop(vm, top);
    return pair;
}

std::optional<FrameSize> read_frame_size(HSQUIRRELVM vm, const ScriptObject& def) {
    const DefReader reader(vm, def);
    if (auto size = number_pair(vm, reader.array("frame_size")))
        return FrameSize{static_cast<int>((*size)[0]), static_cast<int>((*size)[1])};
    if (!reader.has("frame_width") || !reader.has("frame_height"))
        return std::nullopt;
    log_warning("Please replace frame_width and frame_height by frame_size in texture def!");
    return FrameSize{static_cast<int>(reader.integer("frame_width", 0)),
                     static_cast<int>(reader.integer("frame_height", 0))};
}

TextureBits texture_bits(const DefReader& reader) {
    const std::string configured = g_cvar_registry != nullptr ? g_cvar_registry->text("textures_format") : "";
    const TextureBitsSetting setting = read_texture_bits(configured, reader.string("iphone_format", "16"));
    if (setting.invalid)
        log_warning("Invalid textures_format cvar.");
    return setting.bits;
}

}  // namespace

void read_texture_frame_keys(HSQUIRRELVM vm, const ScriptObject& def, ImageTextureOptions& options) {
    const DefReader reader(vm, def);
    if (reader.has("frames"))
        log_warning("'frames' is not supported any more in texture def! Use frame_size=[w,h] or grid_size=[x,y].");
    options.frame_size = read_frame_size(vm, def);
    if (auto pivot = number_pair(vm, reader.array("frame_pivot")))
        options.frame_pivot = FramePivot{(*pivot)[0], (*pivot)[1]};
    if (auto grid = number_pair(vm, reader.array("grid_size")))
        options.grid_size = GridSize{std::floor((*grid)[0]), std::floor((*grid)[1])};
}

std::optional<TextureDef> read_texture_def(HSQUIRRELVM vm, const ScriptObject& def, const std::string& name) {
    const DefReader reader(vm, def);
    TextureDef result;
    for (const FlagKey& key : kFlagKeys)
        if (reader.boolean(key.key, key.fallback))
            result.flags |= key.flag;
    const std::string filtering = reader.string("filtering", "trilinear");
    if (filtering == "nearest") {
        result.flags |= texture_flags::kNearestFiltering;
    } else if (filtering != "trilinear") {
        log_error(format_message("Invalid %1 filtering.", filtering));
        return std::nullopt;
    }
    result.file = reader.string("file");
    if (result.file.empty())
        result.file = name;
    result.special = reader.string("_special_");
    result.image.mipmaps = (result.flags & texture_flags::kMipmaps) != 0;
    result.image.premultiply_alpha = (result.flags & texture_flags::kPremultiplyAlpha) != 0;
    result.image.mask_color = (result.flags & texture_flags::kMaskColor) != 0;
    result.image.extract_frames = (result.flags & texture_flags::kExtractFrames) != 0;
    result.image.bits = texture_bits(reader);
    read_texture_frame_keys(vm, def, result.image);
    return result;
}

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
