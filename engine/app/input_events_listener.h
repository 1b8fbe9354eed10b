#pragma once

#include <cstdint>

namespace me {

// Where input events end up. The engine's listener calls the root callbacks
// and tells the main window; tests record what they are told.
class InputListener {
public:
    virtual ~InputListener() = default;
    virtual void key_down(int32_t code) = 0;
    virtual void key_up(int32_t code) = 0;
    // state is 1 for down and 0 for up.
    virtual void game_controller_button(int32_t slot, int32_t button, int32_t state) = 0;
    virtual void window_resized(int32_t width, int32_t height) = 0;
};

// The engine's listener: root callbacks key_down, key_up and
// handle_game_controller_button, and the main window's resize handling.
InputListener& engine_input_listener();

}  // namespace me
