#pragma once

#include <SDL.h>

namespace me {

// Keyboard, mouse, joystick and game-controller input. Not built yet: events
// other than quit are dropped and no controller is opened.
class GameControllers {
public:
    void enumerate() {}
    void handle_event(const SDL_Event&) {}
    void apply_cursor_setting() {}
    void update() {}
    void clear_frame_marks() {}
};

extern GameControllers* g_game_controllers;

}  // namespace me
