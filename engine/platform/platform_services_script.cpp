#include <squirrel.h>

#include "platform/platform_services.h"
#include "script/native_class_arguments.h"
#include "script/system_function_table.h"

namespace me {

namespace {

// Without the services (no platform started) every call answers as a
// platform that has nothing: false, 0 or no effect.
PlatformServices* services() { return g_platform_services; }

SQInteger is_available(HSQUIRRELVM vm) {
    sq_pushbool(vm, services() != nullptr && services()->is_available());
    return 1;
}

// A function of one name argument that only acts.
template <void (PlatformServices::*Action)(std::string_view)>
SQInteger act_on_name(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    const SQChar* name = nullptr;
    if (!arguments.string(2, name))
        return arguments.fail();
    if (services() != nullptr)
        (services()->*Action)(name);
    return 0;
}

template <void (PlatformServices::*Action)()>
SQInteger act(HSQUIRRELVM) {
    if (services() != nullptr)
        (services()->*Action)();
    return 0;
}

SQInteger is_achievement_unlocked(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    const SQChar* name = nullptr;
    if (!arguments.string(2, name))
        return arguments.fail();
    sq_pushbool(vm, services() != nullptr && services()->is_achievement_unlocked(name));
    return 1;
}

SQInteger set_integer_stat(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    const SQChar* name = nullptr;
    SQInteger value = 0;
    if (!arguments.string(2, name) || !arguments.integer(3, value))
        return arguments.fail();
    if (services() != nullptr)
        services()->set_integer_stat(name, static_cast<int32_t>(value));
    return 0;
}

SQInteger set_float_stat(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    const SQChar* name = nullptr;
    SQFloat value = 0;
    if (!arguments.string(2, name) || !arguments.floating(3, value))
        return arguments.fail();
    if (services() != nullptr)
        services()->set_float_stat(name, static_cast<float>(value));
    return 0;
}

SQInteger get_integer_stat(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    const SQChar* name = nullptr;
    if (!arguments.string(2, name))
        return arguments.fail();
    sq_pushinteger(vm, services() != nullptr ? services()->integer_stat(name) : 0);
    return 1;
}

SQInteger get_float_stat(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    const SQChar* name = nullptr;
    if (!arguments.string(2, name))
        return arguments.fail();
    sq_pushfloat(vm, services() != nullptr ? services()->float_stat(name) : 0.0f);
    return 1;
}

// The second achievement service does not exist on this platform: its
// functions check their name and answer as a service with nothing in it.
template <SQInteger (*Push)(HSQUIRRELVM)>
SQInteger game_center_query(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    const SQChar* name = nullptr;
    if (!arguments.string(2, name))
        return arguments.fail();
    return Push(vm);
}

SQInteger push_false(HSQUIRRELVM vm) {
    sq_pushbool(vm, SQFalse);
    return 1;
}

SQInteger push_zero_progress(HSQUIRRELVM vm) {
    sq_pushfloat(vm, 0.0f);
    return 1;
}

SQInteger push_nothing(HSQUIRRELVM) { return 0; }

constexpr MethodBinding kFunctions[] = {
    {"steam_is_available", is_available},
    {"steam_activate_game_overlay", act_on_name<&PlatformServices::activate_overlay>},
    {"steam_activate_game_overlay_to_web_page", act_on_name<&PlatformServices::activate_overlay_to_web_page>},
    {"steam_reset_stats_and_achievements", act<&PlatformServices::reset_stats_and_achievements>},
    {"steam_store_stats_if_necessary", act<&PlatformServices::store_stats_if_necessary>},
    {"steam_unlock_achievement", act_on_name<&PlatformServices::unlock_achievement>},
    {"steam_is_achievement_unlocked", is_achievement_unlocked},
    {"steam_set_integer_stat", set_integer_stat},
    {"steam_set_float_stat", set_float_stat},
    {"steam_get_integer_stat", get_integer_stat},
    {"steam_get_float_stat", get_float_stat},
    {"is_game_center_available", push_false},
    {"is_game_center_achievement_completed", game_center_query<push_false>},
    {"get_game_center_achievement_progress", game_center_query<push_zero_progress>},
    {"submit_game_center_achievement_progress", game_center_query<push_nothing>},
    {"show_game_center_achievements", push_nothing},
};

void bind_platform_functions(HSQUIRRELVM vm) { bind_system_functions(vm, kFunctions); }

const ScriptBindingUnit g_platform_functions(bind_platform_functions);

}  // namespace

}  // namespace me
