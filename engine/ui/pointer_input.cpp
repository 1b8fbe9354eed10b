#include "ui/pointer_input.h"

#include "core/application.h"
#include "core/key_codes.h"

namespace me::simpleui {

PointerState read_pointers() {
    PointerState state;
    if (g_application == nullptr)
        return state;
    state.mouse = {g_application->mouse_xf, g_application->mouse_yf};
    for (size_t touch = 0; touch < kTouchCount; ++touch) {
        const auto& position = g_application->touch_positions[touch];
        state.touches[touch] = {position[0], position[1]};
        const uint8_t key = g_application->key_states[static_cast<size_t>(kTouch0) + touch];
        state.touch_down[touch] = (key & Application::kKeyDown) != 0;
    }
    return state;
}

int pointer_from_key(int key) {
    if (key == kMouseLeft)
        return 0;
    if (key == kMouseRight)
        return 1;
    if (key >= kTouch0 && key <= kTouch3)
        return kFirstTouchPointer + (key - kTouch0);
    return -1;
}

bool is_pointer_index(int pointer) { return pointer >= 0 && pointer < kPointerCount; }

Vec2 pointer_position(const PointerState& state, int pointer) {
    if (pointer >= kFirstTouchPointer && pointer < kPointerCount)
        return state.touches[static_cast<size_t>(pointer - kFirstTouchPointer)];
    return state.mouse;
}

}  // namespace me::simpleui
