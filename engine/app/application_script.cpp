#include <SDL.h>

#include "app/main_window.h"
#include "core/application.h"
#include "core/clock.h"
#include "script/native_class_arguments.h"
#include "script/script_root.h"
#include "script/system_function_table.h"

namespace me {

namespace {

SQInteger application_is_active(HSQUIRRELVM vm) {
    sq_pushbool(vm, g_application != nullptr && is_application_active());
    return 1;
}

SQInteger get_fps(HSQUIRRELVM vm) {
    sq_pushfloat(vm, g_script_root != nullptr ? g_script_root->fps_window.fps : 0.0f);
    return 1;
}

SQInteger get_random_int(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQInteger min = 0;
    SQInteger max = 0;
    if (!arguments.integer(2, min) || !arguments.integer(3, max))
        return arguments.fail();
    if (min > max)
        return sq_throwerror(vm, "Expecting get_random_int( min, max ), min must be < max.");
    const auto low = static_cast<int32_t>(min);
    const auto high = static_cast<int32_t>(max);
    sq_pushinteger(vm, g_application != nullptr ? g_application->random_int(low, high) : low);
    return 1;
}

SQInteger get_random_float(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQFloat min = 0.0f;
    SQFloat max = 1.0f;
    if (arguments.has(2) && (!arguments.floating(2, min) || !arguments.floating(3, max)))
        return arguments.fail();
    if (arguments.has(2) && !(min < max))
        return sq_throwerror(vm, "Expecting get_random_float( min, max ), min must be < max.");
    sq_pushfloat(vm, g_application != nullptr ? g_application->random_float(min, max) : min);
    return 1;
}

SQInteger sleep(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQFloat seconds = 0.0f;
    if (!arguments.floating(2, seconds))
        return arguments.fail();
    SDL_Delay(0);
    return 0;
}

SQInteger does_nothing(HSQUIRRELVM) { return 0; }

SQInteger is_vibration_available(HSQUIRRELVM vm) {
    sq_pushbool(vm, SQFalse);
    return 1;
}

SQInteger get_system_milliseconds(HSQUIRRELVM vm) {
    sq_pushinteger(vm, static_cast<int32_t>(milliseconds_now()));
    return 1;
}

SQInteger get_system_profile_time(HSQUIRRELVM vm) {
    sq_pushinteger(vm, static_cast<int32_t>(static_cast<uint32_t>(SDL_GetPerformanceCounter())));
    return 1;
}

// The application functions, in the order of the System table, without
// request_quit and the script-file functions which the script host binds.
constexpr MethodBinding kFunctions[] = {
    {"is_application_active", application_is_active},
    {"get_fps", get_fps},
    {"get_random_int", get_random_int},
    {"get_random_float", get_random_float},
    {"sleep", sleep},
    {"vibrate", does_nothing},
    {"is_vibration_available", is_vibration_available},
    {"get_system_milliseconds", get_system_milliseconds},
    {"get_system_profile_time", get_system_profile_time},
    {"test", does_nothing},
    {"debug_point", does_nothing},
};

void bind_app_functions(HSQUIRRELVM vm) { bind_system_functions(vm, kFunctions); }

const ScriptBindingUnit g_app_functions(bind_app_functions);

}  // namespace

}  // namespace me
