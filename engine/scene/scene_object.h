#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "clip/clip.h"
#include "core/float_vector.h"
#include "core/resource_ref.h"
#include "gpu/quad_batch_vertex.h"
#include "resources/scene_text.h"
#include "scene/entity2d.h"
#include "scene/scene_collision.h"
#include "scene/scene_playback.h"
#include "scene/scene_tweens.h"

namespace me {

class QuadBatch;
class Scene;
class SceneEmitter;
class SceneEmitterResource;
class Sprite;
class Texture;
class View2d;

// What a stepped object raised for its script's end-of-update callbacks.
struct SceneObjectEvents {
    bool move_end = false;
    bool rotate_end = false;
    bool fade_end = false;
    bool out_of_area = false;

    bool any() const { return move_end || rotate_end || fade_end || out_of_area; }
};

// A node of a scene that shows one thing: a sprite, a whole texture, a text,
// a line, a particle emitter or an animation clip. Scenes step every object (tweens, animation,
// particles, area) and draw the enabled ones layer by layer.
class SceneObject : public Entity2d {
public:
    enum Type : int { None = 0, StaticSprite = 1, AnimatedSprite = 2, TextureImage = 3, Text = 4, Emitter = 5,
                      Line = 6, Clip = 7 };
    static constexpr int kLowestLayer = -16;
    static constexpr int kHighestLayer = 16;
    static constexpr uint32_t kShearInUse = 1;
    static constexpr uint32_t kAreaSet = 2;

    static const ClassRecord kClassRecord;

    SceneObject();
    ~SceneObject() override;
    const ClassRecord& class_record() const override { return kClassRecord; }

    // Moves the object to the end of its layer in scene, or out of any scene.
    void set_scene(Scene* scene);
    Scene* scene() const { return m_scene; }
    // Clamped to the scene's layers; rejoins the scene at the end of the new
    // layer.
    void set_layer(int layer);
    int layer() const { return m_layer; }
    SceneObject* next_in_layer() const { return m_next; }
    SceneObject* previous_in_layer() const { return m_previous; }

    Type type() const { return m_type; }
    void set_enabled(bool enabled) { m_enabled = enabled; }
    bool enabled() const { return m_enabled; }
    void set_auto_destroy(bool auto_destroy) { m_auto_destroy = auto_destroy; }
    bool auto_destroy() const { return m_auto_destroy; }

    // What is shown; each replaces the others. Null shows nothing.
    void show_sprite(ResourceRef<Sprite> sprite);
    void show_texture(ResourceRef<Texture> texture);
    void show_emitter(SceneEmitterResource* resource);
    void show_line(Vec2 end);
    void show_text(std::u16string text);
    // Plays the clip from where it is until its end or (for a stop) until
    // that many clip ticks; the object becomes its command handler. False,
    // showing nothing, for no clip.
    bool show_clip(ResourceRef<clip::Clip> played, bool looping, std::optional<uint64_t> stop = std::nullopt);
    clip::Clip* clip() const { return m_clip.get(); }
    // True at the clip's end tick or its stop, and when no clip is shown.
    bool is_clip_at_end() const;
    // A texture object draws this frame of its texture, or the whole texture
    // for an index outside the frames.
    void set_frame(int index);
    Sprite* sprite() const { return m_sprite.get(); }
    // The sprite drawn now: the current frame of an animated sprite.
    Sprite* drawn_sprite() const;
    SceneEmitter* emitter() const { return m_emitter.get(); }
    Vec2 line_end() const { return m_line_end; }
    // The text's font, wrap width, scale and alignment; set_text below makes
    // the object show it.
    SceneText& text() { return m_text; }
    // Wrap width (negative: no wrapping) and scale of the text.
    void set_text_width(float width) { m_text.set_width(width); }
    void set_font_scale(float scale) { m_text.set_scale(scale); }
    // Width and height of the laid-out text, (0, 0) without a font.
    Vec2 text_size();

