#pragma once

#include <squirrel.h>

#include <cstdint>
#include <optional>
#include <string>

#include "resources/image_texture_source.h"
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

}  // namespace me
