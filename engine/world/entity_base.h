#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/color.h"
#include "core/fixed.h"
#include "core/fixed_vec2.h"
#include "core/resource_ref.h"
#include "network/state_object.h"
#include "resources/sprite.h"
#include "script/weak_slot.h"
#include "world/collision.h"
#include "world/entity_clips.h"
#include "world/world_callbacks.h"

namespace me {

class NativeStateIo;
class StateTranscript;
class RoomBase;

// A game object that lives in a room: a position on the ground plane and a
// height, velocities, a one-tick impulse, friction, gravity and bounce, a
// collision shape with group and mask, a hit box, the clips that show it
// and its colour. Everything that decides where it goes is Fixed, so every
// peer moves it to the same bits; the room ticks it once per game tick.
class EntityBase : public StateObject {
public:
    static const ClassRecord kClassRecord;

    // Bits of m_flags.
    static constexpr uint16_t kFlagNoGravity = 0x1;
    static constexpr uint16_t kFlagNoFriction = 0x2;
    static constexpr uint16_t kFlagCallOnMove = 0x4;
    static constexpr uint16_t kMoveFlags = 0xff;
    static constexpr uint16_t kFlagMovable = 0x100;
    static constexpr uint16_t kFlagScissor = 0x200;
    static constexpr uint16_t kFlagImpulseApplied = 0x400;
    static constexpr uint16_t kFlagSlowdown = 0x800;
    static constexpr uint16_t kFlagLevitate = 0x1000;
    static constexpr uint16_t kFlagNoShadowScale = 0x2000;
    static constexpr uint16_t kFlagFlying = 0x4000;

    // Collision mask bit for the room's static collisions.
    static constexpr uint16_t kStaticCollisionBit = 0x1;
    static constexpr uint8_t kHitShakeTicks = 12;

    EntityBase();
    ~EntityBase() override;
    const ClassRecord& class_record() const override { return kClassRecord; }

    void dump_native_state(StateDumpWriter& dump) const override;
    void save_native_state(StateBuffer& buffer) const override;
    bool load_native_state(StateBuffer& buffer) override;
    // Steps over one saved entity without an object to read it into, writing
    // it to the transcript when one is given.
    static bool skip_native_state(StateBuffer& buffer, uint32_t object_count, const StateTranscript* transcript);

    // Room membership; only the room sets it.
    RoomBase* room() const { return m_room.get(); }
    void set_room(RoomBase* room);
    void remove_from_room();

    // Placement.
    void set_position(FixedVec2 position);
    FixedVec2 position() const { return m_position; }
    void set_scale(FixedVec2 scale) { m_scale = scale; }
    FixedVec2 scale() const { return m_scale; }
    // Never below the no-ground height.
    void set_z(Fixed z);
    Fixed z() const { return m_z; }
    void set_z_order(uint8_t z_order) { m_z_order = z_order; }
    uint8_t z_order() const { return m_z_order; }
    void set_renderable_type(uint8_t type) { m_renderable_type = type; }
    uint8_t renderable_type() const { return m_renderable_type; }
    void set_anchor_offset(FixedVec2 offset) { m_anchor_offset = offset; }
    FixedVec2 anchor_offset() const { return m_anchor_offset; }
    // A new value mirrors the collision shape; true when it changed.
    bool set_facing(uint8_t facing);
    void toggle_facing();
    uint8_t facing() const { return m_facing; }
    int32_t facing_dir() const { return m_facing != 0 ? 1 : -1; }

    // Collision shape.
    const Collision& collision() const { return m_collision; }
    void set_none_collision();
    void set_box_collision(FixedVec2 min, FixedVec2 max, Fixed height);
    void set_skewed_box_collision(FixedVec2 min, FixedVec2 max, Fixed skew, Fixed height);
    void enable_collision(bool enabled);
    bool is_collision_enabled() const { return m_collision_enabled; }
    bool has_collision() const { return m_collision_enabled && m_collision.has_shape(); }
    void set_collision_group_and_mask(uint16_t group, uint16_t mask) {
        m_collision_group = group;
        m_collision_mask = mask;
    }
    uint16_t collision_group() const { return m_collision_group; }
    uint16_t collision_mask() const { return m_collision_mask; }
    // The shape's bounds when it has an enabled one, else one raw unit at
    // the position.
    CollisionBounds footprint() const;
    // Whether a mover with that mask may stand on or run into this entity.
    bool is_obstacle_for(uint16_t mask) const {
        return !m_grabbed && has_collision() && (m_collision_group & mask) != 0;
    }

    // Hit box, relative to the position and z, for facing 0.
    void set_none_hit_box() { m_hit_box_valid = false; }
    void set_hit_box(const std::array<Fixed, 3>& min, const std::array<Fixed, 3>& max);
    bool has_hit_box() const { return m_hit_box_valid; }
    std::array<Fixed, 3> hit_box_min_in_room() const;
    std::array<Fixed, 3> hit_box_max_in_room() const;

    void set_grabbed(bool grabbed, Fixed offset_x, Fixed offset_y);
    bool is_grabbed() const { return m_grabbed; }
    Fixed grabbed_offset_x() const { return m_grabbed_offset_x; }
    Fixed grabbed_offset_y() const { return m_grabbed_offset_y; }

