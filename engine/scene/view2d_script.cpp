#include <array>

#include "scene/view2d.h"
#include "script/bind_class.h"
#include "script/bound_setters.h"
#include "script/native_class_arguments.h"
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

template <Vec2 (View2d::*Map)(Vec2) const>
SQInteger map_point(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    View2d* view = nullptr;
    std::array<float, 2> point{};
    if (!arguments.instance(1, view) || !arguments.vector(2, point))
        return arguments.fail();
    const Vec2 mapped = (view->*Map)({point[0], point[1]});
    push_float_array(vm, {mapped.x, mapped.y});
    return 1;
}

constexpr MethodBinding kMethods[] = {
    {"constructor", construct_bound_object<View2d>, 1, "x"},
    {"set_viewport_size", set_vec2_method<View2d, &View2d::set_viewport_size>},
    {"set_viewport_position", set_vec2_method<View2d, &View2d::set_viewport_position>},
    {"set_canvas_size", set_vec2_method<View2d, &View2d::set_canvas_size>},
    {"set_virtual_resolution", set_vec2_method<View2d, &View2d::set_canvas_size>},
    {"set_camera_position", set_vec2_method<View2d, &View2d::set_camera_position>},
    {"set_camera_zoom", set_vec2_method<View2d, &View2d::set_camera_zoom>},
    {"fit_viewport_to_screen", place_on_screen<&View2d::fit_viewport_to_screen>},
    {"center_viewport_on_screen", place_on_screen<&View2d::center_viewport_on_screen>},
    {"screen_to_canvas", map_point<&View2d::screen_to_canvas>},
    {"canvas_to_screen", map_point<&View2d::canvas_to_screen>},
};

void bind_view2d(HSQUIRRELVM vm) {
    sq_pushroottable(vm);
    HSQOBJECT bound = bind_class(vm, -1, View2d::kClassRecord, nullptr, 0, kMethods);
    sq_release(vm, &bound);
    sq_pop(vm, 1);
}

const ScriptBindingUnit g_view2d_binding(bind_view2d);

}  // namespace

}  // namespace me
