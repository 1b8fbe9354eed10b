#include <array>
#include <string_view>

#include "clip/clip_object.h"
#include "clip/clip_script_arguments.h"
#include "gpu/quad_batch.h"
#include "gpu/render_device.h"
#include "gpu/view2d.h"
#include "gpu/view2d_gl.h"
#include "gpu/view2d_viewport.h"
#include "script/bind_class.h"
#include "script/bound_method.h"
#include "script/native_class_arguments.h"
#include "script/native_class_binding.h"
#include "script/script_push.h"

namespace me::clip {

namespace {

#define CLIP_OBJECT_THIS()              \
    NativeArguments arguments(vm);      \
    ClipObject* object = nullptr;       \
    if (!arguments.instance(1, object)) \
        return arguments.fail()

SQInteger set_name(HSQUIRRELVM vm) {
    CLIP_OBJECT_THIS();
    const SQChar* name = nullptr;
    if (!arguments.string(2, name))
        return arguments.fail();
    object->set_name(std::string(name, static_cast<size_t>(sq_getsize(vm, 2))));
    return 0;
}

SQInteger get_child_count(HSQUIRRELVM vm) {
    CLIP_OBJECT_THIS();
    sq_pushinteger(vm, static_cast<SQInteger>(object->child_count()));
    return 1;
}

SQInteger add_child(HSQUIRRELVM vm) {
    CLIP_OBJECT_THIS();
    ClipObject* child = nullptr;
    if (!arguments.instance(2, child))
        return arguments.fail();
    object->add_child(*child);
    return 0;
}

SQInteger add_child_at_index(HSQUIRRELVM vm) {
    CLIP_OBJECT_THIS();
    ClipObject* child = nullptr;
    SQInteger index = 0;
    if (!arguments.instance(2, child) || !arguments.integer(3, index))
        return arguments.fail();
    object->add_child_at(*child, index);
    return 0;
}

SQInteger get_parent(HSQUIRRELVM vm) {
    CLIP_OBJECT_THIS();
    push_object<GameObject>(vm, object->parent());
    return 1;
}

SQInteger remove_from_parent(HSQUIRRELVM vm) {
    CLIP_OBJECT_THIS();
    object->remove_from_parent();
    return 0;
}

SQInteger find_object_by_name(HSQUIRRELVM vm) {
    CLIP_OBJECT_THIS();
    const SQChar* name = nullptr;
    if (!arguments.string(2, name))
        return arguments.fail();
    push_object<GameObject>(vm, object->find_object_by_name(std::string_view(name, sq_getsize(vm, 2))));
    return 1;
}

template <Vec2 (ClipObject::*Get)() const>
SQInteger get_vec2(HSQUIRRELVM vm) {
    CLIP_OBJECT_THIS();
    const Vec2 value = (object->*Get)();
    push_float_array(vm, {value.x, value.y});
    return 1;
}

SQInteger get_absolute_position(HSQUIRRELVM vm) {
    CLIP_OBJECT_THIS();
    const Matrix2d& absolute = object->absolute_transform();
    push_float_array(vm, {absolute.tx, absolute.ty});
    return 1;
}

SQInteger get_rotation(HSQUIRRELVM vm) {
    CLIP_OBJECT_THIS();
    sq_pushfloat(vm, object->rotation());
    return 1;
}

SQInteger set_color(HSQUIRRELVM vm) {
    CLIP_OBJECT_THIS();
    std::array<float, 4> rgba{};
    if (!arguments.vector(2, rgba))
        return arguments.fail();
    object->set_color({rgba[0], rgba[1], rgba[2], rgba[3]});
    return 0;
}

SQInteger get_color(HSQUIRRELVM vm) {
    CLIP_OBJECT_THIS();
    const Color& color = object->color();
    push_float_array(vm, {color.red, color.green, color.blue, color.alpha});
    return 1;
}

SQInteger get_alpha(HSQUIRRELVM vm) {
    CLIP_OBJECT_THIS();
    sq_pushfloat(vm, object->color().alpha);
    return 1;
}

SQInteger set_z_order(HSQUIRRELVM vm) {
    CLIP_OBJECT_THIS();
    SQInteger z_order = 0;
    if (!arguments.integer(2, z_order))
        return arguments.fail();
    object->set_z_order(static_cast<int32_t>(z_order));
    return 0;
}

SQInteger get_z_order(HSQUIRRELVM vm) {
    CLIP_OBJECT_THIS();
    sq_pushinteger(vm, object->z_order());
    return 1;
}

SQInteger get_real_z_order(HSQUIRRELVM vm) {
    CLIP_OBJECT_THIS();
    sq_pushinteger(vm, object->real_z_order());
    return 1;
}

SQInteger set_sprite(HSQUIRRELVM vm) {
    CLIP_OBJECT_THIS();
    ResourceRef<Sprite> sprite;
    if (!read_sprite_or_null(arguments, vm, 2, sprite))
        return arguments.fail();
    object->set_sprite(std::move(sprite));
    return 0;
}

SQInteger render_to_view(HSQUIRRELVM vm) {
    CLIP_OBJECT_THIS();
    View2d* view = nullptr;
    if (!arguments.instance(2, view))
        return arguments.fail();
    // Both exist from start-up to shutdown; scripts run only in between.
    if (g_render_device == nullptr || g_sprite_batch == nullptr)
        return 0;
    g_render_device->begin_view();
    load_view(*g_render_device, *view, current_screen_size().y);
    g_sprite_batch->reset();
    object->draw_tree(*g_sprite_batch, nullptr);
    g_sprite_batch->flush();
    return 0;
}

constexpr MethodBinding kMethods[] = {
    {"constructor", construct_bound_object<ClipObject>, 1, "x"},
    {"set_name", set_name},
    {"get_child_count", get_child_count},
    {"add_child", add_child},
    {"add_child_at_index", add_child_at_index},
    {"get_parent", get_parent},
    {"remove_from_parent", remove_from_parent},
    {"find_object_by_name", find_object_by_name},
    {"set_position", method<&ClipObject::set_position>},
    {"get_position", get_vec2<&ClipObject::position>},
    {"get_absolute_position", get_absolute_position},
    {"set_rotation", method<&ClipObject::set_rotation>},
    {"get_rotation", get_rotation},
    {"set_scale", method<&ClipObject::set_scale>},
    {"get_scale", get_vec2<&ClipObject::scale>},
    {"set_color", set_color},
    {"get_color", get_color},
    {"set_alpha", method<&ClipObject::set_alpha>},
    {"get_alpha", get_alpha},
    {"set_z_order", set_z_order},
    {"get_z_order", get_z_order},
    {"get_real_z_order", get_real_z_order},
    {"set_sprite", set_sprite},
    {"render_to_view", render_to_view},
};

const NativeClassBinding g_clip_object_binding(ClipObject::kClassRecord, kMethods);

}  // namespace

}  // namespace me::clip
