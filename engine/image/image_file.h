#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "image/image.h"
#include "image/image_result.h"

namespace me {

enum class ImageFileKind { Png, Jpeg, Unknown };

// Texture files are told apart by the exact, case-sensitive end of their
// name: "png", "jpg" or "jpeg". A DDS file is one of four characters or more
// ending in ".dds".
ImageFileKind image_file_kind(std::string_view file_name);
bool is_dds_file_name(std::string_view file_name);

// Decodes a PNG or JPEG file, chosen by its name, into an 8-bit image whose
// block is extended to powers of two, as textures that are cut into frames,
// masked or otherwise processed on the CPU need it.
ImageResult<Image> decode_image_file(std::string_view file_name, std::span<const uint8_t> file);

}  // namespace me
