#include <array>
#include <climits>
#include <vector>

#include "script/bind_class.h"
#include "script/native_class_arguments.h"
#include "script/native_class_binding.h"
#include "script/script_push.h"
#include "world/entity_base.h"
#include "world/fixed_arguments.h"
#include "world/room_base.h"
#include "world/room_scenery_script.h"

namespace me {

namespace {

#define ROOM_THIS()                   \
    NativeArguments arguments(vm);    \
    RoomBase* room = nullptr;         \
    if (!arguments.instance(1, room)) \
        return arguments.fail()

SQInteger construct(HSQUIRRELVM vm) {
    const SQInteger constructed = construct_bound_object<RoomBase>(vm);
    if (SQ_FAILED(constructed))
        return constructed;
    ROOM_THIS();
    room->attach_instance(vm, 1);
    return 0;
}

SQInteger tick(HSQUIRRELVM vm) {
    ROOM_THIS();
    SQBool pause = SQFalse;
    SQInteger tick_number = 0;
    if (!arguments.boolean(2, pause) || !arguments.integer(3, tick_number))
        return arguments.fail();
    room->tick(pause != SQFalse, static_cast<int32_t>(tick_number));
    return 0;
}

SQInteger add_static_box_collision(HSQUIRRELVM vm) {
    ROOM_THIS();
    FixedVec2 min;
    FixedVec2 max;
    Fixed height = 0;
    if (!read_shape_arguments(vm, arguments, min, max, nullptr, height))
        return arguments.fail();
    room->add_static_box_collision(min, max, height);
    return 0;
}

SQInteger add_static_skewed_box_collision(HSQUIRRELVM vm) {
    ROOM_THIS();
    FixedVec2 min;
    FixedVec2 max;
    Fixed skew = 0;
    Fixed height = 0;
    if (!read_shape_arguments(vm, arguments, min, max, &skew, height))
        return arguments.fail();
    room->add_static_skewed_box_collision(min, max, skew, height);
    return 0;
}

template <void (RoomBase::*Change)(EntityBase&)>
SQInteger entity_change(HSQUIRRELVM vm) {
    ROOM_THIS();
    EntityBase* entity = nullptr;
    if (!arguments.instance(2, entity))
        return arguments.fail();
    (room->*Change)(*entity);
    return 0;
}

SQInteger set_ambient_color(HSQUIRRELVM vm) {
    ROOM_THIS();
    std::array<SQInteger, 4> rgba{};
    for (SQInteger i = 0; i < 4; ++i)
        if (!arguments.integer(2 + i, rgba[static_cast<size_t>(i)]))
            return arguments.fail();
    room->set_ambient_color({static_cast<uint8_t>(rgba[0]), static_cast<uint8_t>(rgba[1]),
                             static_cast<uint8_t>(rgba[2]), static_cast<uint8_t>(rgba[3])});
    return 0;
}

template <size_t Component>
SQInteger get_ambient(HSQUIRRELVM vm) {
    ROOM_THIS();
    sq_pushinteger(vm, room->ambient_color()[Component]);
    return 1;
}

SQInteger set_jng_room(HSQUIRRELVM vm) {
    ROOM_THIS();
    room->set_jng_room();
    return 0;
}

SQInteger is_jng_room(HSQUIRRELVM vm) {
    ROOM_THIS();
    sq_pushbool(vm, room->is_jng_room() ? SQTrue : SQFalse);
    return 1;
}

SQInteger get_entity_count(HSQUIRRELVM vm) {
    ROOM_THIS();
    sq_pushinteger(vm, static_cast<SQInteger>(room->entity_count()));
    return 1;
}

SQInteger get_entities(HSQUIRRELVM vm) {
    ROOM_THIS();
    const std::vector<EntityBase*> entities = room->entities();
    sq_newarray(vm, 0);
    for (EntityBase* entity : entities) {
        push_object<GameObject>(vm, entity);
        sq_arrayappend(vm, -2);
    }
    return 1;
}

SQInteger get_ground_height(HSQUIRRELVM vm) {
    ROOM_THIS();
    FixedVec2 point;
    SQInteger mask = 0;
    SQInteger index = 2;
    if (!read_fixed_vec2(vm, arguments, index, point) || !arguments.integer(index, mask))
        return arguments.fail();
    sq_pushinteger(vm, room->ground_height(point, static_cast<uint16_t>(mask)));
    return 1;
}

SQInteger get_ground_height_for_entity(HSQUIRRELVM vm) {
    ROOM_THIS();
    EntityBase* entity = nullptr;
    Fixed start = 0;
    if (!arguments.instance(2, entity) || !read_fixed(vm, arguments, 3, start))
        return arguments.fail();
    sq_pushinteger(vm, room->highest_top_under(*entity, entity->collision_mask(), start, INT32_MAX));
    return 1;
}

constexpr MethodBinding kMethods[] = {
    {"constructor", construct, 1, "x"},
    {"tick", tick},
    {"add_static_box_collision", add_static_box_collision},
    {"add_static_skewed_box_collision", add_static_skewed_box_collision},
    {"add_entity", entity_change<&RoomBase::add_entity>},
    {"remove_entity", entity_change<&RoomBase::remove_entity>},
    {"set_ambient_color", set_ambient_color},
    {"get_ambient_red", get_ambient<0>},
    {"get_ambient_green", get_ambient<1>},
    {"get_ambient_blue", get_ambient<2>},
    {"get_ambient_alpha", get_ambient<3>},
    {"set_jng_room", set_jng_room},
    {"is_jng_room", is_jng_room},
    {"get_entity_count", get_entity_count},
    {"get_entities", get_entities},
    {"get_ground_height", get_ground_height},
    {"get_ground_height_for_entity", get_ground_height_for_entity},
};

// The scenery's methods are bound from their own file; joining the tables
// at start-up is safe since both are constant data.
std::vector<MethodBinding> all_methods() {
    std::vector<MethodBinding> methods(std::begin(kMethods), std::end(kMethods));
    const std::span<const MethodBinding> scenery = room_scenery_methods();
    methods.insert(methods.end(), scenery.begin(), scenery.end());
    return methods;
}

const std::vector<MethodBinding> g_room_methods = all_methods();
const NativeClassBinding g_room_base_binding(RoomBase::kClassRecord, g_room_methods);

}  // namespace

}  // namespace me
