#include <array>

#include "scene/scene_object_arguments.h"
#include "script/bind_class.h"
#include "script/bound_method.h"
#include "script/native_class_arguments.h"
#include "script/native_class_binding.h"
#include "ui/simple_ui_label.h"

namespace me::simpleui {

namespace {

SQInteger set_text(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SimpleUILabel* label = nullptr;
    const SQChar* text = nullptr;
    if (!arguments.instance(1, label) || !arguments.string(2, text))
        return arguments.fail();
    label->set_text(text);
    return 0;
}

// set_shadow(on) keeps the offset; set_shadow(on, [x, y]) sets it too.
SQInteger set_shadow(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SimpleUILabel* label = nullptr;
    bool shadow = false;
    if (!arguments.instance(1, label) || !read_flag(arguments, vm, 2, shadow))
        return arguments.fail();
    std::array<float, 2> offset{label->shadow_offset().x, label->shadow_offset().y};
    if (arguments.has(3) && !arguments.vector(3, offset))
        return arguments.fail();
    label->set_shadow(shadow, {offset[0], offset[1]});
    return 0;
}

constexpr MethodBinding kMethods[] = {
    {"constructor", construct_bound_object<SimpleUILabel>, 1, "x"},
    {"set_text", set_text},
    {"set_offset", method<&SimpleUILabel::set_offset>},
    {"set_alignment", method<&SimpleUILabel::set_alignment>},
    {"set_wrap", method<&SimpleUILabel::set_wrap>},
    {"set_shadow", set_shadow},
};

const NativeClassBinding g_label_binding(SimpleUILabel::kClassRecord, kMethods);

}  // namespace

}  // namespace me::simpleui
