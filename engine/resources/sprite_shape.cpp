#include "resources/sprite_shape.h"

#include <algorithm>
#include <cmath>

namespace me {

namespace {

// Scales both insets of a pair down to span when they add up to more.
void fit_pair(float& first, float& second, float span) {
    first = std::max(first, 0.0f);
    second = std::max(second, 0.0f);
    const float sum = first + second;
    if (sum <= span)
        return;
    const float factor = span / sum;
    first *= factor;
    second *= factor;
}

}  // namespace

TextureCorners corners_of(const SpriteRect& rectangle, float scale_u, float scale_v) {
    const float left = rectangle.x * scale_u;
    const float top = rectangle.y * scale_v;
    const float right = (rectangle.x + rectangle.width) * scale_u;
    const float bottom = (rectangle.y + rectangle.height) * scale_v;
    return {{left, top}, {right, top}, {left, bottom}, {right, bottom}};
}

std::optional<Vec2> named_pivot(std::string_view name, float width, float height) {
    if (name == "center")
        return Vec2{std::floor(width / 2), std::floor(height / 2)};
    if (name == "bottom")
        return Vec2{std::floor(width / 2), height};
    return std::nullopt;
}

SpriteBorder fit_border(SpriteBorder border, float width, float height) {
    // A mirrored rectangle has a negative extent; the insets still measure
    // into its absolute size.
    fit_pair(border.left, border.right, std::fabs(width));
    fit_pair(border.top, border.bottom, std::fabs(height));
    return border;
}

bool has_any_inset(const SpriteBorder& border) {
    return border.left != 0.0f || border.right != 0.0f || border.top != 0.0f || border.bottom != 0.0f;
}

PivotBox bounding_box(std::span<const PivotBox> boxes) {
    if (boxes.empty())
        return {};
    Vec2 low{-boxes[0].pivot.x, -boxes[0].pivot.y};
    Vec2 high{boxes[0].size.x - boxes[0].pivot.x, boxes[0].size.y - boxes[0].pivot.y};
    for (const PivotBox& box : boxes.subspan(1)) {
        low.x = std::min(low.x, -box.pivot.x);
        low.y = std::min(low.y, -box.pivot.y);
        high.x = std::max(high.x, box.size.x - box.pivot.x);
        high.y = std::max(high.y, box.size.y - box.pivot.y);
    }
    return {{-low.x, -low.y}, {high.x - low.x, high.y - low.y}};
}

}  // namespace me
