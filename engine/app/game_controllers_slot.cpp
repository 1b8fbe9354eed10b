#include "app/game_controllers_slot.h"

#include "app/game_controllers_deadzone.h"

namespace me {

void GameControllerSlot::fill(SDL_GameController* controller, int32_t device_index) {
    m_controller = controller;
    m_device_index = device_index;
    m_buttons = {};
}

void GameControllerSlot::reset() { fill(nullptr, -1); }

void GameControllerSlot::apply(const ControllerReading& reading, const ControllerDeadzones& deadzones,
                               InputListener& listener) {
    for (int32_t i = 0; i < ControllerReading::kButtonCount; ++i)
        set_button(kControllerButtonA + i, reading.buttons[static_cast<size_t>(i)], listener);
    set_button(kControllerButtonLeftTrigger, reading.left_trigger > deadzones.trigger_threshold, listener);
    set_button(kControllerButtonRightTrigger, reading.right_trigger > deadzones.trigger_threshold, listener);
    set_stick(kControllerButtonLeftStickUp, reading.stick_axes[0], reading.stick_axes[1], deadzones.stick_deadzone,
              listener);
    set_stick(kControllerButtonRightStickUp, reading.stick_axes[2], reading.stick_axes[3], deadzones.stick_deadzone,
              listener);
}

// The four directions of a stick are consecutive buttons: up, down, left, right.
void GameControllerSlot::set_stick(int32_t first_button, int16_t x, int16_t y, float deadzone,
                                   InputListener& listener) {
    const StickDirections directions = stick_directions(x, y, deadzone);
    set_button(first_button, directions.up, listener);
    set_button(first_button + 1, directions.down, listener);
    set_button(first_button + 2, directions.left, listener);
    set_button(first_button + 3, directions.right, listener);
}

void GameControllerSlot::set_button(int32_t button, bool down, InputListener& listener) {
    Button& state = m_buttons[static_cast<size_t>(button)];
    if (down == (state.held != 0))
        return;
    state.held = down ? 1 : 0;
    if (down)
        state.pressed = 1;
    else
        state.released = 1;
    listener.game_controller_button(m_index, button, down ? 1 : 0);
}

void GameControllerSlot::clear_frame_marks() {
    for (Button& button : m_buttons) {
        button.pressed = 0;
        button.released = 0;
    }
}

const GameControllerSlot::Button* GameControllerSlot::find(int32_t button) const {
    if (button < 0 || button >= kControllerButtonCount)
        return nullptr;
    return &m_buttons[static_cast<size_t>(button)];
}

bool GameControllerSlot::is_down(int32_t button) const {
    const Button* state = find(button);
    return state != nullptr && state->held != 0;
}

bool GameControllerSlot::was_pressed(int32_t button) const {
    const Button* state = find(button);
    return state != nullptr && state->pressed != 0;
}

bool GameControllerSlot::was_released(int32_t button) const {
    const Button* state = find(button);
    return state != nullptr && state->released != 0;
}

}  // namespace me
