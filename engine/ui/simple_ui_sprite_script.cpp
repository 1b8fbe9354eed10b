#include <utility>

#include "resources/resource_type.h"
#include "scene/scene_object_arguments.h"
#include "script/bind_class.h"
#include "script/bound_method.h"
#include "script/native_class_arguments.h"
#include "script/native_class_binding.h"
#include "ui/simple_ui_sprite.h"

namespace me::simpleui {

namespace {

SQInteger set_sprite(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SimpleUISprite* widget = nullptr;
    ResourceRef<Sprite> sprite;
    if (!arguments.instance(1, widget) || !read_resource(arguments, vm, 2, resource_types::sprite, sprite))
        return arguments.fail();
    widget->set_sprite(std::move(sprite));
    return 0;
}

template <SimpleUISprite::Mode Mode>
SQInteger set_mode(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SimpleUISprite* widget = nullptr;
    if (!arguments.instance(1, widget))
        return arguments.fail();
    widget->set_mode(Mode);
    return 0;
}

constexpr MethodBinding kMethods[] = {
    {"constructor", construct_bound_object<SimpleUISprite>, 1, "x"},
    {"set_sprite", set_sprite},
    {"set_offset", method<&SimpleUISprite::set_offset>},
    {"set_sprite_mode_center", set_mode<SimpleUISprite::Mode::Centre>},
    {"set_sprite_mode_scale_to_fill", set_mode<SimpleUISprite::Mode::ScaleToFill>},
};

const NativeClassBinding g_sprite_binding(SimpleUISprite::kClassRecord, kMethods);

}  // namespace

}  // namespace me::simpleui
