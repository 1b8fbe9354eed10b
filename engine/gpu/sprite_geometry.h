#pragma once

#include "core/color.h"
#include "core/float_vector.h"

namespace me {

// The plain records a sprite is made of. Rectangles and insets are in
// texture pixels; texture coordinates are what the GPU samples.

struct SpriteRect {
    float x = 0.0f;
    float y = 0.0f;
    // Negative after a mirroring flip: the rectangle then runs leftwards or
    // upwards from (x, y).
    float width = 0.0f;
    float height = 0.0f;

    friend constexpr bool operator==(const SpriteRect&, const SpriteRect&) = default;
};

struct TexCoord {
    float u = 0.0f;
    float v = 0.0f;

    friend constexpr bool operator==(TexCoord, TexCoord) = default;
};

// The texture coordinates drawn at each corner of the sprite's quad.
struct TextureCorners {
    TexCoord top_left;
    TexCoord top_right;
    TexCoord bottom_left;
    TexCoord bottom_right;

    friend constexpr bool operator==(const TextureCorners&, const TextureCorners&) = default;
};

// Nine-slice insets measured inwards from each edge.
struct SpriteBorder {
    float left = 0.0f;
    float right = 0.0f;
    float top = 0.0f;
    float bottom = 0.0f;

    friend constexpr bool operator==(const SpriteBorder&, const SpriteBorder&) = default;
};


// Collision shapes are placed relative to the sprite's pivot.
struct CollisionCircle {
    Vec2 center;
    float radius = 0.0f;

    friend constexpr bool operator==(const CollisionCircle&, const CollisionCircle&) = default;
};

struct CollisionRect {
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;

    friend constexpr bool operator==(const CollisionRect&, const CollisionRect&) = default;
};

}  // namespace me
