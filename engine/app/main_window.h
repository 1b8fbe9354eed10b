#pragma once

#include <SDL.h>

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "app/video_mode.h"

namespace me {

class Application;

// The SDL window with its OpenGL context. Either may be missing (no display,
// no OpenGL): the engine then runs without drawing, and everything that would
// draw or present asks has_gl_context() first.
class MainWindow {
public:
    // Used when neither the configuration nor the display gives a size.
    static constexpr Resolution kFallbackResolution{1024, 768};

    // Prepares OpenGL in a fresh context (the render device's part); false
    // when the context is unusable.
    using OpenGLSetup = std::function<bool()>;

    MainWindow() = default;
    ~MainWindow() { destroy(); }
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Starts SDL's video subsystem when needed and opens the window in the
    // configured mode. Every failure is logged once; the result may be ignored.
    bool create();
    void destroy();
    // Runs after every context creation, with the new context current. The
    // window is given up when it fails.
    void set_opengl_setup(OpenGLSetup setup) { m_opengl_setup = std::move(setup); }
    bool exists() const { return m_window != nullptr; }
    bool has_gl_context() const { return m_gl_context != nullptr; }
    SDL_Window* sdl_window() const { return m_window; }

    // SDL window flags (focus, hidden, minimized); 0 without a window.
    uint32_t flags() const;
    int32_t drawable_width() const { return m_drawable.width; }
    int32_t drawable_height() const { return m_drawable.height; }
    WindowMode current_mode() const { return m_current_mode; }

    // Re-reads the video variables and switches to the mode they ask for.
    void apply_video_mode();
    // Applies the video mode only when one of its variables changed since it
    // was last read; the frame and System.change_video_mode use this.
    void apply_pending_video_mode();
    // system::vsync as the swap interval; clears the variable's changed mark.
    void apply_vsync_setting();
    // system::cursor as the cursor's visibility; clears the changed mark.
    void apply_cursor_setting();
    // The distinct resolutions of display 0, in SDL's order.
    const std::vector<Resolution>& list_display_modes();

    // The window's size changed: takes the new drawable size and tells the
    // application and the game.
    void on_resized(int32_t width, int32_t height);
    void swap();

private:
    bool start_video();
    bool open_window(Resolution size);
    Resolution resolution_for(const VideoModeRequest& request) const;
    void switch_to_fullscreen(WindowMode mode, Resolution size);
    void switch_to_windowed(Resolution size);
    void read_drawable_size();

    SDL_Window* m_window = nullptr;
    SDL_GLContext m_gl_context = nullptr;
    VideoModeRequest m_requested;
    WindowMode m_current_mode = WindowMode::Windowed;
    Resolution m_drawable;
    std::vector<Resolution> m_display_modes;
    OpenGLSetup m_opengl_setup;
};

extern MainWindow* g_main_window;

// The desktop resolution of a display; logs the failure and falls back to
// MainWindow::kFallbackResolution.
Resolution desktop_resolution(int display_index);

// The one main window; null before start-up and after teardown.
extern MainWindow* g_main_window;

// The main window exists, has input focus and is neither hidden nor
// minimized.
bool is_application_active();
// Copies the main window's drawable size into the application's screen size;
// unless quiet, tells the script.
void on_resolution_changed(Application& application, bool quiet);

}  // namespace me
