#include "world/room_scenery_script.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "clip/clip_resource.h"
#include "clip/clip_script_arguments.h"
#include "core/log_format.h"
#include "gpu/quad_batch.h"
#include "gpu/render_device.h"
#include "gpu/view2d.h"
#include "gpu/view2d_viewport.h"
#include "script/native_class_arguments.h"
#include "world/fixed_arguments.h"
#include "world/room_base.h"
#include "world/room_renderer.h"

namespace me {

namespace {

constexpr SQInteger kLastRenderableType = kRenderableTypeCount - 1;

#define SCENERY_THIS()                \
    NativeArguments arguments(vm);    \
    RoomBase* room = nullptr;         \
    if (!arguments.instance(1, room)) \
        return arguments.fail();      \
    RoomScenery& scenery = room->scenery()

bool read_int32(NativeArguments& arguments, SQInteger index, int32_t& value) {
    SQInteger number = 0;
    if (!arguments.integer(index, number))
        return false;
    value = static_cast<int32_t>(number);
    return true;
}

bool read_float(NativeArguments& arguments, SQInteger index, float& value) {
    SQFloat number = 0.0f;
    if (!arguments.floating(index, number))
        return false;
    value = number;
    return true;
}

// Four 0-255 numbers, from index on.
bool read_color(NativeArguments& arguments, SQInteger index, Color& color) {
    float components[4]{};
    for (SQInteger i = 0; i < 4; ++i) {
        SQFloat number = 0.0f;
        if (!arguments.numeric(index + i, number))
            return false;
        components[i] = number * kColorByteScale;
    }
    color = {components[0], components[1], components[2], components[3]};
    return true;
}

bool read_renderable_type(NativeArguments& arguments, SQInteger index, int32_t& type) {
    SQInteger value = 0;
    if (!read_integer_in_range(arguments, index, "renderable type", 0, kLastRenderableType, value))
        return false;
    type = static_cast<int32_t>(value);
    return true;
}

// The index argument 2. A negative index names nothing (the -1 of an object
// that was not added) and is let pass; an index past the end is a mistake
// that would otherwise go unseen.
bool read_index(NativeArguments& arguments, size_t count, const char* what, SQInteger& index) {
    if (!arguments.integer(2, index))
        return false;
    if (index < 0 || static_cast<uint64_t>(index) < count)
        return true;
    std::string message = "Invalid %1 index %2.";
    format_arg(message, what);
    format_arg(message, static_cast<int64_t>(index));
    return arguments.refuse(message);
}

// Null (and true) for a negative index.
bool read_static_object(NativeArguments& arguments, RoomDecorations& decorations, StaticObject*& object) {
    SQInteger index = 0;
    if (!read_index(arguments, decorations.count(), "static object", index))
        return false;
    object = decorations.find(index);
    return true;
}

bool read_particle(NativeArguments& arguments, RoomParticles& particles, RoomParticle*& particle) {
    SQInteger index = 0;
    if (!read_index(arguments, particles.count(), "particle", index))
        return false;
    particle = particles.find(index);
    return true;
}

// Reads the placement arguments shared by the static object calls:
// renderable type, position, z, sort position, layer, then (after the thing
// shown, at index + 1 past them) the scale.
bool read_placement(HSQUIRRELVM vm, NativeArguments& arguments, SQInteger& index, StaticPlacement& placement) {
    return read_renderable_type(arguments, index++, placement.renderable_type) &&
           read_fixed_vec2(vm, arguments, index, placement.position) &&
           read_fixed(vm, arguments, index++, placement.z) &&
           read_fixed_vec2(vm, arguments, index, placement.sort_position) &&
           read_int32(arguments, index++, placement.layer);
}

// Drawing reaches the window through the process's device and batch, which
// exist from start-up to shutdown while scripts run.
bool can_draw() { return g_render_device != nullptr && g_sprite_batch != nullptr; }

RoomRenderer window_renderer() {
    return RoomRenderer(*g_render_device, *g_sprite_batch, nullptr, current_screen_size().y);
}

SQInteger render(HSQUIRRELVM vm) {
    SCENERY_THIS();
    (void)scenery;
    View2d* view = nullptr;
    if (!arguments.instance(2, view))
        return arguments.fail();
    if (can_draw()) {
        RoomRenderer renderer = window_renderer();
        room->render(*view, renderer);
    }
    return 0;
}

SQInteger render_fade(HSQUIRRELVM vm) {
    SCENERY_THIS();
    View2d* view = nullptr;
    float amount = 0.0f;
    if (!arguments.instance(2, view) || !read_float(arguments, 3, amount))
        return arguments.fail();
    if (can_draw()) {
        RoomRenderer renderer = window_renderer();
        scenery.render_fade(*view, renderer, amount);
    }
    return 0;
}

SQInteger add_static_sprite_object(HSQUIRRELVM vm) {
    SCENERY_THIS();
    StaticPlacement placement;
    ResourceRef<Sprite> sprite;
    SQInteger index = 2;
    if (!read_placement(vm, arguments, index, placement) || !clip::read_sprite_or_null(arguments, vm, index++, sprite) ||
        !read_fixed_vec2(vm, arguments, index, placement.scale))
        return arguments.fail();
    sq_pushinteger(vm, scenery.decorations().add_sprite_object(placement, std::move(sprite)));
    return 1;
}

SQInteger add_static_clip_object(HSQUIRRELVM vm) {
    SCENERY_THIS();
    StaticPlacement placement;
    clip::Clip* shown = nullptr;
    SQInteger index = 2;
    if (!read_placement(vm, arguments, index, placement) || !arguments.instance(index++, shown, true) ||
        !read_fixed_vec2(vm, arguments, index, placement.scale))
        return arguments.fail();
    sq_pushinteger(vm, scenery.decorations().add_clip_object(placement, ResourceRef<clip::Clip>(shown)));
    return 1;
}

SQInteger set_static_object_color(HSQUIRRELVM vm) {
    SCENERY_THIS();
    StaticObject* object = nullptr;
    Color color;
    if (!read_static_object(arguments, scenery.decorations(), object) || !read_color(arguments, 3, color))
        return arguments.fail();
    if (object != nullptr)
        RoomDecorations::set_color(*object, color);
    return 0;
}

SQInteger add_overlay_clip_object(HSQUIRRELVM vm) {
    SCENERY_THIS();
    FixedVec2 position;
    Fixed z = 0;
    int32_t layer = 0;
    clip::Clip* shown = nullptr;
    SQInteger index = 2;
    if (!read_fixed_vec2(vm, arguments, index, position) || !read_fixed(vm, arguments, index, z) ||
        !read_int32(arguments, index + 1, layer))
        return arguments.fail();
    if (!arguments.instance(index + 2, shown))
        return sq_throwerror(vm, "Expecting clip::ClipObject");
    scenery.decorations().add_overlay(position, z, layer, ResourceRef<clip::Clip>(shown));
    return 0;
}

// add_decal(sprite, floor z, position, layer, renderable type, scale): a
// sprite lying on the floor, sorted by its own position.
SQInteger add_decal(HSQUIRRELVM vm) {
    SCENERY_THIS();
    ResourceRef<Sprite> sprite;
    StaticPlacement placement;
    SQInteger index = 4;
    if (!clip::read_sprite_or_null(arguments, vm, 2, sprite) || !read_fixed(vm, arguments, 3, placement.z) ||
        !read_fixed_vec2(vm, arguments, index, placement.position) || !read_int32(arguments, index, placement.layer) ||
        !read_renderable_type(arguments, index + 1, placement.renderable_type))
        return arguments.fail();
    index += 2;
    if (!read_fixed_vec2(vm, arguments, index, placement.scale))
        return arguments.fail();
    placement.sort_position = placement.position;
    sq_pushinteger(vm, scenery.decorations().add_sprite_object(placement, std::move(sprite)));
    return 1;
}

SQInteger set_decal_floor_type(HSQUIRRELVM vm) {
    SCENERY_THIS();
    StaticObject* object = nullptr;
    int32_t floor_type = 0;
    FixedVec2 min;
    FixedVec2 max;
    SQInteger index = 4;
    if (!read_static_object(arguments, scenery.decorations(), object) || !read_int32(arguments, 3, floor_type) ||
        !read_fixed_vec2(vm, arguments, index, min) || !read_fixed_vec2(vm, arguments, index, max))
        return arguments.fail();
    if (object != nullptr)
        RoomDecorations::set_floor_type(*object, floor_type, min, max);
    return 0;
}

SQInteger set_decal_angle(HSQUIRRELVM vm) {
    SCENERY_THIS();
    StaticObject* object = nullptr;
    float turns = 0.0f;
    if (!read_static_object(arguments, scenery.decorations(), object) || !read_float(arguments, 3, turns))
        return arguments.fail();
    if (object != nullptr)
        RoomDecorations::set_angle(*object, turns);
    return 0;
}

SQInteger get_floor_type_at_position(HSQUIRRELVM vm) {
    SCENERY_THIS();
    FixedVec2 point;
    SQInteger index = 2;
    if (!read_fixed_vec2(vm, arguments, index, point))
        return arguments.fail();
    sq_pushinteger(vm, scenery.decorations().floor_type_at(point));
    return 1;
}

// add_debug_draw_area(min, max, [bottom z, top z], ticks, r, g, b, a).
SQInteger add_debug_draw_area(HSQUIRRELVM vm) {
    SCENERY_THIS();
    DebugDrawArea area;
    FixedVec2 heights;
    SQInteger index = 2;
    if (!read_fixed_vec2(vm, arguments, index, area.min) || !read_fixed_vec2(vm, arguments, index, area.max) ||
        !read_fixed_vec2(vm, arguments, index, heights) || !read_int32(arguments, index, area.ticks_left) ||
        !read_color(arguments, index + 1, area.color))
        return arguments.fail();
    area.bottom = heights.x;
    area.top = heights.y;
    scenery.debug_areas().add(area);
    return 0;
}

SQInteger get_particle_count(HSQUIRRELVM vm) {
    SCENERY_THIS();
    sq_pushinteger(vm, static_cast<SQInteger>(scenery.particles().count()));
    return 1;
}

// create_particle(clip name, position, z, layer, renderable type, group).
SQInteger create_particle(HSQUIRRELVM vm) {
    SCENERY_THIS();
    const SQChar* name = nullptr;
    FixedVec2 position;
    Fixed z = 0;
    int32_t layer = 0;
    int32_t type = 0;
    int32_t group = 0;
    SQInteger index = 3;
    if (!arguments.string(2, name) || !read_fixed_vec2(vm, arguments, index, position) ||
        !read_fixed(vm, arguments, index, z) || !read_int32(arguments, index + 1, layer) ||
        !read_renderable_type(arguments, index + 2, type) || !read_int32(arguments, index + 3, group))
        return arguments.fail();
    sq_pushinteger(vm, scenery.particles().create(name, position, z, layer, type, group));
    return 1;
}

// A particle setter: Set reads its values from index 3 on and changes the
// particle; a negative particle index reads them and changes nothing.
template <bool (*Set)(HSQUIRRELVM, NativeArguments&, RoomParticle*)>
SQInteger particle_setter(HSQUIRRELVM vm) {
    SCENERY_THIS();
    RoomParticle* particle = nullptr;
    if (!read_particle(arguments, scenery.particles(), particle) || !Set(vm, arguments, particle))
        return arguments.fail();
    return 0;
}

template <float RoomParticle::*Member>
bool set_float(HSQUIRRELVM, NativeArguments& arguments, RoomParticle* particle) {
    float value = 0.0f;
    if (!read_float(arguments, 3, value))
        return false;
    if (particle != nullptr)
        particle->*Member = value;
    return true;
}

bool set_facing(HSQUIRRELVM, NativeArguments& arguments, RoomParticle* particle) {
    int32_t facing = 0;
    if (!read_int32(arguments, 3, facing))
        return false;
    if (particle != nullptr)
        particle->facing = facing;
    return true;
}

bool set_duration_and_fade(HSQUIRRELVM, NativeArguments& arguments, RoomParticle* particle) {
    float duration = 0.0f;
    float fade = 0.0f;
    if (!read_float(arguments, 3, duration) || !read_float(arguments, 4, fade))
        return false;
    if (particle != nullptr)
        RoomParticles::set_duration_and_fade(*particle, duration, fade);
    return true;
}

bool set_shadow_sprite(HSQUIRRELVM vm, NativeArguments& arguments, RoomParticle* particle) {
    ResourceRef<Sprite> sprite;
    if (!clip::read_sprite_or_null(arguments, vm, 3, sprite))
        return false;
    if (particle != nullptr)
        particle->shadow_sprite = std::move(sprite);
    return true;
}

bool set_velocity_from_angle_and_speed(HSQUIRRELVM, NativeArguments& arguments, RoomParticle* particle) {
    float turns = 0.0f;
    float speed = 0.0f;
    if (!read_float(arguments, 3, turns) || !read_float(arguments, 4, speed))
        return false;
    if (particle != nullptr) {
        particle->velocity.x = std::cos(turns * TURNS_TO_RADIANS) * speed;
        particle->velocity.y = std::sin(turns * TURNS_TO_RADIANS) * speed;
    }
    return true;
}

bool set_angle_from_vector2(HSQUIRRELVM, NativeArguments& arguments, RoomParticle* particle) {
    float vector[2]{};
    if (!arguments.vector(3, vector))
        return false;
    if (particle != nullptr)
        particle->angle = std::atan2(vector[1], vector[0]) * RADIANS_TO_TURNS;
    return true;
}

bool set_scale(HSQUIRRELVM, NativeArguments& arguments, RoomParticle* particle) {
    float scale[2]{};
    if (!arguments.vector(3, scale))
        return false;
    if (particle != nullptr)
        particle->scale = {scale[0], scale[1]};
    return true;
}

bool set_box_collision(HSQUIRRELVM vm, NativeArguments& arguments, RoomParticle* particle) {
    ParticleBox box;
    SQInteger index = 3;
    if (!read_fixed_vec2(vm, arguments, index, box.min) || !read_fixed_vec2(vm, arguments, index, box.max) ||
        !read_fixed(vm, arguments, index, box.height))
        return false;
    if (particle != nullptr) {
        particle->has_box = true;
        particle->box = box;
    }
    return true;
}

bool add_velocity(HSQUIRRELVM, NativeArguments& arguments, RoomParticle* particle) {
    float added[3]{};
    if (!arguments.vector(3, added))
        return false;
    if (particle != nullptr) {
        particle->velocity.x += added[0];
        particle->velocity.y += added[1];
        particle->velocity.z += added[2];
    }
    return true;
}

bool set_turn_to_velocity(HSQUIRRELVM, NativeArguments& arguments, RoomParticle* particle) {
    SQBool turn = SQFalse;
    if (!arguments.boolean(3, turn))
        return false;
    if (particle != nullptr)
        particle->turn_to_velocity = turn != SQFalse;
    return true;
}

bool set_base_position(HSQUIRRELVM vm, NativeArguments& arguments, RoomParticle* particle) {
    Fixed x = 0;
    Fixed y = 0;
    Fixed z = 0;
    if (!read_fixed(vm, arguments, 3, x) || !read_fixed(vm, arguments, 4, y) || !read_fixed(vm, arguments, 5, z))
        return false;
    if (particle != nullptr)
        particle->base_position = {fixed_to_float(x), fixed_to_float(y), fixed_to_float(z)};
    return true;
}

bool set_color(HSQUIRRELVM, NativeArguments& arguments, RoomParticle* particle) {
    Color color;
    if (!read_color(arguments, 3, color))
        return false;
    if (particle != nullptr)
        particle->color = color;
    return true;
}

SQInteger update_particles_group_base_position(HSQUIRRELVM vm) {
    SCENERY_THIS();
    int32_t group = 0;
    FixedVec2 position;
    SQInteger index = 3;
    if (!read_int32(arguments, 2, group) || !read_fixed_vec2(vm, arguments, index, position))
        return arguments.fail();
    scenery.particles().update_group_base_position(group, {fixed_to_float(position.x), fixed_to_float(position.y)});
    return 0;
}

SQInteger kill_all_particles(HSQUIRRELVM vm) {
    SCENERY_THIS();
    scenery.particles().kill_all();
    return 0;
}

SQInteger kill_newer_particles(HSQUIRRELVM vm) {
    SCENERY_THIS();
    SQInteger count = 0;
    if (!arguments.integer(2, count))
        return arguments.fail();
    scenery.particles().kill_newer(static_cast<size_t>(std::max<SQInteger>(count, 0)));
    return 0;
}

constexpr MethodBinding kMethods[] = {
    {"render", render},
    {"render_fade", render_fade},
    {"add_static_sprite_object", add_static_sprite_object},
    {"add_static_clip_object", add_static_clip_object},
    {"set_static_object_color", set_static_object_color},
    {"add_overlay_clip_object", add_overlay_clip_object},
    {"add_decal", add_decal},
    {"set_decal_floor_type", set_decal_floor_type},
    {"set_decal_angle", set_decal_angle},
    {"get_floor_type_at_position", get_floor_type_at_position},
    {"add_debug_draw_area", add_debug_draw_area},
    {"get_particle_count", get_particle_count},
    {"create_particle", create_particle},
    {"set_particle_facing", particle_setter<set_facing>},
    {"set_particle_duration_and_fade", particle_setter<set_duration_and_fade>},
    {"set_particle_shadow_sprite", particle_setter<set_shadow_sprite>},
    {"set_particle_velocity_from_angle_and_speed", particle_setter<set_velocity_from_angle_and_speed>},
    {"set_particle_angle_from_vector2", particle_setter<set_angle_from_vector2>},
    {"set_particle_rotation_speed", particle_setter<set_float<&RoomParticle::rotation_speed>>},
    {"set_particle_damping", particle_setter<set_float<&RoomParticle::damping>>},
    {"set_particle_gravity", particle_setter<set_float<&RoomParticle::gravity>>},
    {"set_particle_scale", particle_setter<set_scale>},
    {"set_particle_length_scale_from_velocity", particle_setter<set_float<&RoomParticle::length_scale>>},
    {"set_particle_box_collision", particle_setter<set_box_collision>},
    {"add_particle_velocity", particle_setter<add_velocity>},
    {"set_particle_turn_to_velocity", particle_setter<set_turn_to_velocity>},
    {"set_particle_base_position", particle_setter<set_base_position>},
    {"set_particle_color", particle_setter<set_color>},
    {"update_particles_group_base_position", update_particles_group_base_position},
    {"kill_all_particles", kill_all_particles},
    {"kill_newer_particles", kill_newer_particles},
};

}  // namespace

std::span<const MethodBinding> room_scenery_methods() { return kMethods; }

}  // namespace me
