#include <array>
#include <string>

#include "clip/clip.h"
#include "script/bind_class.h"
#include "script/native_class_arguments.h"
#include "script/native_class_binding.h"
#include "script/script_push.h"
#include "world/entity_base.h"
#include "world/fixed_arguments.h"
#include "world/room_draw_list.h"

namespace me {

namespace {

#define ENTITY_THIS()                   \
    NativeArguments arguments(vm);      \
    EntityBase* entity = nullptr;       \
    if (!arguments.instance(1, entity)) \
        return arguments.fail()

void push_fixed_array(HSQUIRRELVM vm, std::initializer_list<Fixed> values) {
    sq_newarray(vm, 0);
    for (Fixed value : values) {
        sq_pushinteger(vm, value);
        sq_arrayappend(vm, -2);
    }
}

bool read_bool(NativeArguments& arguments, SQInteger index, bool& value) {
    SQBool flag = SQFalse;
    if (!arguments.boolean(index, flag))
        return false;
    value = flag != SQFalse;
    return true;
}

bool read_string(HSQUIRRELVM vm, NativeArguments& arguments, SQInteger index, std::string& value) {
    const SQChar* text = nullptr;
    if (!arguments.string(index, text))
        return false;
    value.assign(text, static_cast<size_t>(sq_getsize(vm, index)));
    return true;
}

template <Fixed (EntityBase::*Getter)() const>
SQInteger fixed_getter(HSQUIRRELVM vm) {
    ENTITY_THIS();
    sq_pushinteger(vm, (entity->*Getter)());
    return 1;
}

template <void (EntityBase::*Setter)(Fixed)>
SQInteger fixed_setter(HSQUIRRELVM vm) {
    ENTITY_THIS();
    Fixed value = 0;
    if (!read_fixed(vm, arguments, 2, value))
        return arguments.fail();
    (entity->*Setter)(value);
    return 0;
}

template <FixedVec2 (EntityBase::*Getter)() const>
SQInteger vec2_getter(HSQUIRRELVM vm) {
    ENTITY_THIS();
    push_fixed_vec2(vm, (entity->*Getter)());
    return 1;
}

template <void (EntityBase::*Setter)(FixedVec2)>
SQInteger vec2_setter(HSQUIRRELVM vm) {
    ENTITY_THIS();
    FixedVec2 value;
    SQInteger index = 2;
    if (!read_fixed_vec2(vm, arguments, index, value))
        return arguments.fail();
    (entity->*Setter)(value);
    return 0;
}

template <bool (EntityBase::*Query)() const>
SQInteger bool_getter(HSQUIRRELVM vm) {
    ENTITY_THIS();
    sq_pushbool(vm, (entity->*Query)() ? SQTrue : SQFalse);
    return 1;
}

template <void (EntityBase::*Action)()>
SQInteger action(HSQUIRRELVM vm) {
    ENTITY_THIS();
    (entity->*Action)();
    return 0;
}

template <uint16_t Flag>
SQInteger flag_setter(HSQUIRRELVM vm) {
    ENTITY_THIS();
    bool set = false;
    if (!read_bool(arguments, 2, set))
        return arguments.fail();
    entity->set_flag(Flag, set);
    return 0;
}

template <uint16_t Flag>
SQInteger flag_getter(HSQUIRRELVM vm) {
    ENTITY_THIS();
    sq_pushbool(vm, entity->has_flag(Flag) ? SQTrue : SQFalse);
    return 1;
}

template <class Narrow, Narrow (EntityBase::*Getter)() const>
SQInteger integer_getter(HSQUIRRELVM vm) {
    ENTITY_THIS();
    sq_pushinteger(vm, (entity->*Getter)());
    return 1;
}

SQInteger construct(HSQUIRRELVM vm) {
    const SQInteger constructed = construct_bound_object<EntityBase>(vm);
    if (SQ_FAILED(constructed))
        return constructed;
    ENTITY_THIS();
    entity->attach_instance(vm, 1);
    return 0;
}

SQInteger get_x(HSQUIRRELVM vm) {
    ENTITY_THIS();
    sq_pushinteger(vm, entity->position().x);
    return 1;
}

SQInteger get_y(HSQUIRRELVM vm) {
    ENTITY_THIS();
    sq_pushinteger(vm, entity->position().y);
    return 1;
}

SQInteger set_z_order(HSQUIRRELVM vm) {
    ENTITY_THIS();
    SQInteger value = 0;
    if (!read_integer_in_range(arguments, 2, "z order", 0, 255, value))
        return arguments.fail();
    entity->set_z_order(static_cast<uint8_t>(value));
    return 0;
}

SQInteger set_renderable_type(HSQUIRRELVM vm) {
    ENTITY_THIS();
    SQInteger value = 0;
    if (!read_integer_in_range(arguments, 2, "renderable type", 0, kRenderableTypeCount - 1, value))
        return arguments.fail();
    entity->set_renderable_type(static_cast<uint8_t>(value));
    return 0;
}

SQInteger set_facing(HSQUIRRELVM vm) {
    ENTITY_THIS();
    SQInteger value = 0;
    if (!read_integer_in_range(arguments, 2, "facing", 0, 255, value))
        return arguments.fail();
    sq_pushbool(vm, entity->set_facing(static_cast<uint8_t>(value)) ? SQTrue : SQFalse);
    return 1;
}

SQInteger get_facing_dir(HSQUIRRELVM vm) {
    ENTITY_THIS();
    sq_pushinteger(vm, entity->facing_dir());
    return 1;
}

SQInteger get_collision_bounding_box(HSQUIRRELVM vm) {
    ENTITY_THIS();
    const Collision& collision = entity->collision();
    if (!collision.has_shape()) {
        sq_pushnull(vm);
        return 1;
    }
    const CollisionBounds& b = collision.m_bounds;
    push_fixed_array(vm, {b.min_x, b.min_y, b.max_x, b.max_y});
    return 1;
}

template <std::array<Fixed, 3> (EntityBase::*Corner)() const>
SQInteger hit_box_corner(HSQUIRRELVM vm) {
    ENTITY_THIS();
    if (!entity->has_hit_box()) {
        sq_pushnull(vm);
        return 1;
    }
    const std::array<Fixed, 3> corner = (entity->*Corner)();
    push_fixed_array(vm, {corner[0], corner[1], corner[2]});
    return 1;
}

SQInteger set_velocity(HSQUIRRELVM vm) {
    ENTITY_THIS();
    Fixed x = 0;
    Fixed y = 0;
    Fixed z = 0;
    if (!read_fixed(vm, arguments, 2, x) || !read_fixed(vm, arguments, 3, y) || !read_fixed(vm, arguments, 4, z))
        return arguments.fail();
    entity->set_velocity(x, y, z);
    return 0;
}

SQInteger set_move_flags(HSQUIRRELVM vm) {
    ENTITY_THIS();
    SQInteger flags = 0;
    if (!arguments.integer(2, flags))
        return arguments.fail();
    entity->set_move_flags(static_cast<uint8_t>(flags & EntityBase::kMoveFlags));
    return 0;
}

SQInteger set_ifriction(HSQUIRRELVM vm) {
    ENTITY_THIS();
    Fixed ground = 0;
    Fixed air = 0;
    if (!read_fixed(vm, arguments, 2, ground) || !read_fixed(vm, arguments, 3, air))
        return arguments.fail();
    entity->set_ifriction(ground, air);
    return 0;
}

SQInteger get_ifriction(HSQUIRRELVM vm) {
    ENTITY_THIS();
    push_fixed_array(vm, {entity->ifriction(), entity->air_ifriction()});
    return 1;
}

SQInteger set_bounciness(HSQUIRRELVM vm) {
    ENTITY_THIS();
    Fixed xy = 0;
    Fixed z = 0;
    SQInteger threshold = 0;
    if (!read_fixed(vm, arguments, 2, xy) || !read_fixed(vm, arguments, 3, z) || !arguments.integer(4, threshold))
        return arguments.fail();
    entity->set_bounciness(xy, z, static_cast<Fixed>(threshold));
    return 0;
}

template <void (EntityBase::*Apply)(Fixed, Fixed)>
SQInteger impulse(HSQUIRRELVM vm) {
    ENTITY_THIS();
    Fixed x = 0;
    Fixed y = 0;
    if (!read_fixed(vm, arguments, 2, x) || !read_fixed(vm, arguments, 3, y))
        return arguments.fail();
    (entity->*Apply)(x, y);
    return 0;
}

SQInteger enable_collision(HSQUIRRELVM vm) {
    ENTITY_THIS();
    bool enabled = false;
    if (!read_bool(arguments, 2, enabled))
        return arguments.fail();
    entity->enable_collision(enabled);
    return 0;
}

SQInteger set_collision_group_and_mask(HSQUIRRELVM vm) {
    ENTITY_THIS();
    SQInteger group = 0;
    SQInteger mask = 0;
    if (!arguments.integer(2, group) || !arguments.integer(3, mask))
        return arguments.fail();
    entity->set_collision_group_and_mask(static_cast<uint16_t>(group), static_cast<uint16_t>(mask));
    return 0;
}

SQInteger set_box_collision(HSQUIRRELVM vm) {
    ENTITY_THIS();
    FixedVec2 min;
    FixedVec2 max;
    Fixed height = 0;
    if (!read_shape_arguments(vm, arguments, min, max, nullptr, height))
        return arguments.fail();
    entity->set_box_collision(min, max, height);
    return 0;
}

SQInteger set_skewed_box_collision(HSQUIRRELVM vm) {
    ENTITY_THIS();
    FixedVec2 min;
    FixedVec2 max;
    Fixed skew = 0;
    Fixed height = 0;
    if (!read_shape_arguments(vm, arguments, min, max, &skew, height))
        return arguments.fail();
    entity->set_skewed_box_collision(min, max, skew, height);
    return 0;
}

SQInteger get_collision_height(HSQUIRRELVM vm) {
    ENTITY_THIS();
    sq_pushinteger(vm, entity->collision().m_height);
    return 1;
}

SQInteger set_hit_box(HSQUIRRELVM vm) {
    ENTITY_THIS();
    std::array<FixedVec2, 3> pairs;
    SQInteger index = 2;
    for (FixedVec2& pair : pairs)
        if (!read_fixed_vec2(vm, arguments, index, pair))
            return arguments.fail();
    entity->set_hit_box({pairs[0].x, pairs[0].y, pairs[1].x}, {pairs[1].y, pairs[2].x, pairs[2].y});
    return 0;
}

SQInteger set_grabbed(HSQUIRRELVM vm) {
    ENTITY_THIS();
    bool grabbed = false;
    Fixed x = 0;
    Fixed y = 0;
    if (!read_bool(arguments, 2, grabbed) || !read_fixed(vm, arguments, 3, x) || !read_fixed(vm, arguments, 4, y))
        return arguments.fail();
    entity->set_grabbed(grabbed, x, y);
    return 0;
}

SQInteger do_move(HSQUIRRELVM vm) {
    ENTITY_THIS();
    FixedVec2 delta;
    Fixed dz = 0;
    bool stop = false;
    bool push_apart = false;
    SQInteger index = 2;
    if (!read_fixed_vec2(vm, arguments, index, delta) || !read_fixed(vm, arguments, index, dz) ||
        !read_bool(arguments, index + 1, stop) || !read_bool(arguments, index + 2, push_apart))
        return arguments.fail();
    entity->do_move(delta, dz, stop, push_apart);
    return 0;
}

SQInteger set_shadow_sprite(HSQUIRRELVM vm) {
    ENTITY_THIS();
    const SQObjectType type = arguments.has(2) ? sq_gettype(vm, 2) : OT_NULL;
    if (!arguments.has(2) || (type != OT_NULL && type != OT_STRING))
        return sq_throwerror(vm, "Expecting resource name or null.");
    if (type == OT_NULL) {
        entity->set_shadow_sprite(nullptr);
        return 0;
    }
    std::string name;
    if (!read_string(vm, arguments, 2, name))
        return arguments.fail();
    entity->set_shadow_sprite(&name);
    return 0;
}

template <bool Small>
SQInteger play_hit_shake(HSQUIRRELVM vm) {
    ENTITY_THIS();
    entity->play_hit_shake(Small);
    return 0;
}

SQInteger play_clip(HSQUIRRELVM vm) {
    ENTITY_THIS();
    std::string name;
    SQInteger anim_move = 0;
    bool reset = false;
    bool looping = false;
    if (!read_string(vm, arguments, 2, name) || !arguments.integer(3, anim_move) || !read_bool(arguments, 4, reset) ||
        !read_bool(arguments, 5, looping))
        return arguments.fail();
    sq_pushbool(vm, entity->play_clip(name, anim_move != 0, reset, looping) ? SQTrue : SQFalse);
    return 1;
}

SQInteger play_light_clip(HSQUIRRELVM vm) {
    ENTITY_THIS();
    std::string name;
    bool looping = false;
    if (!read_string(vm, arguments, 2, name) || !read_bool(arguments, 3, looping))
        return arguments.fail();
    sq_pushbool(vm, entity->play_light_clip(name, looping) ? SQTrue : SQFalse);
    return 1;
}

SQInteger reset_clip(HSQUIRRELVM vm) {
    ENTITY_THIS();
    bool report_end = false;
    if (!read_bool(arguments, 2, report_end))
        return arguments.fail();
    entity->reset_clip(report_end);
    return 0;
}

SQInteger set_clip_speed(HSQUIRRELVM vm) {
    ENTITY_THIS();
    SQInteger percent = 0;
    if (!read_integer_in_range(arguments, 2, "clip speed", 0, 65535, percent))
        return arguments.fail();
    entity->set_clip_speed(static_cast<uint16_t>(percent));
    return 0;
}

SQInteger push_name_or_null(HSQUIRRELVM vm, const clip::Clip* clip, const std::string& name) {
    if (clip == nullptr)
        sq_pushnull(vm);
    else
        sq_pushstring(vm, name.c_str(), static_cast<SQInteger>(name.size()));
    return 1;
}

SQInteger get_clip_name(HSQUIRRELVM vm) {
    ENTITY_THIS();
    return push_name_or_null(vm, entity->clips().clip(), entity->clips().clip_name());
}

SQInteger get_light_clip_name(HSQUIRRELVM vm) {
    ENTITY_THIS();
    return push_name_or_null(vm, entity->clips().light_clip(), entity->clips().light_clip_name());
}

SQInteger get_clip(HSQUIRRELVM vm) {
    ENTITY_THIS();
    push_object<GameObject>(vm, entity->clips().clip());
    return 1;
}

SQInteger get_light_clip(HSQUIRRELVM vm) {
    ENTITY_THIS();
    push_object<GameObject>(vm, entity->clips().light_clip());
    return 1;
}

SQInteger set_light_clip_offset(HSQUIRRELVM vm) {
    ENTITY_THIS();
    Fixed x = 0;
    Fixed y = 0;
    Fixed z = 0;
    if (!read_fixed(vm, arguments, 2, x) || !read_fixed(vm, arguments, 3, y) || !read_fixed(vm, arguments, 4, z))
        return arguments.fail();
    entity->clips().set_light_clip_offset(x, y, z);
    return 0;
}

SQInteger set_rgb(HSQUIRRELVM vm) {
    ENTITY_THIS();
    SQInteger r = 0;
    SQInteger g = 0;
    SQInteger b = 0;
    if (!arguments.integer(2, r) || !arguments.integer(3, g) || !arguments.integer(4, b))
        return arguments.fail();
    entity->set_rgb(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b));
    return 0;
}

SQInteger set_alpha(HSQUIRRELVM vm) {
    ENTITY_THIS();
    SQInteger a = 0;
    if (!arguments.integer(2, a))
        return arguments.fail();
    entity->set_alpha(static_cast<uint8_t>(a));
    return 0;
}

SQInteger get_anim_move_delta(HSQUIRRELVM vm) {
    ENTITY_THIS();
    push_fixed_vec2(vm, entity->anim_move_delta());
    return 1;
}

constexpr MethodBinding kMethods[] = {
    {"constructor", construct, 1, "x"},
    {"remove_from_room", action<&EntityBase::remove_from_room>},
    {"set_position", vec2_setter<&EntityBase::set_position>},
    {"get_position", vec2_getter<&EntityBase::position>},
    {"get_x", get_x},
    {"get_y", get_y},
    {"set_scale", vec2_setter<&EntityBase::set_scale>},
    {"get_scale", vec2_getter<&EntityBase::scale>},
    {"set_z", fixed_setter<&EntityBase::set_z>},
    {"get_z", fixed_getter<&EntityBase::z>},
    {"set_z_order", set_z_order},
    {"get_z_order", integer_getter<uint8_t, &EntityBase::z_order>},
    {"set_renderable_type", set_renderable_type},
    {"get_renderable_type", integer_getter<uint8_t, &EntityBase::renderable_type>},
    {"set_anchor_offset", vec2_setter<&EntityBase::set_anchor_offset>},
    {"get_anchor_offset", vec2_getter<&EntityBase::anchor_offset>},
    {"get_collision_bounding_box", get_collision_bounding_box},
    {"has_hit_box", bool_getter<&EntityBase::has_hit_box>},
    {"get_hit_box_mmm_in_room", hit_box_corner<&EntityBase::hit_box_min_in_room>},
    {"get_hit_box_MMM_in_room", hit_box_corner<&EntityBase::hit_box_max_in_room>},
    {"get_facing", integer_getter<uint8_t, &EntityBase::facing>},
    {"set_facing", set_facing},
    {"get_facing_dir", get_facing_dir},
    {"toggle_facing", action<&EntityBase::toggle_facing>},
    {"get_effective_velocity_rough_speed_xy", fixed_getter<&EntityBase::effective_velocity_rough_speed_xy>},
    {"get_effective_velocity_speed_z", fixed_getter<&EntityBase::effective_velocity_speed_z>},
    {"set_velocity", set_velocity},
    {"set_velocity_x", fixed_setter<&EntityBase::set_velocity_x>},
    {"set_velocity_y", fixed_setter<&EntityBase::set_velocity_y>},
    {"set_velocity_z", fixed_setter<&EntityBase::set_velocity_z>},
    {"get_velocity_x", fixed_getter<&EntityBase::velocity_x>},
    {"get_velocity_y", fixed_getter<&EntityBase::velocity_y>},
    {"get_velocity_z", fixed_getter<&EntityBase::velocity_z>},
    {"set_scissor", flag_setter<EntityBase::kFlagScissor>},
    {"set_slowdown", flag_setter<EntityBase::kFlagSlowdown>},
    {"set_levitate", flag_setter<EntityBase::kFlagLevitate>},
    {"set_flying", flag_setter<EntityBase::kFlagFlying>},
    {"set_no_shadow_scale", flag_setter<EntityBase::kFlagNoShadowScale>},
    {"set_movable", flag_setter<EntityBase::kFlagMovable>},
    {"is_levitating", flag_getter<EntityBase::kFlagLevitate>},
    {"is_flying", flag_getter<EntityBase::kFlagFlying>},
    {"is_movable", flag_getter<EntityBase::kFlagMovable>},
    {"set_move_flags", set_move_flags},
    {"get_move_flags", integer_getter<uint8_t, &EntityBase::move_flags>},
    {"set_ifriction", set_ifriction},
    {"get_ifriction", get_ifriction},
    {"set_gravity", fixed_setter<&EntityBase::set_gravity>},
    {"get_gravity", fixed_getter<&EntityBase::gravity>},
    {"set_bounciness", set_bounciness},
    {"set_bounce_threshold", fixed_setter<&EntityBase::set_bounce_threshold>},
    {"move", action<&EntityBase::move>},
    {"set_impulse", impulse<&EntityBase::set_impulse>},
    {"add_impulse", impulse<&EntityBase::add_impulse>},
    {"get_impulse_x", fixed_getter<&EntityBase::impulse_x>},
    {"get_impulse_y", fixed_getter<&EntityBase::impulse_y>},
    {"enable_collision", enable_collision},
    {"is_collision_enabled", bool_getter<&EntityBase::is_collision_enabled>},
    {"has_collision", bool_getter<&EntityBase::has_collision>},
    {"set_collision_group_and_mask", set_collision_group_and_mask},
    {"get_collision_group", integer_getter<uint16_t, &EntityBase::collision_group>},
    {"get_collision_mask", integer_getter<uint16_t, &EntityBase::collision_mask>},
    {"set_none_collision", action<&EntityBase::set_none_collision>},
    {"set_box_collision", set_box_collision},
    {"set_skewed_box_collision", set_skewed_box_collision},
    {"get_collision_height", get_collision_height},
    {"set_none_hit_box", action<&EntityBase::set_none_hit_box>},
    {"set_hit_box", set_hit_box},
    {"set_grabbed", set_grabbed},
    {"is_grabbed", bool_getter<&EntityBase::is_grabbed>},
    {"is_on_ground", bool_getter<&EntityBase::is_on_ground>},
    {"is_standing_on_ground", bool_getter<&EntityBase::is_standing_on_ground>},
    {"do_move", do_move},
    {"set_shadow_sprite", set_shadow_sprite},
    {"play_hit_shake", play_hit_shake<false>},
    {"play_small_hit_shake", play_hit_shake<true>},
    {"play_clip", play_clip},
    {"play_light_clip", play_light_clip},
    {"reset_clip", reset_clip},
    {"reset_light_clip", action<&EntityBase::reset_light_clip>},
    {"set_clip_speed", set_clip_speed},
    {"get_clip_name", get_clip_name},
    {"get_light_clip_name", get_light_clip_name},
    {"get_clip", get_clip},
    {"get_light_clip", get_light_clip},
    {"update_clip", action<&EntityBase::update_clip>},
    {"set_light_clip_offset", set_light_clip_offset},
    {"set_rgb", set_rgb},
    {"get_alpha", integer_getter<uint8_t, &EntityBase::alpha>},
    {"set_alpha", set_alpha},
    {"get_anim_move_delta", get_anim_move_delta},
};

const NativeClassBinding g_entity_base_binding(EntityBase::kClassRecord, kMethods);

}  // namespace

}  // namespace me
