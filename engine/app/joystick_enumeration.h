#pragma once

#include <SDL.h>

#include <string>

namespace me {

// The 32-character hexadecimal text of a joystick GUID.
std::string joystick_guid_text(SDL_JoystickGUID guid);

// The device's name, or "<null>" when it has none.
std::string joystick_name_text(int device_index);

// Logs every joystick device with its name, GUID and whether it is a game
// controller. Nothing is opened.
void log_joysticks();

}  // namespace me
