#pragma once

#include "resources/sprite.h"
#include "scene/scene_playback.h"

namespace me {

// A sprite's timing as playback reads it.
class SpriteTimeline final : public PlaybackTimeline {
public:
    explicit SpriteTimeline(const Sprite& sprite) : m_sprite(sprite) {}

    bool animated() const override { return m_sprite.is_animated(); }
    int frame_count() const override { return static_cast<int>(m_sprite.frame_count()); }
    float enter_frame(int index, Xorshift128& random) const override {
        if (!animated() || index < 0 || index >= frame_count())
            return m_sprite.duration();
        return m_sprite.frame_duration(static_cast<size_t>(index), random);
    }
    float duration() const override { return m_sprite.duration(); }
    float duration_range() const override { return m_sprite.duration_range(); }
    bool loops() const override { return m_sprite.loops(); }

private:
    const Sprite& m_sprite;
};

// The application's generator, or one of the scene code's own when there is
// no application (tools and tests).
Xorshift128& scene_random();

}  // namespace me
