#include "app/application.h"
#include "app/key_codes.h"
#include "ui/pointer_input.h"

namespace me {

namespace {

// SimpleUI sits below the shell and so cannot see the application's input
// state; it reads the pointers through this, at the moment it needs them
// (a click's key_down comes after the click moved the mouse).
simpleui::PointerState application_pointers() {
    simpleui::PointerState state;
    if (g_application == nullptr)
        return state;
    state.mouse = {g_application->mouse_xf, g_application->mouse_yf};
    for (size_t touch = 0; touch < simpleui::kTouchCount; ++touch) {
        const auto& position = g_application->touch_positions[touch];
        state.touches[touch] = {position[0], position[1]};
        const uint8_t key = g_application->key_states[static_cast<size_t>(kTouch0) + touch];
        state.touch_down[touch] = (key & Application::kKeyDown) != 0;
    }
    return state;
}

const simpleui::PointerReaderRegistration g_simple_ui_pointers(application_pointers);

}  // namespace

}  // namespace me
