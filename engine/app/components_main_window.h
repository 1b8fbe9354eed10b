#pragma once

#include <cstdint>

namespace me {

// The SDL window with its OpenGL context. Not built yet: no window is created,
// so the engine runs headless, with no input focus and nothing to present.
class MainWindow {
public:
    // Logs its own failure; start-up goes on either way.
    bool create() { return false; }
    bool exists() const { return false; }
    void destroy() {}
    // SDL window flags (focus, hidden, minimized).
    uint32_t flags() const { return 0; }
    int32_t drawable_width() const { return 0; }
    int32_t drawable_height() const { return 0; }
    void apply_video_mode() {}
    void apply_vsync_setting() {}
    void swap() {}
};

extern MainWindow* g_main_window;

}  // namespace me
