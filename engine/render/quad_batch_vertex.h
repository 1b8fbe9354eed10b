#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "script/entity2d.h"
#include "world/float_vector.h"

namespace me {

// One vertex of the quad batch as the GPU reads it: position, colour bytes
// (red, green, blue, alpha in memory order) and texture coordinate.
struct QuadVertex {
    float x = 0;
    float y = 0;
    uint32_t color = 0;
    float u = 0;
    float v = 0;
};
static_assert(sizeof(QuadVertex) == 20, "the batch's vertex declaration is 20 bytes");

// Vertices of a quad, in this corner order: right-top, left-top,
// right-bottom, left-bottom (y points down).
inline constexpr int kQuadRightTop = 0;
inline constexpr int kQuadLeftTop = 1;
inline constexpr int kQuadRightBottom = 2;
inline constexpr int kQuadLeftBottom = 3;

// A premultiplied RGBA colour with components in 0 … 1.
struct QuadColor {
    float red = 1.0f;
    float green = 1.0f;
    float blue = 1.0f;
    float alpha = 1.0f;

    friend constexpr bool operator==(QuadColor, QuadColor) = default;
};

constexpr QuadColor operator*(QuadColor a, QuadColor b) {
    return {a.red * b.red, a.green * b.green, a.blue * b.blue, a.alpha * b.alpha};
}

// The colour as the four bytes of a vertex; components are clamped to 0 … 1
// and NaN counts as 0.
uint32_t pack_quad_color(QuadColor color);

// Texture coordinates of the four corners of the source rectangle.
struct QuadUv {
    Vec2 top_left;
    Vec2 top_right;
    Vec2 bottom_left;
    Vec2 bottom_right;
};

// Writes a size.x × size.y rectangle whose point `pivot` sits at the origin,
// transformed by the matrix (the transform of Entity2d: x' = a x + c y + tx,
// y' = b x + d y + ty), into four vertices.
void write_quad(std::span<QuadVertex> quad, const Matrix2d& transform, Vec2 size, Vec2 pivot, const QuadUv& uv,
                uint32_t color);

// Writes a quad whose corners are already placed, given in the order
// right-top, left-top, right-bottom, left-bottom.
void write_quad_corners(std::span<QuadVertex> quad, const std::array<Vec2, 4>& corners, const QuadUv& uv,
                        uint32_t color);

}  // namespace me
