#include "app/game_controllers_buttons.h"

namespace me {

namespace {

constexpr ScriptConstant kConstants[] = {
    {"GAME_CONTROLLER_MAX_COUNT", kGameControllerMaxCount},
    {"GAME_CONTROLLER_BUTTON_NONE", kControllerButtonNone},
    {"GAME_CONTROLLER_BUTTON_A", kControllerButtonA},
    {"GAME_CONTROLLER_BUTTON_B", 2},
    {"GAME_CONTROLLER_BUTTON_X", 3},
    {"GAME_CONTROLLER_BUTTON_Y", 4},
    {"GAME_CONTROLLER_BUTTON_BACK", 5},
    {"GAME_CONTROLLER_BUTTON_GUIDE", 6},
    {"GAME_CONTROLLER_BUTTON_START", 7},
    {"GAME_CONTROLLER_BUTTON_LEFT_STICK", 8},
    {"GAME_CONTROLLER_BUTTON_RIGHT_STICK", 9},
    {"GAME_CONTROLLER_BUTTON_LEFT_BUMPER", 10},
    {"GAME_CONTROLLER_BUTTON_RIGHT_BUMPER", 11},
    {"GAME_CONTROLLER_BUTTON_DPAD_UP", 12},
    {"GAME_CONTROLLER_BUTTON_DPAD_DOWN", 13},
    {"GAME_CONTROLLER_BUTTON_DPAD_LEFT", 14},
    {"GAME_CONTROLLER_BUTTON_DPAD_RIGHT", kControllerButtonDpadRight},
    {"GAME_CONTROLLER_BUTTON_LEFT_TRIGGER", kControllerButtonLeftTrigger},
    {"GAME_CONTROLLER_BUTTON_RIGHT_TRIGGER", kControllerButtonRightTrigger},
    {"GAME_CONTROLLER_BUTTON_LEFT_STICK_UP", kControllerButtonLeftStickUp},
    {"GAME_CONTROLLER_BUTTON_LEFT_STICK_DOWN", 19},
    {"GAME_CONTROLLER_BUTTON_LEFT_STICK_LEFT", 20},
    {"GAME_CONTROLLER_BUTTON_LEFT_STICK_RIGHT", 21},
    {"GAME_CONTROLLER_BUTTON_RIGHT_STICK_UP", kControllerButtonRightStickUp},
    {"GAME_CONTROLLER_BUTTON_RIGHT_STICK_DOWN", 23},
    {"GAME_CONTROLLER_BUTTON_RIGHT_STICK_LEFT", 24},
    {"GAME_CONTROLLER_BUTTON_RIGHT_STICK_RIGHT", 25},
};

}  // namespace

std::span<const ScriptConstant> game_controller_constants() { return kConstants; }

}  // namespace me
