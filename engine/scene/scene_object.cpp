#include "scene/scene_object.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "clip/clip_time.h"
#include "core/application.h"
#include "gpu/quad_batch.h"
#include "gpu/view2d.h"
#include "resources/emitter_resource.h"
#include "resources/font.h"
#include "resources/sprite.h"
#include "resources/sprite_drawing.h"
#include "resources/text_drawing.h"
#include "resources/texture.h"
#include "scene/scene.h"
#include "scene/scene_callbacks.h"
#include "scene/scene_emitter.h"
#include "scene/scene_sprite_timeline.h"
#include "script/script_host.h"

namespace me {

const ClassRecord SceneObject::kClassRecord{"SceneObject", &Entity2d::kClassRecord};

Xorshift128& scene_random() {
    static Xorshift128 fallback;
    return g_application != nullptr ? g_application->rng : fallback;
}

SceneObject::SceneObject() = default;

// A scene holds a reference to each of its objects, so an object in a scene
// is never destroyed.
SceneObject::~SceneObject() = default;

void SceneObject::set_scene(Scene* scene) {
    // Leaving the old scene drops its reference; this one keeps the object
    // alive until it has joined the new one.
    acquire();
    if (m_scene != nullptr)
        m_scene->remove(*this);
    if (scene != nullptr)
        scene->add(*this);
    release();
}

void SceneObject::set_layer(int layer) {
    const int clamped = std::clamp(layer, kLowestLayer, kHighestLayer);
    Scene* scene = m_scene;
    if (scene == nullptr) {
        m_layer = clamped;
        return;
    }
    acquire();
    scene->remove(*this);
    m_layer = clamped;
    scene->add(*this);
    release();
}

void SceneObject::clear_shown() {
    m_type = None;
    m_sprite.reset();
    m_texture.reset();
    m_texture_sprite.reset();
    m_emitter.reset();
    m_clip.reset();
    m_clip_stop.reset();
    m_clip_tick_carry = 0.0;
    m_playback.reset();
}

void SceneObject::show_sprite(ResourceRef<Sprite> sprite) {
    clear_shown();
    m_sprite = std::move(sprite);
    if (m_sprite)
        m_type = m_sprite->is_animated() ? AnimatedSprite : StaticSprite;
}

void SceneObject::show_texture(ResourceRef<Texture> texture) {
    clear_shown();
    m_texture = std::move(texture);
    if (!m_texture)
        return;
    m_type = TextureImage;
    set_frame(m_texture_frame);
}

void SceneObject::set_frame(int index) {
    m_texture_frame = index;
    if (!m_texture)
        return;
    const bool is_frame = index >= 0 && static_cast<size_t>(index) < m_texture->frames().size();
    m_texture_sprite = is_frame ? texture_frame_sprite(*m_texture.get(), static_cast<size_t>(index))
                                : make_texture_sprite(*m_texture.get());
}

void SceneObject::show_emitter(SceneEmitterResource* resource) {
    clear_shown();
    if (resource == nullptr)
        return;
    m_emitter = ResourceRef<SceneEmitter>(new SceneEmitter());
    m_emitter->start(*resource);
    m_type = Emitter;
}

void SceneObject::show_line(Vec2 end) {
    clear_shown();
    m_line_end = end;
    m_type = Line;
    if (!m_line_sprite)
        m_line_sprite = load_sprite("_white_");
}

void SceneObject::show_text(std::u16string text) {
    if (m_type != Text)
        clear_shown();
    m_text.set_text(std::move(text));
    m_type = Text;
}

bool SceneObject::show_clip(ResourceRef<clip::Clip> played, bool looping, std::optional<uint64_t> stop) {
    clear_shown();
    m_clip = std::move(played);
    if (!m_clip)
        return false;
    m_type = Clip;
    m_clip->set_looping(looping && !stop);
    m_clip_stop = stop;
    // Weakly: the object holds the clip, which must not hold the object.
    if (ownership().is_bound() && g_script_host != nullptr) {
        HSQUIRRELVM vm = g_script_host->vm();
        ownership().push_instance(vm);
        sq_weakref(vm, -1);
        m_clip->set_command_handler(ScriptObject(vm, -1));
        sq_pop(vm, 2);
    }
    return true;
}

bool SceneObject::is_clip_at_end() const {
    if (!m_clip)
        return true;
    return m_clip->is_at_end() || (m_clip_stop && m_clip->time() >= *m_clip_stop);
}

Vec2 SceneObject::text_size() {
    const TextMesh& mesh = m_text.mesh();
    return {mesh.content_width, mesh.content_height};
}

Sprite* SceneObject::drawn_sprite() const {
    switch (m_type) {
    case StaticSprite:
        return m_sprite.get();
    case AnimatedSprite: {
        const auto frame = static_cast<size_t>(m_playback.frame());
        return frame < m_sprite->frame_count() ? m_sprite->frame(frame).sprite.get() : nullptr;
    }
    case TextureImage:
        return m_texture_sprite.get();
    default:
        return nullptr;
    }
}

void SceneObject::set_shear(Vec2 shear) {
    m_shear = shear;
    m_object_flags |= kShearInUse;
}

void SceneObject::set_color(const std::array<float, 4>& rgba) {
    m_color = {rgba[0], rgba[1], rgba[2]};
    m_alpha = rgba[3];
}

void SceneObject::set_repeating(bool x, bool y) {
    m_repeat_x = x;
    m_repeat_y = y;
}

void SceneObject::fade_alpha_to(float target, float seconds) { m_fade.begin(m_alpha, target, seconds); }

float SceneObject::rotate_to(float target_degrees, float degrees_per_second) {
    return m_rotate.begin_to(rotation(), target_degrees, degrees_per_second);
}

void SceneObject::move_to(Vec2 target, float speed) { m_move.begin_linear({x(), y()}, target, speed); }

void SceneObject::move_to2(Vec2 target, float seconds, float acceleration_seconds, float deceleration_seconds) {
    m_move.begin_eased({x(), y()}, target, seconds, acceleration_seconds, deceleration_seconds);
}

void SceneObject::set_area(Vec2 minimum, Vec2 maximum) {
    m_area_minimum = minimum;
    m_area_maximum = maximum;
    m_object_flags |= kAreaSet;
}

void SceneObject::play(bool backward, bool from_random_offset) {
    if (!m_sprite)
        return;
    const SpriteTimeline timeline(*m_sprite.get());
    if (from_random_offset)
        m_playback.play_random(timeline, backward, scene_random());
    else
        m_playback.play(timeline, backward, scene_random());
}

void SceneObject::stop() {
    m_playback.stop();
    if (m_emitter)
        m_emitter->stop();
}

SceneObjectEvents SceneObject::step(float dt) {
    SceneObjectEvents events;
    events.fade_end = m_fade.step(dt, m_alpha);
    if (m_rotate.mode != RotateTween::None) {
        float turns = rotation();
        events.rotate_end = m_rotate.step(dt, turns);
        set_rotation(turns);
    }
    if (m_move.mode != MoveTween::None) {
        Vec2 position{x(), y()};
        events.move_end = m_move.step(dt, position);
        set_position(position.x, position.y);
    }
    step_playback(dt);
    step_emitter(dt);
    step_clip(dt);
    events.out_of_area = outside_area();
    return events;
}

void SceneObject::step_playback(float dt) {
    if ((m_type != StaticSprite && m_type != AnimatedSprite) || !m_playback.playing())
        return;
    if (m_playback.advance(SpriteTimeline(*m_sprite.get()), dt, scene_random()))
        call_scene_callback(*this, scene_callbacks::kAnimationEnd);
}

void SceneObject::step_emitter(float dt) {
    if (m_type != Emitter)
        return;
    const Matrix2d& world = world_matrix();
    m_emitter->update(dt, world.tx, world.ty);
    if (m_auto_destroy && m_emitter->finished() && m_emitter->live_particle_count() == 0) {
        m_enabled = false;
        if (m_scene != nullptr)
            m_scene->remove(*this);
    }
}

void SceneObject::step_clip(float dt) {
    if (m_type != Clip || !(dt > 0.0f))
        return;
    // A step longer than this is a script's mistake; the clip takes it as
    // this long.
    constexpr double kLongestStepTicks = 2147483647.0;
    const double ticks =
        std::min(static_cast<double>(dt) * clip::kClipTicksPerSecond + m_clip_tick_carry, kLongestStepTicks);
    auto whole = static_cast<int64_t>(ticks);
    m_clip_tick_carry = ticks - static_cast<double>(whole);
    if (m_clip_stop)
        whole = std::min<int64_t>(whole, static_cast<int64_t>(*m_clip_stop - std::min(*m_clip_stop, m_clip->time())));
    // Held: a command the clip fires may make this object show something
    // else.
    const ResourceRef<clip::Clip> playing = m_clip;
    playing->advance_in_time(whole);
}

bool SceneObject::outside_area() {
    if ((m_object_flags & kAreaSet) == 0)
        return false;
    const Matrix2d& world = world_matrix();
    return world.tx < m_area_minimum.x || world.tx > m_area_maximum.x || world.ty < m_area_minimum.y ||
           world.ty > m_area_maximum.y;
}

namespace {

// The point in the coordinates of the matrix's source space; false when the
// matrix has collapsed and no point maps back.
bool untransform(const Matrix2d& world, Vec2 point, Vec2& local) {
    const float determinant = world.a * world.d - world.b * world.c;
    if (determinant == 0.0f || !std::isfinite(determinant))
        return false;
    const float dx = point.x - world.tx;
    const float dy = point.y - world.ty;
    local = {(world.d * dx - world.c * dy) / determinant, (world.a * dy - world.b * dx) / determinant};
    return true;
}

bool inside_circle(const CollisionCircle& circle, Vec2 point) {
    const float dx = point.x - circle.center.x;
    const float dy = point.y - circle.center.y;
    return dx * dx + dy * dy <= circle.radius * circle.radius;
}

bool inside_span(float value, float start, float length) {
    return length >= 0.0f ? value >= start && value <= start + length : value <= start && value >= start + length;
}

bool inside_rect(const CollisionRect& rect, Vec2 point) {
    return inside_span(point.x, rect.x, rect.width) && inside_span(point.y, rect.y, rect.height);
}

bool sprite_contains(const Sprite& sprite, Vec2 point) {
    for (const CollisionCircle& circle : sprite.collision_circles())
        if (inside_circle(circle, point))
            return true;
    for (const CollisionRect& rect : sprite.collision_rects())
        if (inside_rect(rect, point))
            return true;
    return false;
}

}  // namespace

bool SceneObject::test_collision_with_point(Vec2 world_point) {
    Vec2 local;
    if (!untransform(world_matrix(), world_point, local))
        return false;
    // An animated sprite tests the shapes of the frame shown, then its own.
    const Sprite* frame = drawn_sprite();
    if (frame != nullptr && sprite_contains(*frame, local))
        return true;
    return m_sprite && m_sprite.get() != frame && sprite_contains(*m_sprite.get(), local);
}

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
