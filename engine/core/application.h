#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/color.h"
#include "core/frame_pacer.h"
#include "core/random.h"

namespace me {

// The process arguments, kept for the lobby-join argument of the command line.
extern int g_argc;
extern char** g_argv;

// The one application object: quit request, frame clock, screen size, the
// input state the frame resets, the text palette and the random generator.
class Application {
public:
    static constexpr int kKeyCount = 213;
    static constexpr int kTextColorCount = 10;
    static constexpr int kTouchPointCount = 4;

    // KeyStates bits.
    static constexpr uint8_t kKeyPressed = 1;   // went down during this frame
    static constexpr uint8_t kKeyReleased = 2;  // went up during this frame
    static constexpr uint8_t kKeyDown = 4;      // held until a key-up

    // Seeds the generator from the current time and registers the global.
    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // status becomes the process exit status once the frame loop has ended
    // and everything is torn down.
    void request_quit(int status = 0) {
        quit_requested = true;
        exit_status = status;
    }

    int32_t random_int(int32_t min, int32_t max) { return rng.next_int(min, max); }
    float random_float(float min, float max) { return rng.next_float(min, max); }

    // Clears what lasts only one presented frame: mouse movement and the
    // pressed and released key bits.
    void clear_frame_input();
    // Keys whose down bit is set, in ascending code order, become released.
    std::vector<int> release_held_keys();

    bool quit_requested = false;
    int exit_status = 0;
    // The frame clock: it remembers the millisecond clock at the last
    // measurement.
    FramePacer frame_pacer;
    int32_t screen_width = 0;
    int32_t screen_height = 0;
    std::vector<uint8_t> key_states = std::vector<uint8_t>(kKeyCount, 0);
    int32_t mouse_x = 0;
    int32_t mouse_y = 0;
    float mouse_xf = 0.0f;
    float mouse_yf = 0.0f;
    float mouse_dx = 0.0f;
    float mouse_dy = 0.0f;
    std::array<std::array<float, 2>, kTouchPointCount> touch_positions{};
    // Reserved for the input devices, which give them their meaning.
    std::array<int32_t, 2> input_pair{};
    std::array<int32_t, 3> input_triple{0, 1, 0};
    std::array<float, 2> input_floats{};
    std::array<Color, kTextColorCount> text_colors{};
    Xorshift128 rng;
};

extern Application* g_application;

}  // namespace me
