#include <array>

#include "assets3d/model_view.h"
#include "gpu/render_device.h"
#include "gpu/view2d_viewport.h"
#include "script/bind_class.h"
#include "script/native_class_arguments.h"

namespace me {

namespace {

template <void (ModelView::*Setter)(Vec3)>
SQInteger set_vec3(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    ModelView* view = nullptr;
    std::array<float, 3> values{};
    if (!arguments.instance(1, view) || !arguments.vector(2, values))
        return arguments.fail();
    (view->*Setter)({values[0], values[1], values[2]});
    return 0;
}

// Answers whether the model loaded; the reason is in the log.
SQInteger set_model(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    ModelView* view = nullptr;
    const SQChar* name = nullptr;
    if (!arguments.instance(1, view) || !arguments.string(2, name))
        return arguments.fail();
    sq_pushbool(vm, view->set_model(name) ? SQTrue : SQFalse);
    return 1;
}

SQInteger render(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    ModelView* view = nullptr;
    Camera* camera = nullptr;
    if (!arguments.instance(1, view) || !arguments.instance(2, camera))
        return arguments.fail();
    // The device exists from start-up to shutdown; scripts run only in between.
    const bool drawn = g_render_device != nullptr && view->render(*g_render_device, *camera, current_screen_size().y);
    sq_pushbool(vm, drawn ? SQTrue : SQFalse);
    return 1;
}

constexpr MethodBinding kMethods[] = {
    {"constructor", construct_bound_object<ModelView>, 1, "x"},
    {"set_model", set_model},
    {"set_position", set_vec3<&ModelView::set_position>},
    {"set_rotation", set_vec3<&ModelView::set_rotation>},
    {"set_light_direction", set_vec3<&ModelView::set_light_direction>},
    {"render", render},
};

void bind_model_view(HSQUIRRELVM vm) {
    sq_pushroottable(vm);
    HSQOBJECT bound = bind_class(vm, -1, ModelView::kClassRecord, nullptr, 0, kMethods);
    sq_release(vm, &bound);
    sq_pop(vm, 1);
}

const ScriptBindingUnit g_model_view_binding(bind_model_view);

}  // namespace

}  // namespace me
