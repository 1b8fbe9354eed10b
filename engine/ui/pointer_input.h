#pragma once

#include <array>

#include "core/float_vector.h"

namespace me::simpleui {

// The pointers a UI tracks: 0 the mouse's left button, 1 its right button
// (both at the mouse position), 2-5 the four touches.
inline constexpr int kPointerCount = 6;
inline constexpr int kTouchCount = 4;
inline constexpr int kFirstTouchPointer = 2;

// Where the pointers are on the screen (window pixels, y down) at the moment
// of reading.
struct PointerState {
    Vec2 mouse;
    std::array<Vec2, kTouchCount> touches{};
    std::array<bool, kTouchCount> touch_down{};
};

// The pointers as the application's input state has them now (the event
// pump moves the mouse before it reports a click's key); all at (0, 0) and
// no touch down without an application.
PointerState read_pointers();

// The pointer a key code stands for: MOUSE_LEFT 0, MOUSE_RIGHT 1,
// TOUCH_0 ... TOUCH_3 2-5; -1 for any other code.
int pointer_from_key(int key);
bool is_pointer_index(int pointer);
// The pointer's screen position in that state.
Vec2 pointer_position(const PointerState& state, int pointer);

}  // namespace me::simpleui
