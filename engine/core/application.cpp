#include "core/application.h"

#include <SDL.h>

#include "core/clock.h"

namespace me {

int g_argc = 0;
char** g_argv = nullptr;
Application* g_application = nullptr;

Application::Application() : frame_pacer(milliseconds_now, [] { SDL_Delay(0); }, [](uint32_t ms) { SDL_Delay(ms); }) {
    rng.seed_from_current_time();
    g_application = this;
}

Application::~Application() {
    if (g_application == this)
        g_application = nullptr;
}

void Application::clear_frame_input() {
    mouse_dx = 0.0f;
    mouse_dy = 0.0f;
    for (uint8_t& state : key_states)
        state &= static_cast<uint8_t>(~(kKeyPressed | kKeyReleased));
}

std::vector<int> Application::release_held_keys() {
    std::vector<int> released;
    for (int code = 0; code < kKeyCount; ++code) {
        uint8_t& state = key_states[static_cast<size_t>(code)];
        if ((state & kKeyDown) == 0)
            continue;
        state = static_cast<uint8_t>((state & ~kKeyDown) | kKeyReleased);
        released.push_back(code);
    }
    return released;
}

}  // namespace me