    // Motion parameters.
    void set_velocity(Fixed x, Fixed y, Fixed z);
    void set_velocity_x(Fixed x) { m_velocity_x = x; }
    void set_velocity_y(Fixed y) { m_velocity_y = y; }
    void set_velocity_z(Fixed z) { m_velocity_z = z; }
    Fixed velocity_x() const { return m_velocity_x; }
    Fixed velocity_y() const { return m_velocity_y; }
    Fixed velocity_z() const { return m_velocity_z; }
    Fixed effective_velocity_rough_speed_xy() const;
    Fixed effective_velocity_speed_z() const;
    void set_impulse(Fixed x, Fixed y);
    void add_impulse(Fixed x, Fixed y);
    Fixed impulse_x() const { return m_impulse_x; }
    Fixed impulse_y() const { return m_impulse_y; }
    void set_flag(uint16_t flag, bool set);
    bool has_flag(uint16_t flag) const { return (m_flags & flag) != 0; }
    void set_move_flags(uint8_t flags) { m_flags = static_cast<uint16_t>((m_flags & ~kMoveFlags) | flags); }
    uint8_t move_flags() const { return static_cast<uint8_t>(m_flags & kMoveFlags); }
    void set_ifriction(Fixed ground, Fixed air) {
        m_ifriction = ground;
        m_air_ifriction = air;
    }
    Fixed ifriction() const { return m_ifriction; }
    Fixed air_ifriction() const { return m_air_ifriction; }
    void set_gravity(Fixed gravity) { m_gravity = gravity; }
    Fixed gravity() const { return m_gravity; }
    void set_bounciness(Fixed xy, Fixed z, Fixed threshold);
    void set_bounce_threshold(Fixed threshold) { m_bounce_threshold = threshold; }

    // Motion.
    void move();
    void do_move(FixedVec2 delta, Fixed dz, bool stop, bool push_apart);
    bool is_on_ground() const;
    bool is_standing_on_ground() const;

    // The entity tick the room runs.
    void tick();

    // Clips.
    bool play_clip(const std::string& name, bool anim_move, bool reset_anim_move, bool looping);
    bool play_light_clip(const std::string& name, bool looping);
    void reset_clip(bool report_end) { m_clips.reset_clip(report_end); }
    void reset_light_clip() { m_clips.reset_light_clip(); }
    void set_clip_speed(uint16_t percent) { m_clips.set_clip_speed(percent); }
    void update_clip() { m_clips.update_clip(has_flag(kFlagSlowdown)); }
    FixedVec2 anim_move_delta() { return m_clips.take_anim_move_delta(m_facing != 0); }
    EntityClips& clips() { return m_clips; }
    const EntityClips& clips() const { return m_clips; }

    // Looks.
    void set_shadow_sprite(const std::string* name);
    Sprite* shadow_sprite() const { return m_shadow_sprite.get(); }
    const std::string& shadow_sprite_name() const { return m_shadow_sprite_name; }
    void play_hit_shake(bool small);
    uint8_t hit_shake_timeout() const { return m_hit_shake_timeout; }
    bool is_small_hit_shake() const { return m_small_hit_shake; }
    void set_rgb(uint8_t r, uint8_t g, uint8_t b);
    void set_alpha(uint8_t a);
    uint8_t alpha() const { return m_color[3]; }
    // The tint as drawing uses it (component / 255).
    const Color& color() const { return m_color_floats; }

    WorldCallbacks& callbacks() { return m_callbacks; }

private:
    void visit_state(NativeStateIo& io, bool& shadow_present);
    // The collision bounds follow the position and the shape, and the room
    // learns where they went.
    void place_collision();
    void move_vertically(Fixed dz);
    // Applies a horizontal displacement unless on_move vetoes it.
    void displace(FixedVec2 delta);
    void land(bool levitating);
    void report_wall_hit(FixedVec2 expected);
    bool call_on_move(FixedVec2 position);
    ScriptObject command_handler();
    void update_color_floats();

    WeakPointer<RoomBase> m_room;
    FixedVec2 m_position;
    FixedVec2 m_scale{FIXED_ONE, FIXED_ONE};
    Fixed m_z = kNoGroundHeight;
    uint8_t m_z_order = 7;
    uint8_t m_renderable_type = 3;
    FixedVec2 m_anchor_offset;
    uint8_t m_facing = 0;
    Collision m_collision;
    bool m_collision_enabled = true;
    uint16_t m_collision_group = 0;
    uint16_t m_collision_mask = 0;
    bool m_hit_box_valid = false;
    std::array<Fixed, 3> m_hit_box_mmm{};
    std::array<Fixed, 3> m_hit_box_MMM{};
    bool m_grabbed = false;
    Fixed m_grabbed_offset_x = 0;
    Fixed m_grabbed_offset_y = 0;
    Fixed m_velocity_x = 0;
    Fixed m_velocity_y = 0;
    Fixed m_velocity_z = 0;
    Fixed m_impulse_x = 0;
    Fixed m_impulse_y = 0;
    uint16_t m_flags = 0;
    Fixed m_ifriction = 55705;
    Fixed m_air_ifriction = FIXED_ONE;
    Fixed m_gravity = fixed_from_int(2000);
    Fixed m_bounciness = 52428;
    Fixed m_bounciness_z = 26214;
    Fixed m_bounce_threshold = 0;
    ResourceRef<Sprite> m_shadow_sprite;
    std::string m_shadow_sprite_name;
    EntityClips m_clips;
    uint8_t m_hit_shake_timeout = 0;
    bool m_small_hit_shake = false;
    std::array<uint8_t, 4> m_color{255, 255, 255, 255};
    Color m_color_floats;
    WorldCallbacks m_callbacks;
};

}  // namespace me
