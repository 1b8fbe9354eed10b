#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <string>

#include "app/game_controllers_slot.h"
#include "app/input_events.h"

namespace me {

// Keyboard, mouse and game-controller input: the events of the frame's event
// pump, and the four controller slots that are polled once per frame.
class GameControllers {
public:
    explicit GameControllers(InputListener& listener = engine_input_listener());
    ~GameControllers();
    GameControllers(const GameControllers&) = delete;
    GameControllers& operator=(const GameControllers&) = delete;

    // Logs the joysticks present; controllers open through their added events.
    void enumerate();
    // A controller-added event opens the controller; other events are not
    // the controllers' business.
    void handle_event(const SDL_Event& event);
    // Polls every open controller; one that is gone frees its slot.
    void update();
    void clear_frame_marks();

    // Opens the joystick device as a game controller in the first free slot.
    // False for devices that are not controllers or are already open, when
    // every slot is taken, or when SDL cannot open it (logged).
    bool open(int32_t device_index);

    // Slots outside 0-3 are not connected, have no name and no buttons down.
    bool is_connected(int32_t slot) const;
    std::string controller_name(int32_t slot) const;
    bool is_button_down(int32_t slot, int32_t button) const;
    bool was_button_pressed(int32_t slot, int32_t button) const;
    bool was_button_released(int32_t slot, int32_t button) const;

private:
    bool is_open(int32_t device_index) const;
    GameControllerSlot* free_slot();
    const GameControllerSlot* find(int32_t slot) const;
    void close(GameControllerSlot& slot);

    InputListener& m_listener;
    std::array<GameControllerSlot, kGameControllerMaxCount> m_slots;
};

extern GameControllers* g_game_controllers;

// The process-wide controller slots.
extern GameControllers* g_game_controllers;

}  // namespace me
