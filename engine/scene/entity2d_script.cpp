#include <array>

#include "scene/entity2d.h"
#include "script/bind_class.h"
#include "script/bound_method.h"
#include "script/native_class_arguments.h"
#include "script/native_class_binding.h"
#include "script/script_push.h"

namespace me {

namespace {

SQInteger set_position(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Entity2d* node = nullptr;
    std::array<float, 2> position{};
    if (!arguments.instance(1, node) || !arguments.vector(2, position))
        return arguments.fail();
    node->set_position(position[0], position[1]);
    return 0;
}

SQInteger get_position(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Entity2d* node = nullptr;
    if (!arguments.instance(1, node))
        return arguments.fail();
    push_float_array(vm, {node->x(), node->y()});
    return 1;
}

SQInteger get_rotation(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Entity2d* node = nullptr;
    if (!arguments.instance(1, node))
        return arguments.fail();
    sq_pushfloat(vm, node->rotation());
    return 1;
}

SQInteger set_scale(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Entity2d* node = nullptr;
    std::array<float, 2> scale{};
    if (!arguments.instance(1, node) || !arguments.vector(2, scale))
        return arguments.fail();
    node->set_scale(scale[0], scale[1]);
    return 0;
}

SQInteger get_scale(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Entity2d* node = nullptr;
    if (!arguments.instance(1, node))
        return arguments.fail();
    push_float_array(vm, {node->scale_x(), node->scale_y()});
    return 1;
}

SQInteger set_parent(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Entity2d* node = nullptr;
    Entity2d* parent = nullptr;
    if (!arguments.instance(1, node) || !arguments.instance(2, parent, true))
        return arguments.fail();
    node->set_parent(parent);
    return 0;
}

SQInteger get_parent(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Entity2d* node = nullptr;
    if (!arguments.instance(1, node))
        return arguments.fail();
    push_object<EngineObject>(vm, node->parent());
    return 1;
}

SQInteger get_world_position(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Entity2d* node = nullptr;
    if (!arguments.instance(1, node))
        return arguments.fail();
    const Matrix2d& world = node->world_matrix();
    push_float_array(vm, {world.tx, world.ty});
    return 1;
}

constexpr MethodBinding kMethods[] = {
    {"constructor", construct_bound_object<Entity2d>, 1, "x"},
    {"set_position", set_position},
    {"get_position", get_position},
    {"set_rotation", method<&Entity2d::set_rotation>},
    {"get_rotation", get_rotation},
    {"set_scale", set_scale},
    {"get_scale", get_scale},
    {"set_parent", set_parent},
    {"get_parent", get_parent},
    {"get_world_position", get_world_position},
};

const NativeClassBinding g_entity2d_binding(Entity2d::kClassRecord, kMethods);

}  // namespace

}  // namespace me
