#include <algorithm>

#include "core/log.h"
#include "app/main_window.h"

namespace me {

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
