#include "gpu/quad_batch.h"
#include "gpu/render_device.h"
#include "gpu/view2d_viewport.h"
#include "script/bind_class.h"
#include "script/native_class_arguments.h"
#include "script/native_class_binding.h"
#include "ui/simple_ui.h"

namespace me::simpleui {

namespace {

SQInteger add_layer(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SimpleUI* ui = nullptr;
    SimpleUILayer* layer = nullptr;
    if (!arguments.instance(1, ui) || !arguments.instance(2, layer))
        return arguments.fail();
    ui->add_layer(*layer);
    return 0;
}

SQInteger add_widget_to_layer(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SimpleUI* ui = nullptr;
    const SQChar* name = nullptr;
    SimpleUIWidget* widget = nullptr;
    if (!arguments.instance(1, ui) || !arguments.string(2, name) || !arguments.instance(3, widget))
        return arguments.fail();
    ui->add_widget_to_layer(name, *widget);
    return 0;
}

template <bool (SimpleUI::*Handle)(int)>
SQInteger handle_key(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SimpleUI* ui = nullptr;
    SQInteger key = 0;
    if (!arguments.instance(1, ui) || !arguments.integer(2, key))
        return arguments.fail();
    sq_pushbool(vm, (ui->*Handle)(static_cast<int>(key)) ? SQTrue : SQFalse);
    return 1;
}

SQInteger update(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SimpleUI* ui = nullptr;
    SQFloat seconds = 0.0f;
    if (!arguments.instance(1, ui) || !arguments.floating(2, seconds))
        return arguments.fail();
    ui->update(seconds);
    return 0;
}

SQInteger render(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SimpleUI* ui = nullptr;
    if (!arguments.instance(1, ui))
        return arguments.fail();
    // Both exist from start-up to shutdown; scripts run only in between.
    if (g_render_device != nullptr && g_sprite_batch != nullptr)
        ui->render(*g_render_device, *g_sprite_batch, current_screen_size().y);
    return 0;
}

constexpr MethodBinding kMethods[] = {
    {"constructor", construct_bound_object<SimpleUI>, 1, "x"},
    {"add_layer", add_layer},
    {"add_widget_to_layer", add_widget_to_layer},
    {"handle_key_down", handle_key<&SimpleUI::handle_key_down>},
    {"handle_key_up", handle_key<&SimpleUI::handle_key_up>},
    {"update", update},
    {"render", render},
};

const NativeClassBinding g_ui_binding(SimpleUI::kClassRecord, kMethods);

}  // namespace

}  // namespace me::simpleui
