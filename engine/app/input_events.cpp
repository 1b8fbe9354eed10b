#include "app/input_events.h"

#include "app/game_controllers.h"
#include "app/key_codes_from_sdl.h"
#include "app/key_states.h"
#include "app/main_window.h"
#include "script/script_host.h"

namespace me {

bool InputEvents::handle(const SDL_Event& event) {
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        key_event(event.key);
        return true;
    case SDL_MOUSEMOTION:
        move_mouse_to(event.motion.x, event.motion.y);
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        mouse_button_event(event.button);
        return true;
    case SDL_MOUSEWHEEL:
        mouse_wheel_event(event.wheel);
        return true;
    case SDL_WINDOWEVENT:
        window_event(event.window);
        return true;
    default:
        return false;
    }
}

namespace {

// When the window loses the keyboard, SDL releases every key it still holds,
// in its own scan-code order, before it reports the focus loss. Those
// releases are left to the frame, which releases the held keys in ascending
// engine code order once the window is inactive; no key stays held.
bool window_lost_keyboard() {
    return g_main_window != nullptr && g_main_window->exists() &&
           (g_main_window->flags() & SDL_WINDOW_INPUT_FOCUS) == 0;
}

}  // namespace

void InputEvents::key_event(const SDL_KeyboardEvent& key) {
    const int32_t code = key_code_from_sdl(key.keysym.sym);
    if (key.type == SDL_KEYDOWN && key.repeat == 0)
        press(code);
    else if (key.type == SDL_KEYUP && !window_lost_keyboard())
        release(code);
}

void InputEvents::move_mouse_to(int32_t x, int32_t y) {
    Application& app = m_application;
    // In 64 bits, so that no pair of positions can overflow.
    app.mouse_dx += static_cast<float>(int64_t{x} - app.mouse_x);
    app.mouse_dy += static_cast<float>(int64_t{y} - app.mouse_y);
    app.mouse_x = x;
    app.mouse_y = y;
    app.mouse_xf = static_cast<float>(x);
    app.mouse_yf = static_cast<float>(y);
    app.touch_positions[0] = {app.mouse_xf, app.mouse_yf};
}

void InputEvents::mouse_button_event(const SDL_MouseButtonEvent& button) {
    move_mouse_to(button.x, button.y);
    const std::optional<KeyCode> code = mouse_button_code_from_sdl(button.button);
    if (!code)
        return;
    if (button.type == SDL_MOUSEBUTTONDOWN)
        press(*code);
    else
        release(*code);
}

// A wheel step is pressed and released at once: it is never held, but the
// frame still sees it as pressed.
void InputEvents::mouse_wheel_event(const SDL_MouseWheelEvent& wheel) {
    if (wheel.y == 0)
        return;
    const bool up = (wheel.y > 0) != (wheel.direction == SDL_MOUSEWHEEL_FLIPPED);
    const int32_t code = up ? kMouseWheelUp : kMouseWheelDown;
    press(code);
    release(code);
}

void InputEvents::window_event(const SDL_WindowEvent& window) {
    if (window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
        m_listener.window_resized(window.data1, window.data2);
}

void InputEvents::press(int32_t code) {
    KeyStates(m_application.key_states).press(code);
    m_listener.key_down(code);
}

void InputEvents::release(int32_t code) {
    KeyStates(m_application.key_states).release(code);
    m_listener.key_up(code);
}

namespace {

class EngineInputListener final : public InputListener {
public:
    void key_down(int32_t code) override { call_root_callback(root_names::key_down, {SQInteger{code}}); }

    void key_up(int32_t code) override { call_root_callback(root_names::key_up, {SQInteger{code}}); }

    void game_controller_button(int32_t slot, int32_t button, int32_t state) override {
        call_root_callback(root_names::handle_game_controller_button,
                           {SQInteger{slot}, SQInteger{button}, SQInteger{state}});
    }

    void window_resized(int32_t width, int32_t height) override {
        if (g_main_window != nullptr)
            g_main_window->on_resized(width, height);
    }
};

}  // namespace

InputListener& engine_input_listener() {
    static EngineInputListener listener;
    return listener;
}

void dispatch_input_event(const SDL_Event& event, InputListener& listener) {
    if (event.type == SDL_CONTROLLERDEVICEADDED) {
        if (g_game_controllers != nullptr)
            g_game_controllers->handle_event(event);
    } else if (g_application != nullptr) {
        InputEvents(*g_application, listener).handle(event);
    }
}

}  // namespace me
