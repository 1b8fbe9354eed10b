#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>

#include "app/game_controllers_buttons.h"
#include "app/input_events.h"

namespace me {

// One poll's worth of a controller: its buttons in SDL's order, its trigger
// axes and its stick axes (left x, left y, right x, right y).
struct ControllerReading {
    static constexpr int kButtonCount = 15;
    std::array<bool, kButtonCount> buttons{};
    int16_t left_trigger = 0;
    int16_t right_trigger = 0;
    std::array<int16_t, 4> stick_axes{};
};

// The dead zones in force for one poll.
struct ControllerDeadzones {
    int32_t trigger_threshold = 0;
    float stick_deadzone = 0.0f;
};

// One of the four controller slots and its virtual buttons.
class GameControllerSlot {
public:
    struct Button {
        uint8_t held = 0;
        uint8_t pressed = 0;
        uint8_t released = 0;
    };

    explicit GameControllerSlot(int32_t index = 0) : m_index(index) {}

    bool is_open() const { return m_controller != nullptr; }
    SDL_GameController* controller() const { return m_controller; }
    int32_t index() const { return m_index; }
    int32_t device_index() const { return m_device_index; }

    void fill(SDL_GameController* controller, int32_t device_index);
    // Frees the slot; held buttons are dropped without callbacks.
    void reset();

    // Sets every virtual button from the reading, calling the listener for
    // each button that went down or up.
    void apply(const ControllerReading& reading, const ControllerDeadzones& deadzones, InputListener& listener);
    void clear_frame_marks();

    // Buttons outside 0-25 read as up.
    bool is_down(int32_t button) const;
    bool was_pressed(int32_t button) const;
    bool was_released(int32_t button) const;

private:
    void set_button(int32_t button, bool down, InputListener& listener);
    void set_stick(int32_t first_button, int16_t x, int16_t y, float deadzone, InputListener& listener);
    const Button* find(int32_t button) const;

    SDL_GameController* m_controller = nullptr;
    int32_t m_index;
    int32_t m_device_index = -1;
    std::array<Button, kControllerButtonCount> m_buttons{};
};

}  // namespace me
