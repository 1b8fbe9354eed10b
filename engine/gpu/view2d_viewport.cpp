#include "gpu/view2d_viewport.h"

#include <algorithm>

#include "core/application.h"

namespace me {

Viewport fit_viewport_to_screen(Viewport viewport, Vec2 screen) {
    if (screen.x <= 0.0f || screen.y <= 0.0f || viewport.size.x <= 0.0f || viewport.size.y <= 0.0f)
        return viewport;
    const float scale = std::min(screen.x / viewport.size.x, screen.y / viewport.size.y);
    viewport.size = {viewport.size.x * scale, viewport.size.y * scale};
    return center_viewport_on_screen(viewport, screen);
}

Viewport center_viewport_on_screen(Viewport viewport, Vec2 screen) {
    viewport.position = {(screen.x - viewport.size.x) / 2.0f, (screen.y - viewport.size.y) / 2.0f};
    return viewport;
}

Vec2 current_screen_size() {
    if (g_application == nullptr)
        return {};
    return {static_cast<float>(g_application->screen_width), static_cast<float>(g_application->screen_height)};
}

}  // namespace me
