#include <array>
#include <span>
#include <string>

#include "app/game_controllers.h"
#include "app/game_controllers_buttons.h"
#include "app/key_states.h"
#include "core/application.h"
#include "core/key_codes.h"
#include "script/native_class_arguments.h"
#include "script/script_binding.h"
#include "script/script_push.h"
#include "script/system_function_table.h"

namespace me {

namespace {

SQInteger get_mouse_position(HSQUIRRELVM vm) {
    const bool known = g_application != nullptr;
    push_float_array(vm, {known ? g_application->mouse_xf : 0.0f, known ? g_application->mouse_yf : 0.0f});
    return 1;
}

SQInteger get_mouse_delta(HSQUIRRELVM vm) {
    const bool known = g_application != nullptr;
    push_float_array(vm, {known ? g_application->mouse_dx : 0.0f, known ? g_application->mouse_dy : 0.0f});
    return 1;
}

SQInteger get_touch_position(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQInteger index = 0;
    if (!arguments.integer(2, index))
        return arguments.fail();
    std::array<float, 2> position{};
    if (g_application != nullptr && index >= 0 && index < Application::kTouchPointCount)
        position = g_application->touch_positions[static_cast<size_t>(index)];
    push_float_array(vm, {position[0], position[1]});
    return 1;
}

template <bool (KeyStates::*Query)(int32_t) const>
SQInteger query_key(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQInteger code = 0;
    if (!arguments.integer(2, code))
        return arguments.fail();
    bool result = false;
    if (g_application != nullptr)
        result = (KeyStates(std::span<uint8_t>(g_application->key_states)).*Query)(static_cast<int32_t>(code));
    sq_pushbool(vm, result);
    return 1;
}

SQInteger get_joystick_direction(HSQUIRRELVM vm) {
    push_float_array(vm, {0.0f, 0.0f});
    return 1;
}

SQInteger iphone_override_mouse_position(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    std::array<float, 2> position{};
    if (!arguments.vector(2, position))
        return arguments.fail();
    if (g_application != nullptr) {
        g_application->mouse_xf = position[0];
        g_application->mouse_yf = position[1];
    }
    return 0;
}

SQInteger game_controller_is_controller_connected(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQInteger slot = 0;
    if (!arguments.integer(2, slot))
        return arguments.fail();
    sq_pushbool(vm, g_game_controllers != nullptr && g_game_controllers->is_connected(static_cast<int32_t>(slot)));
    return 1;
}

SQInteger game_controller_get_controller_name(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQInteger slot = 0;
    if (!arguments.integer(2, slot))
        return arguments.fail();
    const std::string name =
        g_game_controllers != nullptr ? g_game_controllers->controller_name(static_cast<int32_t>(slot)) : "";
    sq_pushstring(vm, name.c_str(), static_cast<SQInteger>(name.size()));
    return 1;
}

template <bool (GameControllers::*Query)(int32_t, int32_t) const>
SQInteger query_controller_button(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQInteger slot = 0;
    SQInteger button = 0;
    if (!arguments.integer(2, slot) || !arguments.integer(3, button))
        return arguments.fail();
    sq_pushbool(vm, g_game_controllers != nullptr &&
                        (g_game_controllers->*Query)(static_cast<int32_t>(slot), static_cast<int32_t>(button)));
    return 1;
}

constexpr MethodBinding kFunctions[] = {
    {"get_mouse_position", get_mouse_position},
    {"get_mouse_delta", get_mouse_delta},
    {"get_touch_position", get_touch_position},
    {"is_key_down", query_key<&KeyStates::is_down>},
    {"was_key_down", query_key<&KeyStates::was_down>},
    {"was_key_pressed", query_key<&KeyStates::was_pressed>},
    {"was_key_released", query_key<&KeyStates::was_released>},
    {"get_joystick_direction", get_joystick_direction},
    {"iphone_override_mouse_position", iphone_override_mouse_position},
    {"game_controller_is_controller_connected", game_controller_is_controller_connected},
    {"game_controller_get_controller_name", game_controller_get_controller_name},
    {"game_controller_is_button_down", query_controller_button<&GameControllers::is_button_down>},
    {"game_controller_was_button_pressed", query_controller_button<&GameControllers::was_button_pressed>},
    {"game_controller_was_button_released", query_controller_button<&GameControllers::was_button_released>},
};

void bind_input_functions(HSQUIRRELVM vm) { bind_system_functions(vm, kFunctions); }

const ScriptBindingUnit g_input_functions(bind_input_functions);

void bind_input_constants(HSQUIRRELVM vm) {
    bind_constants(vm, key_code_constants());
    bind_constants(vm, game_controller_constants());
}

const ScriptBindingUnit g_input_constants(bind_input_constants);

}  // namespace

}  // namespace me
