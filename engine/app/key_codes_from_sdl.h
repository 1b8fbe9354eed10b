#pragma once

#include <SDL.h>

#include <optional>

#include "core/key_codes.h"

namespace me {

// The engine key code of an SDL key code (not a scan code): ASCII keys keep
// their value, named keys take their constant, everything else is KEY_NONE.
KeyCode key_code_from_sdl(SDL_Keycode key);

// The engine code of an SDL mouse button; none for buttons the engine does
// not track.
std::optional<KeyCode> mouse_button_code_from_sdl(uint8_t button);

}  // namespace me
