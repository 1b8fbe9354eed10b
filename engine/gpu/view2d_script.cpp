#include <array>

#include "gpu/view2d.h"
#include "script/bind_class.h"
#include "script/bound_method.h"
#include "script/native_class_arguments.h"
#include "script/native_class_binding.h"
#include "script/script_push.h"

namespace me {

namespace {

template <void (View2d::*Place)(Vec2)>
SQInteger place_on_screen(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    View2d* view = nullptr;
    if (!arguments.instance(1, view))
        return arguments.fail();
    (view->*Place)(current_screen_size());
    return 0;
}

constexpr MethodBinding kMethods[] = {
    {"constructor", construct_bound_object<View2d>, 1, "x"},
    {"set_viewport_size", method<&View2d::set_viewport_size>},
    {"set_viewport_position", method<&View2d::set_viewport_position>},
    {"set_canvas_size", method<&View2d::set_canvas_size>},
    {"set_virtual_resolution", method<&View2d::set_canvas_size>},
    {"set_camera_position", method<&View2d::set_camera_position>},
    {"set_camera_zoom", method<&View2d::set_camera_zoom>},
    {"fit_viewport_to_screen", place_on_screen<&View2d::fit_viewport_to_screen>},
    {"center_viewport_on_screen", place_on_screen<&View2d::center_viewport_on_screen>},
    {"screen_to_canvas", method<&View2d::screen_to_canvas>},
    {"canvas_to_screen", method<&View2d::canvas_to_screen>},
};

const NativeClassBinding g_view2d_binding(View2d::kClassRecord, kMethods);

}  // namespace

}  // namespace me
