#pragma once

#include <array>
#include <cstdint>

#include "gpu/sprite_geometry.h"

namespace me {

// A def's colour [red, green, blue, intensity, alpha] in 0..255: the colour
// components and the alpha are all multiplied by the intensity, so an alpha
// of 0 gives a colour that adds to what is behind it.
Color premultiplied_color(const std::array<float, 5>& values);

// Each component scaled to a byte (rounded, clamped to 0..255): red in bits
// 0-7, green 8-15, blue 16-23, alpha 24-31.
uint32_t pack_color(const Color& color);

}  // namespace me
