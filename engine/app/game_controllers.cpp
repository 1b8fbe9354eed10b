#include "app/game_controllers.h"

#include "app/game_controllers_deadzone.h"
#include "app/input_events.h"
#include "app/joystick_enumeration.h"
#include "app/main_window.h"
#include "core/application.h"
#include "core/builtin_cvars.h"
#include "core/log.h"

namespace me {

GameControllers* g_game_controllers = nullptr;

namespace {

constexpr SDL_GameControllerButton kPolledButtons[ControllerReading::kButtonCount] = {
    SDL_CONTROLLER_BUTTON_A,           SDL_CONTROLLER_BUTTON_B,           SDL_CONTROLLER_BUTTON_X,
    SDL_CONTROLLER_BUTTON_Y,           SDL_CONTROLLER_BUTTON_BACK,        SDL_CONTROLLER_BUTTON_GUIDE,
    SDL_CONTROLLER_BUTTON_START,       SDL_CONTROLLER_BUTTON_LEFTSTICK,   SDL_CONTROLLER_BUTTON_RIGHTSTICK,
    SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, SDL_CONTROLLER_BUTTON_DPAD_UP,
    SDL_CONTROLLER_BUTTON_DPAD_DOWN,   SDL_CONTROLLER_BUTTON_DPAD_LEFT,   SDL_CONTROLLER_BUTTON_DPAD_RIGHT,
};

constexpr SDL_GameControllerAxis kStickAxes[4] = {
    SDL_CONTROLLER_AXIS_LEFTX,
    SDL_CONTROLLER_AXIS_LEFTY,
    SDL_CONTROLLER_AXIS_RIGHTX,
    SDL_CONTROLLER_AXIS_RIGHTY,
};

ControllerReading read_controller(SDL_GameController* controller) {
    ControllerReading reading;
    for (size_t i = 0; i < reading.buttons.size(); ++i)
        reading.buttons[i] = SDL_GameControllerGetButton(controller, kPolledButtons[i]) != 0;
    reading.left_trigger = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_TRIGGERLEFT);
    reading.right_trigger = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
    for (size_t i = 0; i < reading.stick_axes.size(); ++i)
        reading.stick_axes[i] = SDL_GameControllerGetAxis(controller, kStickAxes[i]);
    return reading;
}

ControllerDeadzones configured_deadzones() {
    return {trigger_threshold(cvars::gamepad_triggers_deadzone.int_value()),
            stick_deadzone(cvars::gamepad_deadzone.int_value())};
}

}  // namespace

GameControllers::GameControllers(InputListener& listener)
    : m_listener(listener), m_slots{GameControllerSlot(0), GameControllerSlot(1), GameControllerSlot(2),
                                    GameControllerSlot(3)} {}

GameControllers::~GameControllers() {
    for (GameControllerSlot& slot : m_slots)
        close(slot);
}

void GameControllers::enumerate() { log_joysticks(); }

void GameControllers::handle_event(const SDL_Event& event) {
    if (event.type == SDL_CONTROLLERDEVICEADDED)
        open(event.cdevice.which);
}

void GameControllers::update() {
    const ControllerDeadzones deadzones = configured_deadzones();
    for (GameControllerSlot& slot : m_slots) {
        if (!slot.is_open())
            continue;
        if (SDL_GameControllerGetAttached(slot.controller()))
            slot.apply(read_controller(slot.controller()), deadzones, m_listener);
        else
            close(slot);
    }
}

void GameControllers::clear_frame_marks() {
    for (GameControllerSlot& slot : m_slots)
        slot.clear_frame_marks();
}

bool GameControllers::open(int32_t device_index) {
    if (!SDL_IsGameController(device_index) || is_open(device_index))
        return false;
    GameControllerSlot* slot = free_slot();
    if (slot == nullptr)
        return false;
    SDL_GameController* controller = SDL_GameControllerOpen(device_index);
    if (controller == nullptr) {
        log_error(format_message("Cannot open game controller for joystick index: %1, name: %2, error: %3",
                                 device_index, joystick_name_text(device_index), SDL_GetError()));
        return false;
    }
    slot->fill(controller, device_index);
    const char* name = SDL_GameControllerName(controller);
    log_info(format_message("Opened game controller: joystick index: %1, name: %2, guid: %3", device_index,
                            name != nullptr ? name : "<null>",
                            joystick_guid_text(SDL_JoystickGetDeviceGUID(device_index))));
    return true;
}

// Device indexes shift as devices come and go; instance ids do not.
bool GameControllers::is_open(int32_t device_index) const {
    const SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(device_index);
    for (const GameControllerSlot& slot : m_slots) {
        if (slot.is_open() && SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(slot.controller())) == instance)
            return true;
    }
    return false;
}

GameControllerSlot* GameControllers::free_slot() {
    for (GameControllerSlot& slot : m_slots) {
        if (!slot.is_open())
            return &slot;
    }
    return nullptr;
}

void GameControllers::close(GameControllerSlot& slot) {
    if (slot.is_open())
        SDL_GameControllerClose(slot.controller());
    slot.reset();
}

const GameControllerSlot* GameControllers::find(int32_t slot) const {
    if (slot < 0 || slot >= kGameControllerMaxCount)
        return nullptr;
    return &m_slots[static_cast<size_t>(slot)];
}

bool GameControllers::is_connected(int32_t slot) const {
    const GameControllerSlot* found = find(slot);
    return found != nullptr && found->is_open();
}

std::string GameControllers::controller_name(int32_t slot) const {
    if (!is_connected(slot))
        return {};
    const char* name = SDL_GameControllerName(find(slot)->controller());
    return name != nullptr ? name : "";
}

bool GameControllers::is_button_down(int32_t slot, int32_t button) const {
    const GameControllerSlot* found = find(slot);
    return found != nullptr && found->is_down(button);
}

bool GameControllers::was_button_pressed(int32_t slot, int32_t button) const {
    const GameControllerSlot* found = find(slot);
    return found != nullptr && found->was_pressed(button);
}

bool GameControllers::was_button_released(int32_t slot, int32_t button) const {
    const GameControllerSlot* found = find(slot);
    return found != nullptr && found->was_released(button);
}

}  // namespace me
