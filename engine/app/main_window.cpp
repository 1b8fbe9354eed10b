#include "app/main_window.h"

#include <algorithm>
#include <string>

#include "app/main_window_libraries.h"
#include "core/application.h"
#include "core/builtin_cvars.h"
#include "core/log.h"
#include "script/script_host.h"

namespace me {

MainWindow* g_main_window = nullptr;

namespace {

uint32_t creation_flags(WindowMode mode) {
    switch (mode) {
    case WindowMode::Fullscreen:
        return SDL_WINDOW_OPENGL | SDL_WINDOW_FULLSCREEN;
    case WindowMode::FullscreenDesktop:
        return SDL_WINDOW_OPENGL | SDL_WINDOW_FULLSCREEN_DESKTOP;
    default:
        return SDL_WINDOW_OPENGL;
    }
}

}  // namespace

Resolution desktop_resolution(int display_index) {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(display_index, &mode) != 0) {
        log_error(format_message("SDL_GetDesktopDisplayMode() failed: %1", SDL_GetError()));
        return MainWindow::kFallbackResolution;
    }
    return {mode.w, mode.h};
}

bool MainWindow::create() {
    if (exists())
        return true;
    const std::vector<std::string> libraries_before_video = loaded_libraries();
    if (!start_video())
        return false;
    m_requested = take_requested_video_mode();
    Resolution size{m_requested.width, m_requested.height};
    if (!m_requested.has_resolution()) {
        size = desktop_resolution(0);
        log_info(format_message("No video mode resolution specified, using desktop resolution %1x%2.", size.width,
                                size.height));
    }
    const bool opened = open_window(size);
    // OpenGL drivers keep memory in their globals for the life of the
    // process, also after a failed set-up. Unloaded at exit, they leave it
    // behind as leaks that leak checkers cannot even name; one window per run
    // loses nothing by keeping them.
    keep_libraries_loaded_since(libraries_before_video);
    if (!opened)
        return false;
    m_current_mode = m_requested.mode;
    read_drawable_size();
    log_info(format_message("SDL window: %1x%2", m_drawable.width, m_drawable.height));
    apply_vsync_setting();
    apply_cursor_setting();
    return true;
}

// Video starts here rather than with SDL's other subsystems, so that a
// missing display costs the window and nothing else.
bool MainWindow::start_video() {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0)
        return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)
        return true;
    log_error(format_message("Cannot start the SDL video subsystem, running without a window: %1.", SDL_GetError()));
    return false;
}

bool MainWindow::open_window(Resolution size) {
    const std::string title = cvars::window_title.text();
    m_window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, size.width,
                                size.height, creation_flags(m_requested.mode));
    if (m_window == nullptr) {
        log_error(format_message("Error creating main window, SDL_CreateWindow() failed: %1.", SDL_GetError()));
        return false;
    }
    m_gl_context = SDL_GL_CreateContext(m_window);
    if (m_gl_context == nullptr) {
        log_error(format_message("Error creating OpenGL context: %1.", SDL_GetError()));
        destroy();
        return false;
    }
    if (m_opengl_setup && !m_opengl_setup()) {
        destroy();
        return false;
    }
    return true;
}

void MainWindow::destroy() {
    if (m_gl_context != nullptr)
        SDL_GL_DeleteContext(m_gl_context);
    if (m_window != nullptr)
        SDL_DestroyWindow(m_window);
    m_gl_context = nullptr;
    m_window = nullptr;
}

uint32_t MainWindow::flags() const { return m_window != nullptr ? SDL_GetWindowFlags(m_window) : 0; }

void MainWindow::apply_vsync_setting() {
    cvars::vsync.take_changed();
    if (!has_gl_context())
        return;
    const bool on = cvars::vsync.bool_value();
    if (SDL_GL_SetSwapInterval(on ? 1 : 0) != 0)
        log_warning(on ? "Setting vsync on failed." : "Setting vsync off failed.");
    log_info(format_message("Vsync swap interval: %1", SDL_GL_GetSwapInterval()));
}

void MainWindow::apply_cursor_setting() {
    cvars::cursor.take_changed();
    if (exists())
        SDL_ShowCursor(cvars::cursor.bool_value() ? SDL_ENABLE : SDL_DISABLE);
}

void MainWindow::on_resized(int32_t width, int32_t height) {
    if (!exists())
        return;
    read_drawable_size();
    log_info(format_message("SDL window resized to: %1x%2 (drawable %3x%4)", width, height, m_drawable.width,
                            m_drawable.height));
    if (g_application != nullptr)
        on_resolution_changed(*g_application, false);
}

