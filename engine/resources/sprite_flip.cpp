#include "resources/sprite_flip.h"

#include <utility>

namespace me {

namespace {

bool character_set(std::string_view text, size_t i) { return i < text.size() && text[i] != '0'; }

void mirror_horizontally(SpriteShape& shape, bool pivot_too) {
    shape.rectangle.x += shape.rectangle.width;
    shape.rectangle.width = -shape.rectangle.width;
    std::swap(shape.border.left, shape.border.right);
    if (pivot_too)
        shape.pivot.x = shape.size.x - shape.pivot.x;
}

void mirror_vertically(SpriteShape& shape, bool pivot_too) {
    shape.rectangle.y += shape.rectangle.height;
    shape.rectangle.height = -shape.rectangle.height;
    std::swap(shape.border.top, shape.border.bottom);
    if (pivot_too)
        shape.pivot.y = shape.size.y - shape.pivot.y;
}

// A quarter turn clockwise: what was at the bottom-left is drawn at the
// top-left.
void swap_axes(SpriteShape& shape, bool pivot_too) {
    if (pivot_too)
        shape.pivot = {shape.size.y - shape.pivot.y, shape.pivot.x};
    std::swap(shape.size.x, shape.size.y);
    const TextureCorners old = shape.corners;
    shape.corners = {old.bottom_left, old.top_left, old.bottom_right, old.top_right};
    const SpriteBorder border = shape.border;
    shape.border = {border.bottom, border.top, border.left, border.right};
}

}  // namespace

SpriteFlip SpriteFlip::parse(std::string_view text) {
    return {character_set(text, 0), character_set(text, 1), character_set(text, 2), character_set(text, 3)};
}

void apply_flip(SpriteShape& shape, const SpriteFlip& flip, float scale_u, float scale_v) {
    if (flip.horizontal)
        mirror_horizontally(shape, flip.pivot_too);
    if (flip.vertical)
        mirror_vertically(shape, flip.pivot_too);
    shape.corners = corners_of(shape.rectangle, scale_u, scale_v);
    if (flip.transpose)
        swap_axes(shape, flip.pivot_too);
}

}  // namespace me
