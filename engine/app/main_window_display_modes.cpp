#include <algorithm>

#include "core/log.h"
#include "app/main_window.h"

namespace me {

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

}  // namespace me