void MainWindow::read_drawable_size() { SDL_GL_GetDrawableSize(m_window, &m_drawable.width, &m_drawable.height); }

void MainWindow::swap() {
    if (has_gl_context())
        SDL_GL_SwapWindow(m_window);
}

bool is_application_active() {
    if (g_main_window == nullptr)
        return false;
    const uint32_t flags = g_main_window->flags();
    return (flags & SDL_WINDOW_INPUT_FOCUS) != 0 && (flags & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) == 0;
}

void on_resolution_changed(Application& application, bool quiet) {
    if (g_main_window != nullptr) {
        application.screen_width = g_main_window->drawable_width();
        application.screen_height = g_main_window->drawable_height();
    }
    if (!quiet)
        call_root_callback(root_names::screen_resolution_changed);
}

namespace {

constexpr int kListedDisplay = 0;

}  // namespace

const std::vector<Resolution>& MainWindow::list_display_modes() {
    m_display_modes.clear();
    const int count = SDL_GetNumDisplayModes(kListedDisplay);
    if (count < 0)
        log_error(format_message("SDL_GetNumDisplayModes() failed: %1", SDL_GetError()));
    else if (count == 0)
        log_error("SDL_GetNumDisplayModes() returned 0!");
    for (int index = 0; index < count; ++index) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(kListedDisplay, index, &mode) != 0) {
            log_error(format_message("SDL_GetDisplayMode( display %1, mode %2 ) failed: %3", kListedDisplay, index,
                                     SDL_GetError()));
            continue;
        }
        const Resolution resolution{mode.w, mode.h};
        if (std::find(m_display_modes.begin(), m_display_modes.end(), resolution) == m_display_modes.end())
            m_display_modes.push_back(resolution);
    }
    return m_display_modes;
}

void MainWindow::apply_video_mode() {
    m_requested = take_requested_video_mode();
    if (!exists())
        return;
    log_info(format_message("Changing video mode to requested %1x%2 (window mode %3)", std::max(m_requested.width, 0),
                            std::max(m_requested.height, 0), static_cast<int32_t>(m_requested.mode)));
    const Resolution size = resolution_for(m_requested);
    if (m_requested.mode == WindowMode::Windowed)
        switch_to_windowed(size);
    else
        switch_to_fullscreen(m_requested.mode, size);
    m_current_mode = m_requested.mode;
}

void MainWindow::apply_pending_video_mode() {
    if (take_video_mode_changes())
        apply_video_mode();
}

Resolution MainWindow::resolution_for(const VideoModeRequest& request) const {
    if (request.has_resolution())
        return {request.width, request.height};
    int display_index = SDL_GetWindowDisplayIndex(m_window);
    if (display_index < 0) {
        log_error(format_message("SDL_GetWindowDisplayIndex() failed: %1", SDL_GetError()));
        display_index = 0;
    }
    const Resolution size = desktop_resolution(display_index);
    log_info(format_message("No video mode resolution specified, using desktop resolution %1x%2 (display index %3).",
                            size.width, size.height, display_index));
    return size;
}

// SDL changes the display mode of a fullscreen window only on the way into
// fullscreen, so a fullscreen window leaves it first.
void MainWindow::switch_to_fullscreen(WindowMode mode, Resolution size) {
    if ((flags() & SDL_WINDOW_FULLSCREEN) != 0)
        SDL_SetWindowFullscreen(m_window, 0);
    if (mode == WindowMode::FullscreenDesktop) {
        if (SDL_SetWindowFullscreen(m_window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0)
            log_error(format_message("Setting fullscreen windowed (desktop) mode failed: SDL_SetWindowFullscreen() "
                                     "failed with error: %1.",
                                     SDL_GetError()));
        return;
    }
    SDL_DisplayMode display_mode{};
    display_mode.w = size.width;
    display_mode.h = size.height;
    SDL_SetWindowDisplayMode(m_window, &display_mode);
    if (SDL_SetWindowFullscreen(m_window, SDL_WINDOW_FULLSCREEN) != 0)
        log_error(format_message("Setting fullscreen mode failed: SDL_SetWindowFullscreen() failed with error: %1.",
                                 SDL_GetError()));
}

void MainWindow::switch_to_windowed(Resolution size) {
    if (SDL_SetWindowFullscreen(m_window, 0) != 0)
        log_error(format_message("Setting windowed mode failed: SDL_SetWindowFullscreen() failed with error: %1.",
                                 SDL_GetError()));
    SDL_SetWindowSize(m_window, size.width, size.height);
    SDL_SetWindowPosition(m_window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

}  // namespace me
