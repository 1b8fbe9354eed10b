#pragma once

#include <cstdint>
#include <span>

#include "core/key_codes.h"

namespace me {

// The virtual buttons of a game controller; sticks and triggers appear as
// buttons too.
enum GameControllerButton : int32_t {
    kControllerButtonNone = 0,
    kControllerButtonA = 1,
    // Buttons 1-15 follow SDL's order of controller buttons.
    kControllerButtonDpadRight = 15,
    kControllerButtonLeftTrigger = 16,
    kControllerButtonRightTrigger = 17,
    kControllerButtonLeftStickUp = 18,
    kControllerButtonRightStickUp = 22,
    kControllerButtonCount = 26,
};

constexpr int32_t kGameControllerMaxCount = 4;

// GAME_CONTROLLER_MAX_COUNT and the GAME_CONTROLLER_BUTTON_ constants.
std::span<const ScriptConstant> game_controller_constants();

}  // namespace me
