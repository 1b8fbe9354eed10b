#pragma once

#include <cstdint>

namespace me {

// The four directions a stick reports; diagonals report two.
struct StickDirections {
    bool up = false;
    bool down = false;
    bool left = false;
    bool right = false;
    bool operator==(const StickDirections&) const = default;
};

// The trigger axis value a trigger must pass to count as pressed, from a
// percentage (input::gamepad_triggers_deadzone) clamped to 0-100.
int32_t trigger_threshold(int32_t percent);

// The stick deflection, 0 to 1, that a stick must pass to report a direction,
// from a percentage (input::gamepad_deadzone).
float stick_deadzone(int32_t percent);

// The directions of a stick at the raw axis values x and y (y grows
// downward). Each direction covers a 135-degree sector, so neighbouring
// sectors overlap; inside the dead zone no direction is reported.
StickDirections stick_directions(int16_t x, int16_t y, float deadzone);

}  // namespace me
