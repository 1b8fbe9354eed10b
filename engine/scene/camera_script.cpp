#include <array>

#include "scene/camera.h"
#include "script/bind_class.h"
#include "script/bound_setters.h"
#include "script/native_class_arguments.h"
#include "script/script_push.h"

namespace me {

namespace {

template <float (Camera::*Getter)() const>
SQInteger get_number(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Camera* camera = nullptr;
    if (!arguments.instance(1, camera))
        return arguments.fail();
    sq_pushfloat(vm, (camera->*Getter)());
    return 1;
}

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

SQInteger set_position(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Camera* camera = nullptr;
    std::array<float, 3> position{};
    if (!arguments.instance(1, camera) || !arguments.vector(2, position))
        return arguments.fail();
    camera->set_position({position[0], position[1], position[2]});
    return 0;
}

SQInteger get_position(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Camera* camera = nullptr;
    if (!arguments.instance(1, camera))
        return arguments.fail();
    const Vec3 position = camera->position();
    push_float_array(vm, {position.x, position.y, position.z});
    return 1;
}

SQInteger set_orientation(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Camera* camera = nullptr;
    std::array<float, 4> orientation{};
    if (!arguments.instance(1, camera) || !arguments.vector(2, orientation))
        return arguments.fail();
    camera->set_orientation({orientation[0], orientation[1], orientation[2], orientation[3]});
    return 0;
}

SQInteger get_orientation(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Camera* camera = nullptr;
    if (!arguments.instance(1, camera))
        return arguments.fail();
    const Quaternion orientation = camera->orientation();
    push_float_array(vm, {orientation.x, orientation.y, orientation.z, orientation.w});
    return 1;
}

// The point is one array or two numbers, so the depth follows whichever it was.
SQInteger screen_to_eye(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Camera* camera = nullptr;
    std::array<float, 2> point{};
    SQFloat depth = 0.0f;
    if (!arguments.instance(1, camera) || !arguments.vector(2, point))
        return arguments.fail();
    const SQInteger depth_index = sq_gettype(vm, 2) == OT_ARRAY ? 3 : 4;
    if (!arguments.floating(depth_index, depth))
        return arguments.fail();
    const Vec3 eye = camera->screen_to_eye({point[0], point[1]}, depth);
    push_float_array(vm, {eye.x, eye.y, eye.z});
    return 1;
}

constexpr MethodBinding kMethods[] = {
    {"constructor", construct_bound_object<Camera>, 1, "x"},
    {"set_viewport_position", set_vec2_method<Camera, &Camera::set_viewport_position>},
    {"set_viewport_size", set_vec2_method<Camera, &Camera::set_viewport_size>},
    {"fit_viewport_to_screen", fit_viewport_to_screen},
    {"set_canvas_size", set_vec2_method<Camera, &Camera::set_canvas_size>},
    {"set_fov_angles", set_fov_angles},
    {"set_near_plane", set_float_method<Camera, &Camera::set_near_plane>},
    {"set_far_plane", set_float_method<Camera, &Camera::set_far_plane>},
    {"get_near_plane", get_number<&Camera::near_plane>},
    {"get_far_plane", get_number<&Camera::far_plane>},
    {"set_position", set_position},
    {"get_position", get_position},
    {"set_orientation", set_orientation},
    {"get_orientation", get_orientation},
    {"screen_to_eye", screen_to_eye},
};

void bind_camera(HSQUIRRELVM vm) {
    sq_pushroottable(vm);
    HSQOBJECT bound = bind_class(vm, -1, Camera::kClassRecord, nullptr, 0, kMethods);
    sq_release(vm, &bound);
    sq_pop(vm, 1);
}

const ScriptBindingUnit g_camera_binding(bind_camera);

}  // namespace

}  // namespace me