    void set_local_scale(Vec2 scale) { m_local_scale = scale; }
    Vec2 local_scale() const { return m_local_scale; }
    void set_shear(Vec2 shear);
    Vec2 shear() const { return m_shear; }
    void set_color(const std::array<float, 4>& rgba);
    std::array<float, 4> color() const { return {m_color[0], m_color[1], m_color[2], m_alpha}; }
    float alpha() const { return m_alpha; }
    void set_occlusion(float occlusion) { m_occlusion = occlusion; }
    float occlusion() const { return m_occlusion; }
    void set_repeating(bool x, bool y);
    bool repeats_x() const { return m_repeat_x; }
    bool repeats_y() const { return m_repeat_y; }
    uint32_t object_flags() const { return m_object_flags; }

    void fade_alpha_to(float target, float seconds);
    void stop_fade_alpha() { m_fade.stop(); }
    // Degrees; returns the signed turn it will make, in degrees.
    float rotate_to(float target_degrees, float degrees_per_second);
    void rotate(float degrees_per_second) { m_rotate.begin_continuous(degrees_per_second); }
    void stop_rotate() { m_rotate.stop(); }
    void move_to(Vec2 target, float speed);
    void move_to2(Vec2 target, float seconds, float acceleration_seconds, float deceleration_seconds);
    void stop_move() { m_move.stop(); }
    void set_area(Vec2 minimum, Vec2 maximum);

    // Playback of the sprite; nothing without one.
    void play(bool backward, bool from_random_offset);
    void stop();
    void set_looping(bool looping) { m_playback.set_looping(looping); }
    void set_playing_speed(float speed) { m_playback.set_speed(speed); }
    bool is_playing() const { return m_playback.playing(); }
    const SpritePlayback& playback() const { return m_playback; }

    CollisionShapes& collision_shapes() { return m_collision_shapes; }
    const CollisionShapes& collision_shapes() const { return m_collision_shapes; }
    void set_collision_bits(uint32_t category, uint32_t mask) { m_collision_bits = {category, mask}; }
    const CollisionBits& collision_bits() const { return m_collision_bits; }
    // Against the current sprite's own collision shapes, placed by the world
    // matrix.
    bool test_collision_with_point(Vec2 world_point);

    // One update of dt seconds: tweens, playback (calling the script's
    // on_animation_end at once), particles, then the area test.
    SceneObjectEvents step(float dt);
    // Writes the object's quads; the view gives the canvas repeated sprites
    // cover.
    void draw(QuadBatch& batch, const View2d& view);

private:
    friend class Scene;
    friend class SceneLayer;

    void clear_shown();
    bool outside_area();
    void step_playback(float dt);
    void step_emitter(float dt);
    void step_clip(float dt);
    // The world matrix with the local scale and shear applied.
    Matrix2d drawing_transform();
    void draw_sprite_copies(QuadBatch& batch, const View2d& view, Color color);
    void draw_line(QuadBatch& batch, Color color);
    void draw_text(QuadBatch& batch, Color color);
    void draw_clip(QuadBatch& batch);

    Scene* m_scene = nullptr;
    SceneObject* m_previous = nullptr;
    SceneObject* m_next = nullptr;
    int m_layer = 0;
    Type m_type = None;
    bool m_enabled = true;
    bool m_auto_destroy = false;
    ResourceRef<Sprite> m_sprite;
    ResourceRef<Texture> m_texture;
    ResourceRef<Sprite> m_texture_sprite;
    int m_texture_frame = 0;
    ResourceRef<SceneEmitter> m_emitter;
    ResourceRef<clip::Clip> m_clip;
    std::optional<uint64_t> m_clip_stop;
    // The part of a clip tick that the last step left over.
    double m_clip_tick_carry = 0.0;
    SceneText m_text;
    Vec2 m_local_scale{1.0f, 1.0f};
    Vec2 m_shear;
    std::array<float, 3> m_color{1.0f, 1.0f, 1.0f};
    float m_alpha = 1.0f;
    float m_occlusion = 1.0f;
    uint32_t m_object_flags = 0;
    MoveTween m_move;
    RotateTween m_rotate;
    FadeTween m_fade;
    Vec2 m_area_minimum;
    Vec2 m_area_maximum;
    bool m_repeat_x = false;
    bool m_repeat_y = false;
    Vec2 m_line_end;
    ResourceRef<Sprite> m_line_sprite;
    CollisionShapes m_collision_shapes;
    CollisionBits m_collision_bits;
    SpritePlayback m_playback;
};

}  // namespace me
