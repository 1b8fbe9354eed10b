#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "core/float_vector.h"
#include "gpu/sprite_geometry.h"

namespace me {

// What a static sprite's def decides about where and how it is drawn.
struct SpriteShape {
    SpriteRect rectangle;
    Vec2 pivot;
    Vec2 size;
    SpriteBorder border;
    TextureCorners corners;
};

// A sprite's extent around its pivot: it covers -pivot .. size - pivot.
struct PivotBox {
    Vec2 pivot;
    Vec2 size;
};

// The texture coordinates of rectangle's corners: pixels × texel scales.
TextureCorners corners_of(const SpriteRect& rectangle, float scale_u, float scale_v);

// "center" and "bottom" on a width × height rectangle, in whole pixels;
// nothing for any other name.
std::optional<Vec2> named_pivot(std::string_view name, float width, float height);

// Negative insets become 0; a pair of opposite insets wider than the sprite
// shrinks in proportion until it fits.
SpriteBorder fit_border(SpriteBorder border, float width, float height);
bool has_any_inset(const SpriteBorder& border);

// The smallest box around every box, each placed at its pivot.
PivotBox bounding_box(std::span<const PivotBox> boxes);

}  // namespace me
