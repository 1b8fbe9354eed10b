#pragma once

#include <SDL.h>

#include <cstdint>

#include "core/application.h"

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

// Turns window, keyboard and mouse events into the application's key and
// mouse state and into listener calls, in the order the events arrive.
class InputEvents {
public:
    InputEvents(Application& application, InputListener& listener)
        : m_application(application), m_listener(listener) {}

    // False for events that are not keyboard, mouse or window-size events.
    bool handle(const SDL_Event& event);

private:
    void key_event(const SDL_KeyboardEvent& key);
    void move_mouse_to(int32_t x, int32_t y);
    void mouse_button_event(const SDL_MouseButtonEvent& button);
    void mouse_wheel_event(const SDL_MouseWheelEvent& wheel);
    void window_event(const SDL_WindowEvent& window);
    void press(int32_t code);
    void release(int32_t code);

    Application& m_application;
    InputListener& m_listener;
};

// Where the frame sends each queued event that is not a quit request: a
// controller-added event opens a controller slot; keyboard, mouse and window
// events update the application's input state and reach the listener. Without
// an application or controllers such events are dropped.
void dispatch_input_event(const SDL_Event& event, InputListener& listener);

}  // namespace me
