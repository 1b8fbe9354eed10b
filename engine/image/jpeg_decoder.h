#pragma once

#include <cstdint>
#include <span>

#include "image/image.h"
#include "image/image_result.h"

namespace me {

// Decodes a whole JPEG file held in memory to RGB8. Pictures larger than
// Image::kMaxSide are refused before decoding, and so is any file on which
// the decoder reports damage (a truncated or corrupted stream), rather than
// showing a partly grey picture.
ImageResult<Image> decode_jpeg(std::span<const uint8_t> file);

}  // namespace me
