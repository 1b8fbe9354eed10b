#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <span>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "gpu/sprite_geometry.h"
#include "core/color.h"
#include "core/matrix2d.h"
#include "core/float_vector.h"

// Everything here runs once or more for every sprite, glyph and particle
// drawn, so it is inline: the callers' loops then compile to straight-line
// arithmetic and stores without a call or a bounds check per vertex.

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

// The colour as the four bytes of a vertex: each component clamped to
// 0 … 1 (NaN counts as 0), times 255, rounded half up. Byte order in memory
// is what GL reads, red first.
inline uint32_t pack_quad_color(Color color) {
#if defined(__SSE2__)
    // All four components at once, as every sprite, glyph and particle packs
    // one. maxps yields its second operand when the first is NaN, so NaN
    // becomes 0; the two saturating packs narrow 0 … 255 to bytes, and the
    // low 32 bits hold them in lane (memory) order on this little-endian ISA.
    const __m128 components = _mm_setr_ps(color.red, color.green, color.blue, color.alpha);
    const __m128 clamped = _mm_min_ps(_mm_max_ps(components, _mm_setzero_ps()), _mm_set1_ps(1.0f));
    const __m128i scaled =
        _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(clamped, _mm_set1_ps(255.0f)), _mm_set1_ps(0.5f)));
    const __m128i words = _mm_packs_epi32(scaled, scaled);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
#else
    // Written with comparisons so that NaN fails `value > 0` and becomes 0;
    // built from bytes rather than shifts so that it holds on either
    // endianness.
    const auto byte = [](float value) {
        const float clamped = value > 0.0f ? (value < 1.0f ? value : 1.0f) : 0.0f;
        return static_cast<uint8_t>(clamped * 255.0f + 0.5f);
    };
    const std::array<uint8_t, 4> bytes{byte(color.red), byte(color.green), byte(color.blue), byte(color.alpha)};
    uint32_t packed = 0;
    std::memcpy(&packed, bytes.data(), sizeof(packed));
    return packed;
#endif
}

// Texture coordinates of the four corners of the source rectangle.
struct QuadUv {
    Vec2 top_left;
    Vec2 top_right;
    Vec2 bottom_left;
    Vec2 bottom_right;
};

inline QuadUv quad_uv(const TextureCorners& corners) {
    return {{corners.top_left.u, corners.top_left.v},
            {corners.top_right.u, corners.top_right.v},
            {corners.bottom_left.u, corners.bottom_left.v},
            {corners.bottom_right.u, corners.bottom_right.v}};
}

// Writes a quad whose corners are already placed, given in the order
// right-top, left-top, right-bottom, left-bottom. A span shorter than four
// vertices is left alone.
inline void write_quad_corners(std::span<QuadVertex> quad, const std::array<Vec2, 4>& corners, const QuadUv& uv,
                               uint32_t color) {
    if (quad.size() < 4)
        return;
    QuadVertex* vertices = quad.data();
    vertices[kQuadRightTop] = {corners[kQuadRightTop].x, corners[kQuadRightTop].y, color, uv.top_right.x,
                               uv.top_right.y};
    vertices[kQuadLeftTop] = {corners[kQuadLeftTop].x, corners[kQuadLeftTop].y, color, uv.top_left.x, uv.top_left.y};
    vertices[kQuadRightBottom] = {corners[kQuadRightBottom].x, corners[kQuadRightBottom].y, color,
                                  uv.bottom_right.x, uv.bottom_right.y};
    vertices[kQuadLeftBottom] = {corners[kQuadLeftBottom].x, corners[kQuadLeftBottom].y, color, uv.bottom_left.x,
                                 uv.bottom_left.y};
}

// Writes a size.x × size.y rectangle whose point `pivot` sits at the origin,
// transformed by the matrix (the transform of Entity2d: x' = a x + c y + tx,
// y' = b x + d y + ty), into four vertices. Each corner is transformed on its
// own, not built from edge vectors, so that the positions are exactly those
// of the formula.
inline void write_quad(std::span<QuadVertex> quad, const Matrix2d& m, Vec2 size, Vec2 pivot, const QuadUv& uv,
                       uint32_t color) {
    const float left = -pivot.x;
    const float top = -pivot.y;
    const float right = size.x - pivot.x;
    const float bottom = size.y - pivot.y;
    const auto place = [&m](float x, float y) { return Vec2{m.a * x + m.c * y + m.tx, m.b * x + m.d * y + m.ty}; };
    write_quad_corners(quad, {place(right, top), place(left, top), place(right, bottom), place(left, bottom)}, uv,
                       color);
}

}  // namespace me
