#include "world/entity_base.h"

#include <algorithm>
#include <utility>

#include "network/native_state_skipper.h"
#include "network/state_buffer.h"
#include "network/state_manager.h"
#include "script/script_host.h"
#include "world/fixed_arguments.h"
#include "world/native_state_io.h"
#include "world/room_base.h"

namespace me {

namespace {

constexpr int32_t kTicksPerSecond = 60;
constexpr float kColorScale = 0.003921569f;

Fixed fixed_abs(Fixed value) { return value < 0 ? fixed_neg(value) : value; }

}  // namespace

const ClassRecord EntityBase::kClassRecord{"EntityBase", &StateObject::kClassRecord};

namespace {

const NativeStateSkipper g_skipper(EntityBase::kClassRecord, &EntityBase::skip_native_state);

}  // namespace

EntityBase::EntityBase() { place_collision(); }

EntityBase::~EntityBase() = default;

void EntityBase::set_room(RoomBase* room) { m_room.reset(room); }

void EntityBase::remove_from_room() {
    if (RoomBase* room = m_room.get())
        room->remove_entity(*this);
}

void EntityBase::set_position(FixedVec2 position) {
    m_position = position;
    place_collision();
}

void EntityBase::place_collision() {
    m_collision.place(m_position);
    if (RoomBase* room = m_room.get())
        room->entity_bounds_changed(*this);
}

void EntityBase::enable_collision(bool enabled) {
    m_collision_enabled = enabled;
    if (RoomBase* room = m_room.get())
        room->entity_bounds_changed(*this);
}

void EntityBase::set_z(Fixed z) { m_z = std::max(z, kNoGroundHeight); }

bool EntityBase::set_facing(uint8_t facing) {
    if (facing == m_facing)
        return false;
    m_facing = facing;
    m_collision.mirror();
    place_collision();
    return true;
}

void EntityBase::toggle_facing() { set_facing(m_facing == 0 ? 1 : 0); }

void EntityBase::set_none_collision() {
    m_collision.m_type = CollisionType::None;
    m_collision.m_height = kNoGroundHeight;
    m_collision.m_skew = 0;
    place_collision();
}

void EntityBase::set_box_collision(FixedVec2 min, FixedVec2 max, Fixed height) {
    set_skewed_box_collision(min, max, 0, height);
    m_collision.m_type = CollisionType::Box;
    place_collision();
}

void EntityBase::set_skewed_box_collision(FixedVec2 min, FixedVec2 max, Fixed skew, Fixed height) {
    m_collision.m_type = CollisionType::SkewedBox;
    m_collision.m_x = m_facing != 0 ? fixed_neg(max.x) : min.x;
    m_collision.m_y = min.y;
    m_collision.m_width = fixed_sub(max.x, min.x);
    m_collision.m_depth = fixed_sub(max.y, min.y);
    m_collision.m_skew = m_facing != 0 ? fixed_neg(skew) : skew;
    m_collision.m_height = height;
    place_collision();
}

CollisionBounds EntityBase::footprint() const {
    return has_collision() ? m_collision.m_bounds : CollisionBounds::unit_at(m_position);
}

void EntityBase::set_hit_box(const std::array<Fixed, 3>& min, const std::array<Fixed, 3>& max) {
    m_hit_box_mmm = min;
    m_hit_box_MMM = max;
    m_hit_box_valid = true;
}

std::array<Fixed, 3> EntityBase::hit_box_min_in_room() const {
    const Fixed x = m_facing != 0 ? fixed_sub(m_position.x, m_hit_box_MMM[0]) : fixed_add(m_position.x, m_hit_box_mmm[0]);
    return {x, fixed_add(m_position.y, m_hit_box_mmm[1]), fixed_add(m_z, m_hit_box_mmm[2])};
}

std::array<Fixed, 3> EntityBase::hit_box_max_in_room() const {
    const Fixed x = m_facing != 0 ? fixed_sub(m_position.x, m_hit_box_mmm[0]) : fixed_add(m_position.x, m_hit_box_MMM[0]);
    return {x, fixed_add(m_position.y, m_hit_box_MMM[1]), fixed_add(m_z, m_hit_box_MMM[2])};
}

void EntityBase::set_grabbed(bool grabbed, Fixed offset_x, Fixed offset_y) {
    m_grabbed = grabbed;
    m_grabbed_offset_x = offset_x;
    m_grabbed_offset_y = offset_y;
}

void EntityBase::set_velocity(Fixed x, Fixed y, Fixed z) {
    m_velocity_x = x;
    m_velocity_y = y;
    m_velocity_z = z;
}

Fixed EntityBase::effective_velocity_rough_speed_xy() const {
    const Fixed a = fixed_abs(fixed_add(m_velocity_x, m_impulse_x));
    const Fixed b = fixed_abs(fixed_add(m_velocity_y, m_impulse_y));
    return fixed_add(std::max(a, b), std::min(a, b) / 2);
}

Fixed EntityBase::effective_velocity_speed_z() const { return fixed_abs(m_velocity_z); }

void EntityBase::set_impulse(Fixed x, Fixed y) {
    m_impulse_x = x;
    m_impulse_y = y;
    set_flag(kFlagImpulseApplied, false);
}

void EntityBase::add_impulse(Fixed x, Fixed y) {
    if (has_flag(kFlagImpulseApplied)) {
        set_impulse(x, y);
        return;
    }
    m_impulse_x = fixed_add(m_impulse_x, x);
    m_impulse_y = fixed_add(m_impulse_y, y);
}

void EntityBase::set_flag(uint16_t flag, bool set) {
    m_flags = static_cast<uint16_t>(set ? m_flags | flag : m_flags & ~flag);
}

void EntityBase::set_bounciness(Fixed xy, Fixed z, Fixed threshold) {
    m_bounciness = xy;
    m_bounciness_z = z;
    m_bounce_threshold = threshold;
}

bool EntityBase::is_on_ground() const {
    if (m_velocity_z > 0)
        return false;
    if (has_flag(kFlagLevitate) && m_z <= 0)
        return true;
    return is_standing_on_ground();
}

bool EntityBase::is_standing_on_ground() const {
    if (m_z <= kNoGroundHeight)
        return true;
    if (m_collision_mask == 0)
        return false;
    const RoomBase* room = m_room.get();
    return room != nullptr && room->has_surface_at(*this, m_z);
}

void EntityBase::move() {
    if (!has_flag(kFlagMovable) || m_grabbed)
        return;
    const bool on_ground = is_on_ground();
    const bool flying = has_flag(kFlagFlying);
    if (!flying && !has_flag(kFlagNoFriction)) {
        const Fixed friction = on_ground ? m_ifriction : m_air_ifriction;
        m_velocity_x = fixed_mul(m_velocity_x, friction);
        m_velocity_y = fixed_mul(m_velocity_y, friction);
    }
    if (!on_ground && !flying && !has_flag(kFlagNoGravity))
        m_velocity_z = fixed_add(m_velocity_z, m_gravity / -kTicksPerSecond);
    Fixed bx = m_velocity_x;
    Fixed by = m_velocity_y;
    if (has_flag(kFlagImpulseApplied)) {
        m_impulse_x = 0;
        m_impulse_y = 0;
    } else {
        set_flag(kFlagImpulseApplied, true);
        bx = fixed_add(bx, m_impulse_x);
        by = fixed_add(by, m_impulse_y);
    }
    const int32_t divisor = has_flag(kFlagSlowdown) ? 2 * kTicksPerSecond : kTicksPerSecond;
    bx /= divisor;
    by /= divisor;
    Fixed dz = m_velocity_z / kTicksPerSecond;
    if (flying) {
        dz = fixed_sub(dz, by);
        by = 0;
    }
    const FixedVec2 start = m_position;
    do_move({bx, by}, dz, true, false);
    if (m_room.get() == nullptr)
        return;
    if (bx != 0 || by != 0)
        report_wall_hit(start + FixedVec2{bx, by});
    if (m_room.get() != nullptr)
        land(has_flag(kFlagLevitate));
}

void EntityBase::report_wall_hit(FixedVec2 expected) {
    const int32_t blocked = (m_position.x != expected.x ? 1 : 0) | (m_position.y != expected.y ? 2 : 0);
    if (blocked != 0)
        m_callbacks.call(*this, WorldCallback::OnWallHit, {SQInteger{blocked}});
}

void EntityBase::land(bool levitating) {
    if (levitating && m_z < 0)
        m_z = 0;
    if (m_velocity_z >= 0 || !is_on_ground())
        return;
    bool bounced = false;
    if (m_bounce_threshold <= 0 || fixed_abs(m_velocity_z) < m_bounce_threshold) {
        m_velocity_z = 0;
    } else {
        m_velocity_x = fixed_mul(m_velocity_x, m_bounciness);
        m_velocity_y = fixed_mul(m_velocity_y, m_bounciness);
        m_velocity_z = fixed_neg(fixed_mul(m_bounciness_z, m_velocity_z));
        bounced = true;
    }
    m_callbacks.call(*this, WorldCallback::OnGroundHit, {bounced});
}

void EntityBase::do_move(FixedVec2 delta, Fixed dz, bool stop, bool push_apart) {
    RoomBase* room = m_room.get();
    if (push_apart && room != nullptr)
        delta = delta + room->push_apart_vector(*this);
    move_vertically(dz);
    if (delta.x == 0 && delta.y == 0)
        return;
    if (!has_collision() || m_collision_mask == 0 || room == nullptr) {
        displace(delta);
        return;
    }
    CollisionSweep sweep(m_collision.m_bounds, m_z, m_collision_mask, delta, stop);
    room->sweep(*this, sweep);
    // The hit entity must outlive the callbacks below, which may drop it.
    ResourceRef<EntityBase> hit_entity(sweep.hit_entity());
    if (sweep.is_moving())
        displace(sweep.delta());
    if (sweep.hit() && m_room.get() != nullptr)
        m_callbacks.call(*this, WorldCallback::OnCollision, {script_instance_of(hit_entity.get())});
}

void EntityBase::move_vertically(Fixed dz) {
    if (dz >= 0) {
        m_z = fixed_add(m_z, dz);
    } else if (m_z <= kNoGroundHeight) {
        m_z = kNoGroundHeight;
    } else {
        const RoomBase* room = m_room.get();
        const Fixed top = room != nullptr ? room->highest_top_under(*this, m_collision_mask, kNoGroundHeight, m_z)
                                          : kNoGroundHeight;
        const int64_t fall = -static_cast<int64_t>(dz);
        m_z = fall >= static_cast<int64_t>(m_z) - top ? top : fixed_add(m_z, dz);
    }
    m_z = std::max(m_z, kNoGroundHeight);
}

void EntityBase::displace(FixedVec2 delta) {
    const FixedVec2 target = m_position + delta;
    if (has_flag(kFlagCallOnMove) && !call_on_move(target))
        return;
    set_position(target);
}

bool EntityBase::call_on_move(FixedVec2 position) {
    if (g_script_host == nullptr || !ownership().is_bound())
        return true;
    HSQUIRRELVM vm = g_script_host->vm();
    push_fixed_vec2(vm, position);
    const ScriptObject argument(vm, -1);
    sq_pop(vm, 1);
    ScriptObject result;
    if (!m_callbacks.call(*this, WorldCallback::OnMove, {argument}, &result))
        return true;
    return is_script_true(result);
}

void EntityBase::tick() {
    if (m_hit_shake_timeout > 0)
        --m_hit_shake_timeout;
    if (m_clips.take_clip_end())
        m_callbacks.call(*this, WorldCallback::OnClipEnd);
    if (m_room.get() == nullptr)
        return;
    if (!m_grabbed)
        m_callbacks.call(*this, WorldCallback::Tick);
    if (m_room.get() == nullptr)
        return;
    update_clip();
    m_clips.advance_light_clip();
    m_clips.end_tick();
    if (m_room.get() == nullptr)
        return;
    move();
    m_callbacks.call(*this, WorldCallback::PostTick);
}

bool EntityBase::play_clip(const std::string& name, bool anim_move, bool reset_anim_move, bool looping) {
    return m_clips.play_clip(name, anim_move, reset_anim_move, looping, command_handler());
}

bool EntityBase::play_light_clip(const std::string& name, bool looping) {
    return m_clips.play_light_clip(name, looping, command_handler());
}

ScriptObject EntityBase::command_handler() {
    if (g_script_host == nullptr || !ownership().is_bound())
        return {};
    HSQUIRRELVM vm = g_script_host->vm();
    ownership().push_instance(vm);
    sq_weakref(vm, -1);
    ScriptObject handler(vm, -1);
    sq_pop(vm, 2);
    return handler;
}

void EntityBase::set_shadow_sprite(const std::string* name) {
    if (name == nullptr) {
        m_shadow_sprite.reset();
        m_shadow_sprite_name.clear();
        return;
    }
    m_shadow_sprite = load_sprite(*name);
    m_shadow_sprite_name = m_shadow_sprite ? *name : std::string();
}

void EntityBase::play_hit_shake(bool small) {
    m_hit_shake_timeout = kHitShakeTicks;
    m_small_hit_shake = small;
}

void EntityBase::set_rgb(uint8_t r, uint8_t g, uint8_t b) {
    m_color[0] = r;
    m_color[1] = g;
    m_color[2] = b;
    update_color_floats();
}

void EntityBase::set_alpha(uint8_t a) {
    m_color[3] = a;
    update_color_floats();
}

void EntityBase::update_color_floats() {
    m_color_floats = {m_color[0] * kColorScale, m_color[1] * kColorScale, m_color[2] * kColorScale,
                      m_color[3] * kColorScale};
}

// The saved layout: every member in order, with its width and dump name.
void EntityBase::visit_state(NativeStateIo& io, bool& shadow_present) {
    StateObject* room = m_room.get();
    io.ref("EntityBase::m_room", room, RoomBase::kClassRecord);
    io.fixed("EntityBase::m_position.x", m_position.x);
    io.fixed("EntityBase::m_position.y", m_position.y);
    io.fixed("EntityBase::m_scale.x", m_scale.x);
    io.fixed("EntityBase::m_scale.y", m_scale.y);
    io.fixed("EntityBase::m_z", m_z);
    io.u8("EntityBase::m_z_order", m_z_order);
    io.u8("EntityBase::m_renderable_type", m_renderable_type);
    io.fixed("EntityBase::m_anchor_offset.x", m_anchor_offset.x);
    io.fixed("EntityBase::m_anchor_offset.y", m_anchor_offset.y);
    io.u8("EntityBase::m_facing", m_facing);
    uint8_t type = static_cast<uint8_t>(m_collision.m_type);
    io.u8("Collision::m_type", type);
    io.fixed("Collision::m_x", m_collision.m_x);
    io.fixed("Collision::m_y", m_collision.m_y);
    io.fixed("Collision::m_width", m_collision.m_width);
    io.fixed("Collision::m_depth", m_collision.m_depth);
    io.fixed("Collision::m_skew", m_collision.m_skew);
    io.fixed("Collision::m_height", m_collision.m_height);
    io.boolean("EntityBase::m_collision_enabled", m_collision_enabled);
    io.u16("EntityBase::m_collision_group", m_collision_group);
    io.u16("EntityBase::m_collision_mask", m_collision_mask);
    io.boolean("EntityBase::m_hit_box_valid", m_hit_box_valid);
    if (m_hit_box_valid) {
        io.fixed("EntityBase::m_hit_box_mmm[ 0 ]", m_hit_box_mmm[0]);
        io.fixed("EntityBase::m_hit_box_mmm[ 1 ]", m_hit_box_mmm[1]);
        io.fixed("EntityBase::m_hit_box_mmm[ 2 ]", m_hit_box_mmm[2]);
        io.fixed("EntityBase::m_hit_box_MMM[ 0 ]", m_hit_box_MMM[0]);
        io.fixed("EntityBase::m_hit_box_MMM[ 1 ]", m_hit_box_MMM[1]);
        io.fixed("EntityBase::m_hit_box_MMM[ 2 ]", m_hit_box_MMM[2]);
    }
    io.boolean("EntityBase::m_grabbed", m_grabbed);
    io.fixed("EntityBase::m_grabbed_offset_x", m_grabbed_offset_x);
    io.fixed("EntityBase::m_grabbed_offset_y", m_grabbed_offset_y);
    io.fixed("EntityBase::m_velocity_x", m_velocity_x);
    io.fixed("EntityBase::m_velocity_y", m_velocity_y);
    io.fixed("EntityBase::m_velocity_z", m_velocity_z);
    io.fixed("EntityBase::m_impulse_x", m_impulse_x);
    io.fixed("EntityBase::m_impulse_y", m_impulse_y);
    io.u16("EntityBase::m_flags", m_flags);
    io.fixed("EntityBase::m_ifriction", m_ifriction);
    io.fixed("EntityBase::m_air_ifriction", m_air_ifriction);
    io.fixed("EntityBase::m_gravity", m_gravity);
    io.fixed("EntityBase::m_bounciness", m_bounciness);
    io.fixed("EntityBase::m_bounciness_z", m_bounciness_z);
    io.fixed("EntityBase::m_bounce_threshold", m_bounce_threshold);
    io.boolean("EntityBase::m_shadow_sprite", shadow_present);
    if (shadow_present)
        io.string("EntityBase::m_shadow_sprite_name", m_shadow_sprite_name);
    if (io.mode() == NativeStateIo::Mode::Read)
        m_clips.transfer_state(io, command_handler());
    else if (io.is_reading())
        m_clips.transfer_state(io, ScriptObject());
    else
        std::as_const(m_clips).transfer_state(io);
    io.u8("EntityBase::m_hit_shake_timeout", m_hit_shake_timeout);
    io.boolean("EntityBase::m_small_hit_shake", m_small_hit_shake);
    io.u8("EntityBase::m_color.r", m_color[0]);
    io.u8("EntityBase::m_color.g", m_color[1]);
    io.u8("EntityBase::m_color.b", m_color[2]);
    io.u8("EntityBase::m_color.a", m_color[3]);
    if (!io.is_reading())
        return;
    if (type > static_cast<uint8_t>(CollisionType::SkewedBox))
        io.refuse("Invalid collision type read from state buffer");
    m_collision.m_type = static_cast<CollisionType>(type);
    m_room.reset(static_cast<RoomBase*>(room));
}

void EntityBase::dump_native_state(StateDumpWriter& dump) const {
    NativeStateIo io = NativeStateIo::dumper(dump);
    bool shadow_present = m_shadow_sprite.get() != nullptr;
    // Dumping and writing only read the members they are handed.
    const_cast<EntityBase*>(this)->visit_state(io, shadow_present);
}

void EntityBase::save_native_state(StateBuffer& buffer) const {
    NativeStateIo io = NativeStateIo::writer(buffer);
    bool shadow_present = m_shadow_sprite.get() != nullptr;
    const_cast<EntityBase*>(this)->visit_state(io, shadow_present);
}

bool EntityBase::load_native_state(StateBuffer& buffer) {
    std::span<StateObject* const> objects;
    if (g_state_manager != nullptr)
        objects = g_state_manager->objects();
    NativeStateIo io = NativeStateIo::reader(buffer, objects);
    bool shadow_present = false;
    const std::string previous_shadow = m_shadow_sprite_name;
    visit_state(io, shadow_present);
    if (!io.ok())
        return false;
    if (!shadow_present)
        m_shadow_sprite.reset();
    else if (!m_shadow_sprite || m_shadow_sprite_name != previous_shadow)
        m_shadow_sprite = load_sprite(m_shadow_sprite_name);
    if (!shadow_present)
        m_shadow_sprite_name.clear();
    place_collision();
    update_color_floats();
    return true;
}

bool EntityBase::skip_native_state(StateBuffer& buffer, uint32_t object_count, const StateTranscript* transcript) {
    NativeStateIo io = NativeStateIo::skipper(buffer, object_count, transcript);
    EntityBase scratch;
    bool shadow_present = false;
    scratch.visit_state(io, shadow_present);
    return io.ok();
}

}  // namespace me
