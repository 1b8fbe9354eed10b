#include "app/main_window.h"

#include "core/application.h"
#include "script/script_push.h"
#include "script/system_function_table.h"

namespace me {

namespace {

SQInteger get_screen_size(HSQUIRRELVM vm) {
    const bool known = g_application != nullptr;
    push_float_array(vm, {known ? static_cast<float>(g_application->screen_width) : 0.0f,
                          known ? static_cast<float>(g_application->screen_height) : 0.0f});
    return 1;
}

SQInteger change_video_mode(HSQUIRRELVM) {
    if (g_main_window != nullptr)
        g_main_window->apply_pending_video_mode();
    return 0;
}

SQInteger enumerate_display_mode_resolutions(HSQUIRRELVM vm) {
    sq_newarray(vm, 0);
    if (g_main_window == nullptr)
        return 1;
    for (const Resolution& mode : g_main_window->list_display_modes()) {
        sq_newarray(vm, 0);
        sq_pushinteger(vm, mode.width);
        sq_arrayappend(vm, -2);
        sq_pushinteger(vm, mode.height);
        sq_arrayappend(vm, -2);
        sq_arrayappend(vm, -2);
    }
    return 1;
}

constexpr MethodBinding kFunctions[] = {
    {"get_screen_size", get_screen_size},
    {"change_video_mode", change_video_mode},
    {"enumerate_display_mode_resolutions", enumerate_display_mode_resolutions},
};

void bind_video_functions(HSQUIRRELVM vm) { bind_system_functions(vm, kFunctions); }

const ScriptBindingUnit g_video_functions(bind_video_functions);

}  // namespace

}  // namespace me
