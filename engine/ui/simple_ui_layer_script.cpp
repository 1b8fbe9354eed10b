#include "gpu/view2d_viewport.h"
#include "script/bind_class.h"
#include "script/native_class_arguments.h"
#include "script/native_class_binding.h"
#include "script/script_push.h"
#include "ui/simple_ui_layer.h"

namespace me::simpleui {

namespace {

SQInteger init_screen_canvas(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SimpleUILayer* layer = nullptr;
    if (!arguments.instance(1, layer))
        return arguments.fail();
    layer->init_screen_canvas(current_screen_size());
    return 0;
}

SQInteger set_name(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SimpleUILayer* layer = nullptr;
    const SQChar* name = nullptr;
    if (!arguments.instance(1, layer) || !arguments.string(2, name))
        return arguments.fail();
    layer->set_name(name);
    return 0;
}

SQInteger get_root_widget(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SimpleUILayer* layer = nullptr;
    if (!arguments.instance(1, layer))
        return arguments.fail();
    push_object<GameObject>(vm, layer->root());
    return 1;
}

constexpr MethodBinding kMethods[] = {
    {"constructor", construct_bound_object<SimpleUILayer>, 1, "x"},
    {"init_screen_canvas", init_screen_canvas},
    {"set_name", set_name},
    {"get_root_widget", get_root_widget},
};

const NativeClassBinding g_layer_binding(SimpleUILayer::kClassRecord, kMethods);

}  // namespace

}  // namespace me::simpleui
