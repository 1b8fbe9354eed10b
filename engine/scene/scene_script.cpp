#include "gpu/camera.h"
#include "gpu/quad_batch.h"
#include "gpu/render_device.h"
#include "gpu/view2d.h"
#include "gpu/view2d_viewport.h"
#include "scene/scene.h"
#include "script/bind_class.h"
#include "script/bound_method.h"
#include "script/native_class_arguments.h"
#include "script/native_class_binding.h"

namespace me {

namespace {

SQInteger render(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Scene* scene = nullptr;
    Camera* camera = nullptr;
    if (!arguments.instance(1, scene) || !arguments.instance(2, camera))
        return arguments.fail();
    return 0;
}

SQInteger render_2d(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Scene* scene = nullptr;
    if (!arguments.instance(1, scene))
        return arguments.fail();
    // Both exist from start-up to shutdown; scripts run only in between.
    if (g_render_device != nullptr && g_sprite_batch != nullptr)
        scene->render_2d(*g_render_device, *g_sprite_batch, current_screen_size().y);
    return 0;
}

SQInteger set_view(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Scene* scene = nullptr;
    View2d* view = nullptr;
    if (!arguments.instance(1, scene) || !arguments.instance(2, view))
        return arguments.fail();
    scene->set_view(view);
    return 0;
}

// A layer outside the scene's is refused rather than clamped: sorting another
// layer than the one named would hide the mistake.
SQInteger sort_layer(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Scene* scene = nullptr;
    SQInteger layer = 0;
    if (!arguments.instance(1, scene) || !arguments.integer(2, layer))
        return arguments.fail();
    if (!Scene::is_layer(static_cast<int>(layer)) || layer != static_cast<int>(layer))
        return sq_throwerror(vm, "Expecting a layer from -16 to 16.");
    scene->sort_layer(static_cast<int>(layer));
    return 0;
}

constexpr MethodBinding kMethods[] = {
    {"constructor", construct_bound_object<Scene>, 1, "x"},
    {"render", render},
    {"render_2d", render_2d},
    {"update", method<&Scene::update>},
    {"set_view", set_view},
    {"sort_layer", sort_layer},
};

const NativeClassBinding g_scene_binding(Scene::kClassRecord, kMethods);

}  // namespace

}  // namespace me
