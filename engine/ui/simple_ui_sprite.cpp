#include "ui/simple_ui_sprite.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "resources/sprite_drawing.h"
#include "scene/scene_sprite_timeline.h"

namespace me::simpleui {

const ClassRecord SimpleUISprite::kClassRecord{"SimpleUISprite", &SimpleUIWidget::kClassRecord};

void SimpleUISprite::set_sprite(ResourceRef<Sprite> sprite) {
    m_sprite = std::move(sprite);
    init();
}

void SimpleUISprite::init() {
    m_playback.reset();
    if (m_sprite && m_sprite->is_animated())
        m_playback.play(SpriteTimeline(*m_sprite.get()), false, scene_random());
}

const Sprite* SimpleUISprite::shown_sprite() const {
    const Sprite* sprite = m_sprite.get();
    if (sprite == nullptr || !sprite->is_animated())
        return sprite;
    const int frame = m_playback.frame();
    if (frame < 0 || static_cast<size_t>(frame) >= sprite->frame_count())
        return nullptr;
    return sprite->frame(static_cast<size_t>(frame)).sprite.get();
}

void SimpleUISprite::update(float seconds) {
    if (m_sprite && m_sprite->is_animated())
        m_playback.advance(SpriteTimeline(*m_sprite.get()), seconds, scene_random());
    SimpleUIWidget::update(seconds);
}

void SimpleUISprite::draw_content(QuadBatch& batch, const Matrix2d& transform, float alpha) {
    const Sprite* shown = shown_sprite();
    if (shown == nullptr)
        return;
    const Color tint = premultiplied_color(alpha);
    if (m_mode == Mode::Centre) {
        draw_centred(batch, *shown, transform, tint);
        return;
    }
    const Matrix2d at_offset = Matrix2d{1.0f, 0.0f, 0.0f, 1.0f, m_offset.x, m_offset.y}.then(transform);
    draw_sprite_nine_slice(batch, *shown, at_offset, frame_size(), tint);
}

// Placed by the whole sprite's box and pivot, so that the frames of an
// animation stay where their def puts them.
void SimpleUISprite::draw_centred(QuadBatch& batch, const Sprite& shown, const Matrix2d& transform,
                                  Color color) const {
    const Vec2 room = frame_size();
    const Vec2 size = m_sprite->size();
    const Vec2 pivot = m_sprite->pivot();
    const float scale = shrink_to_fit(room, size);
    const float x = std::floor((room.x - size.x * scale) / 2.0f + scale * pivot.x) + m_offset.x;
    const float y = std::floor((room.y - size.y * scale) / 2.0f + scale * pivot.y) + m_offset.y;
    draw_sprite(batch, shown, Matrix2d{scale, 0.0f, 0.0f, scale, x, y}.then(transform), color);
}

}  // namespace me::simpleui
