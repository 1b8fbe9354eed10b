#include <array>

#include "gpu/camera.h"
#include "script/bind_class.h"
#include "script/bound_method.h"
#include "script/native_class_arguments.h"
#include "script/native_class_binding.h"
#include "script/script_push.h"

namespace me {

namespace {

SQInteger fit_viewport_to_screen(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Camera* camera = nullptr;
    if (!arguments.instance(1, camera))
        return arguments.fail();
    camera->fit_viewport_to_screen(current_screen_size());
    return 0;
}

SQInteger set_fov_angles(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Camera* camera = nullptr;
    std::array<float, 2> angles{};
    if (!arguments.instance(1, camera) || !arguments.vector(2, angles))
        return arguments.fail();
    camera->set_fov_angles(angles[0], angles[1]);
    return 0;
}

constexpr MethodBinding kMethods[] = {
    {"constructor", construct_bound_object<Camera>, 1, "x"},
    {"set_viewport_position", method<&Camera::set_viewport_position>},
    {"set_viewport_size", method<&Camera::set_viewport_size>},
    {"fit_viewport_to_screen", fit_viewport_to_screen},
    {"set_canvas_size", method<&Camera::set_canvas_size>},
    {"set_fov_angles", set_fov_angles},
    {"set_near_plane", method<&Camera::set_near_plane>},
    {"set_far_plane", method<&Camera::set_far_plane>},
    {"get_near_plane", method<&Camera::near_plane>},
    {"get_far_plane", method<&Camera::far_plane>},
    {"set_position", method<&Camera::set_position>},
    {"get_position", method<&Camera::position>},
    {"set_orientation", method<&Camera::set_orientation>},
    {"get_orientation", method<&Camera::orientation>},
    {"screen_to_eye", method<&Camera::screen_to_eye>},
};

const NativeClassBinding g_camera_binding(Camera::kClassRecord, kMethods);

}  // namespace

}  // namespace me
