#include "resources/sprite_drawing.h"

#include <algorithm>
#include <array>

#include "resources/sprite.h"

namespace me {

namespace {

// Frames of frames are followed this far at most, so that a def that names
// itself among its frames cannot loop.
constexpr int kMaxFrameNesting = 8;

// The static sprite that drawing `sprite` shows, or null when it shows
// nothing: a special texture, no texture, or an animation without frames.
const Sprite* drawn_sprite(const Sprite& sprite) {
    const Sprite* drawn = &sprite;
    for (int depth = 0; drawn != nullptr && drawn->is_animated(); ++depth)
        drawn = depth < kMaxFrameNesting && drawn->frame_count() > 0 ? drawn->frame(0).sprite.get() : nullptr;
    if (drawn == nullptr || drawn->is_special_texture() || drawn->texture() == nullptr)
        return nullptr;
    return drawn;
}

uint32_t drawn_color(const Sprite& sprite, Color color) {
    const Color& own = sprite.color();
    return pack_quad_color(Color{own.red, own.green, own.blue, own.alpha} * color);
}

Vec2 lerp(Vec2 from, Vec2 to, float t) { return {from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t}; }

// The texture coordinate at fraction (fx, fy) of the sprite's source
// rectangle, whichever way its corners were flipped or turned.
Vec2 uv_at(const QuadUv& uv, float fx, float fy) {
    return lerp(lerp(uv.top_left, uv.top_right, fx), lerp(uv.bottom_left, uv.bottom_right, fx), fy);
}

// Cut positions of one axis of a nine-slice box, in the box and as
// fractions of the sprite.
struct SliceCuts {
    std::array<float, 4> box;
    std::array<float, 4> fraction;
};

SliceCuts slice_cuts(float box, float sprite_size, float first_inset, float second_inset) {
    const float insets = first_inset + second_inset;
    const float shrink = insets > 0.0f && box < insets ? box / insets : 1.0f;
    const float first = first_inset * shrink;
    const float second = second_inset * shrink;
    const float size = sprite_size != 0.0f ? sprite_size : 1.0f;
    return {{0.0f, first, box - second, box}, {0.0f, first_inset / size, 1.0f - second_inset / size, 1.0f}};
}

}  // namespace

Matrix2d scale_columns(const Matrix2d& transform, Vec2 scale) {
    return {transform.a * scale.x, transform.b * scale.x, transform.c * scale.y,
            transform.d * scale.y, transform.tx,          transform.ty};
}

void draw_sprite(QuadBatch& batch, const Sprite& sprite, Vec2 position, Vec2 scale, Color color) {
    draw_sprite(batch, sprite, Matrix2d{scale.x, 0.0f, 0.0f, scale.y, position.x, position.y}, color);
}

void draw_sprite(QuadBatch& batch, const Sprite& sprite, const Matrix2d& transform, Vec2 scale, Color color) {
    draw_sprite(batch, sprite, scale_columns(transform, scale), color);
}

void draw_sprite(QuadBatch& batch, const Sprite& sprite, const Matrix2d& transform, Color color) {
    const Sprite* drawn = drawn_sprite(sprite);
    if (drawn == nullptr)
        return;
    const std::span<QuadVertex> quad = reserve_quads(batch, *drawn->texture(), 1);
    if (!quad.empty())
        write_quad(quad, transform, drawn->size(), drawn->pivot(), quad_uv(drawn->corners()),
                   drawn_color(*drawn, color));
}

void draw_sprite_nine_slice(QuadBatch& batch, const Sprite& sprite, const Matrix2d& transform, Vec2 box,
                            Color color) {
    const Sprite* drawn = drawn_sprite(sprite);
    if (drawn == nullptr)
        return;
    if (!drawn->has_border()) {
        const std::span<QuadVertex> quad = reserve_quads(batch, *drawn->texture(), 1);
        if (!quad.empty())
            write_quad(quad, transform, box, {}, quad_uv(drawn->corners()), drawn_color(*drawn, color));
        return;
    }
    const SpriteBorder& border = drawn->border();
    const SliceCuts columns = slice_cuts(box.x, drawn->size().x, border.left, border.right);
    const SliceCuts rows = slice_cuts(box.y, drawn->size().y, border.top, border.bottom);
    const std::span<QuadVertex> quads = reserve_quads(batch, *drawn->texture(), 9);
    if (quads.empty())
        return;
    const QuadUv uv = quad_uv(drawn->corners());
    const uint32_t packed = drawn_color(*drawn, color);
    for (size_t row = 0; row < 3; ++row) {
        for (size_t column = 0; column < 3; ++column) {
            const float left = columns.box[column];
            const float top = rows.box[row];
            const Vec2 size{columns.box[column + 1] - left, rows.box[row + 1] - top};
            const float u0 = columns.fraction[column], u1 = columns.fraction[column + 1];
            const float v0 = rows.fraction[row], v1 = rows.fraction[row + 1];
            const QuadUv cell{uv_at(uv, u0, v0), uv_at(uv, u1, v0), uv_at(uv, u0, v1), uv_at(uv, u1, v1)};
            write_quad(quads.subspan(4 * (row * 3 + column), 4), transform, size, {-left, -top}, cell, packed);
        }
    }
}

}  // namespace me
