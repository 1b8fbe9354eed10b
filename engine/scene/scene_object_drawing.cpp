#include <cmath>

#include "gpu/quad_batch.h"
#include "scene/scene_emitter.h"
#include "scene/scene_object.h"
#include "scene/text_drawing.h"
#include "scene/sprite_drawing.h"
#include "scene/view2d.h"
#include "resources/font.h"
#include "resources/sprite.h"

namespace me {

namespace {

// Steps below this would put more copies on the canvas than it has pixels.
constexpr float kMinimumRepeatStep = 1.0f;

Matrix2d sheared(const Matrix2d& m, Vec2 shear) {
    Matrix2d result = m;
    result.a = m.a + m.c * shear.y;
    result.c = m.c + m.a * shear.x;
    result.b = m.b + m.d * shear.y;
    result.d = m.d + m.b * shear.x;
    return result;
}

// The first copy at or before canvas coordinate 0, then one per step until
// the canvas extent is covered; a single copy when the axis does not repeat.
struct RepeatAxis {
    float first;
    float step;
    float end;
};

RepeatAxis repeat_axis(bool repeats, float position, float step, float extent) {
    if (!repeats || !(step >= kMinimumRepeatStep) || !std::isfinite(position))
        return {position, 1.0f, position + 0.5f};
    float first = std::fmod(position, step);
    if (first > 0.0f)
        first -= step;
    return {first, step, extent};
}

}  // namespace

void SceneObject::draw(QuadBatch& batch, const View2d& view) {
    const Color color{m_color[0] * m_alpha, m_color[1] * m_alpha, m_color[2] * m_alpha, m_alpha * m_occlusion};
    switch (m_type) {
    case StaticSprite:
    case AnimatedSprite:
    case TextureImage:
        draw_sprite_copies(batch, view, color);
        return;
    case Line:
        draw_line(batch, color);
        return;
    case Emitter:
        m_emitter->write_quads(batch);
        return;
    case Text:
        draw_text(batch, color);
        return;
    case Clip:
        draw_clip(batch);
        return;
    default:
        return;
    }
}

Matrix2d SceneObject::drawing_transform() {
    const Matrix2d scaled = scale_columns(world_matrix(), m_local_scale);
    return (m_object_flags & kShearInUse) != 0 ? sheared(scaled, m_shear) : scaled;
}

void SceneObject::draw_sprite_copies(QuadBatch& batch, const View2d& view, Color color) {
    const Sprite* sprite = drawn_sprite();
    if (sprite == nullptr || m_alpha == 0.0f)
        return;
    Matrix2d transform = drawing_transform();
    if (!m_repeat_x && !m_repeat_y) {
        draw_sprite(batch, *sprite, transform, color);
        return;
    }
    const Vec2 size = sprite->size();
    const float step_x = std::fabs(transform.a * size.x) + std::fabs(transform.c * size.y);
    const float step_y = std::fabs(transform.b * size.x) + std::fabs(transform.d * size.y);
    const Vec2 canvas = view.canvas_size();
    const RepeatAxis across = repeat_axis(m_repeat_x, transform.tx, step_x, canvas.x);
    const RepeatAxis down = repeat_axis(m_repeat_y, transform.ty, step_y, canvas.y);
    for (float y = down.first; y < down.end; y += down.step) {
        for (float x = across.first; x < across.end; x += across.step) {
            transform.tx = x;
            transform.ty = y;
            draw_sprite(batch, *sprite, transform, color);
        }
    }
}

void SceneObject::draw_line(QuadBatch& batch, Color color) {
    const Matrix2d& world = world_matrix();
    const Vec2 start{world.tx, world.ty};
    const float dx = m_line_end.x - start.x;
    const float dy = m_line_end.y - start.y;
    const float length = std::hypot(dx, dy);
    if (length == 0.0f || m_alpha == 0.0f || !m_line_sprite || m_line_sprite->texture() == nullptr)
        return;
    // Half a unit to each side of the segment.
    const Vec2 half{-dy / length * 0.5f, dx / length * 0.5f};
    const std::array<Vec2, 4> corners{Vec2{m_line_end.x - half.x, m_line_end.y - half.y},
                                      Vec2{start.x - half.x, start.y - half.y},
                                      Vec2{m_line_end.x + half.x, m_line_end.y + half.y},
                                      Vec2{start.x + half.x, start.y + half.y}};
    const Color& white = m_line_sprite->color();
    const Color line_color{white.red, white.green, white.blue, white.alpha};
    const TextureCorners& uv = m_line_sprite->corners();
    const QuadUv quad_uv{{uv.top_left.u, uv.top_left.v},
                         {uv.top_right.u, uv.top_right.v},
                         {uv.bottom_left.u, uv.bottom_left.v},
                         {uv.bottom_right.u, uv.bottom_right.v}};
    const std::span<QuadVertex> quad = reserve_quads(batch, *m_line_sprite->texture(), 1);
    if (quad.empty())
        return;
    write_quad_corners(quad, corners, quad_uv, pack_quad_color(color * line_color));
}

// The clip's tree is placed by the drawing transform and tinted by the
// object's colour; its nodes' own colours multiply that.
void SceneObject::draw_clip(QuadBatch& batch) {
    if (m_alpha == 0.0f)
        return;
    const Matrix2d transform = drawing_transform();
    m_clip->draw_tree(batch, &transform, {m_color[0], m_color[1], m_color[2], m_alpha * m_occlusion});
}

// The layout origin, the top-left corner of the text box, sits at the
// object's origin; the local scale applies, the shear does not.
void SceneObject::draw_text(QuadBatch& batch, Color color) {
    const Font* font = m_text.font();
    if (font == nullptr || m_alpha == 0.0f)
        return;
    me::draw_text(batch, *font, m_text.mesh(), scale_columns(world_matrix(), m_local_scale), color);
}

}  // namespace me
