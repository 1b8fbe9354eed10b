#pragma once

#include <squirrel.h>

#include <cstdint>
#include <optional>
#include <string>

#include "gpu/texture_dynamic_size.h"
#include "image/image_texture_source.h"
#include "resources/resource_def_reader.h"
#include "script/script_object.h"

namespace me {

// A texture def as the loader uses it.
struct TextureDef {
    uint32_t flags = 0;
    // The file to read; the resource name when the def names none.
    std::string file;
    // "_white_", "_null_" or empty.
    std::string special;
    ImageTextureOptions image;
};

// Reads the flags, file and frame keys, logging the warnings for outdated
// keys. Null (after logging why) when the filtering is unknown.
std::optional<TextureDef> read_texture_def(HSQUIRRELVM vm, const ScriptObject& def, const std::string& name);

// The frame keys of a def, with their warnings.
void read_texture_frame_keys(HSQUIRRELVM vm, const ScriptObject& def, ImageTextureOptions& options);

// The size and format of a dynamic texture: null, after logging why, when a
// size or the format is invalid.
std::optional<DynamicTextureSize> read_dynamic_texture_size(const DefReader& def);

}  // namespace me
