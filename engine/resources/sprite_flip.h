#pragma once

#include <string_view>

#include "resources/sprite_shape.h"

namespace me {

// The "flip" string of a static sprite: one character per operation, set
// when present and not '0'.
struct SpriteFlip {
    bool horizontal = false;  // 1st: mirror left to right
    bool vertical = false;    // 2nd: mirror top to bottom
    bool transpose = false;   // 3rd: swap the axes
    bool pivot_too = false;   // 4th: carry the pivot along

    // Only the first four characters count.
    static SpriteFlip parse(std::string_view text);
};

// Applies flip to the rectangle, borders, size and pivot of shape and sets
// its texture corners from the (mirrored) rectangle, rotated by a transpose.
void apply_flip(SpriteShape& shape, const SpriteFlip& flip, float scale_u, float scale_v);

}  // namespace me
