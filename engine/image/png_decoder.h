#pragma once

#include <cstdint>
#include <span>

#include "image/image.h"
#include "image/image_result.h"
#include "image/pixel_format_setting.h"

namespace me {

// Decodes a whole PNG file held in memory to RGB8 or RGBA8: palettes and grey
// are expanded to RGB, transparency chunks to alpha, 16-bit channels reduced
// to 8. Interlaced files and pictures larger than Image::kMaxSide are refused.
ImageResult<Image> decode_png(std::span<const uint8_t> file);

// Decodes straight into the 16-bit upload type (565 for RGB, 4444 or 5551 for
// RGBA), row by row through a buffer of Image::kMaxSide pixels, so wider
// files are refused.
ImageResult<Image> decode_png_packed(std::span<const uint8_t> file, TextureBits bits, bool premultiply);

}  // namespace me
