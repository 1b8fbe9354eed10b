#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "image/image.h"
#include "image/pixel_format_setting.h"

namespace me {

// Multiplies each colour byte of RGBA8 pixels by their alpha in place.
void premultiply_rgba8(std::span<uint8_t> rgba);

uint16_t pack_565(uint8_t r, uint8_t g, uint8_t b);
uint16_t pack_4444(uint8_t r, uint8_t g, uint8_t b, uint8_t a);
uint16_t pack_5551(uint8_t r, uint8_t g, uint8_t b, uint8_t a);

// The 16-bit type an 8-bit picture becomes: RGB pictures are always 565,
// RGBA pictures 4444 or, with one alpha bit asked for, 5551.
PixelType packed_type_for(bool has_alpha, TextureBits bits);

// Packs count pixels of 8-bit RGB or RGBA into native 16-bit words of the
// given packed type, premultiplying RGBA first when asked. The target holds
// count × 2 bytes.
void pack_row(const uint8_t* source, size_t count, bool has_alpha, PixelType packed, bool premultiply,
              uint8_t* target);

// The upload conversions of an 8-bit image; both leave 16-bit images alone
// and return false for them.
bool premultiply_image(Image& image);
bool pack_image_to_16_bits(Image& image, TextureBits bits, bool premultiply);

// Pixels of exact colour (255, 0, 255) become (0, 0, 0, 0); an RGB image
// becomes RGBA with every other pixel opaque. False for 16-bit images.
bool apply_mask_color(Image& image);

bool is_mask_color(Rgba pixel);

}  // namespace me
