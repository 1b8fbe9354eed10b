#pragma once

#include <SDL.h>

#include "app/input_events_listener.h"
#include "core/application.h"

namespace me {

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

}  // namespace me
