#include "render/quad_batch_vertex.h"

#include <cstring>

namespace me {

namespace {

// Rounds half up; written with comparisons rather than lround and isnan
// because every sprite packs a colour. NaN fails the first test.
uint32_t color_byte(float value) {
    if (!(value > 0.0f))
        return 0;
    if (value >= 1.0f)
        return 255;
    return static_cast<uint32_t>(value * 255.0f + 0.5f);
}

void write_vertex(QuadVertex& vertex, Vec2 position, Vec2 uv, uint32_t color) {
    vertex.x = position.x;
    vertex.y = position.y;
    vertex.color = color;
    vertex.u = uv.x;
    vertex.v = uv.y;
}

}  // namespace

// Byte order in memory is what GL reads: red first. Built from bytes rather
// than shifts so that it holds on either endianness.
uint32_t pack_quad_color(QuadColor color) {
    const std::array<uint8_t, 4> bytes{
        static_cast<uint8_t>(color_byte(color.red)), static_cast<uint8_t>(color_byte(color.green)),
        static_cast<uint8_t>(color_byte(color.blue)), static_cast<uint8_t>(color_byte(color.alpha))};
    uint32_t packed = 0;
    std::memcpy(&packed, bytes.data(), sizeof(packed));
    return packed;
}

void write_quad(std::span<QuadVertex> quad, const Matrix2d& m, Vec2 size, Vec2 pivot, const QuadUv& uv,
                uint32_t color) {
    const float left = -pivot.x;
    const float top = -pivot.y;
    const float right = size.x - pivot.x;
    const float bottom = size.y - pivot.y;
    const auto place = [&m](float x, float y) { return Vec2{m.a * x + m.c * y + m.tx, m.b * x + m.d * y + m.ty}; };
    write_quad_corners(quad, {place(right, top), place(left, top), place(right, bottom), place(left, bottom)}, uv,
                       color);
}

void write_quad_corners(std::span<QuadVertex> quad, const std::array<Vec2, 4>& corners, const QuadUv& uv,
                        uint32_t color) {
    if (quad.size() < 4)
        return;
    write_vertex(quad[kQuadRightTop], corners[kQuadRightTop], uv.top_right, color);
    write_vertex(quad[kQuadLeftTop], corners[kQuadLeftTop], uv.top_left, color);
    write_vertex(quad[kQuadRightBottom], corners[kQuadRightBottom], uv.bottom_right, color);
    write_vertex(quad[kQuadLeftBottom], corners[kQuadLeftBottom], uv.bottom_left, color);
}

}  // namespace me
