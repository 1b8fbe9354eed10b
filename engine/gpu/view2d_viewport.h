#pragma once

#include "core/float_vector.h"

namespace me {

// A rectangle of the window in pixels, y down. Views and cameras share it.
struct Viewport {
    Vec2 position;
    Vec2 size;
};

// The viewport scaled as large as fits the screen with its aspect ratio kept,
// then centred. Without a usable screen or viewport size (no window yet, or
// no aspect to keep) it is returned unchanged.
Viewport fit_viewport_to_screen(Viewport viewport, Vec2 screen);

// The viewport moved so that it sits in the middle of the screen.
Viewport center_viewport_on_screen(Viewport viewport, Vec2 screen);

// The window's drawable size as the application last saw it; (0, 0) without
// an application or window.
Vec2 current_screen_size();

}  // namespace me
