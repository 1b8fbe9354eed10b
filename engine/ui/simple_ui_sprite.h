#pragma once

#include "core/resource_ref.h"
#include "resources/sprite.h"
#include "scene/scene_playback.h"
#include "ui/simple_ui_widget.h"

namespace me::simpleui {

// A widget that shows a sprite: centred and shrunk to fit (never enlarged),
// or stretched over the whole frame, as nine slices when the sprite has a
// border. An animated sprite plays as its def says and shows its current
// frame.
class SimpleUISprite : public SimpleUIWidget {
public:
    static const ClassRecord kClassRecord;
    const ClassRecord& class_record() const override { return kClassRecord; }

    enum class Mode : int { Centre = 0, ScaleToFill = 1 };

    // Null shows nothing. The animation starts from its first frame.
    void set_sprite(ResourceRef<Sprite> sprite);
    Sprite* sprite() const { return m_sprite.get(); }
    Vec2 offset() const { return m_offset; }
    void set_offset(Vec2 offset) { m_offset = offset; }
    Mode mode() const { return m_mode; }
    void set_mode(Mode mode) { m_mode = mode; }
    // The frame shown now: the sprite itself unless it is animated.
    const Sprite* shown_sprite() const;

    // Restarts the animation.
    void init() override;
    // Advances the animation, then updates as every widget does.
    void update(float seconds) override;

protected:
    void draw_content(QuadBatch& batch, const Matrix2d& transform, float alpha) override;

private:
    void draw_centred(QuadBatch& batch, const Sprite& shown, const Matrix2d& transform, Color color) const;

    ResourceRef<Sprite> m_sprite;
    Vec2 m_offset;
    Mode m_mode = Mode::Centre;
    SpritePlayback m_playback;
};

}  // namespace me::simpleui
