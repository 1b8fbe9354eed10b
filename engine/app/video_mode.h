#pragma once

#include <cstdint>
#include <string_view>

namespace me {

enum class WindowMode : int32_t { Windowed = 0, Fullscreen = 1, FullscreenDesktop = 2 };

struct Resolution {
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const Resolution&) const = default;
};

// What the configuration asks of the main window. A width or height below 1
// asks for the desktop resolution.
struct VideoModeRequest {
    // Larger windows are refused by X servers; larger numbers are cut to it.
    static constexpr int32_t kMaxExtent = 16384;

    int32_t width = 0;
    int32_t height = 0;
    WindowMode mode = WindowMode::Windowed;

    bool has_resolution() const { return width >= 1 && height >= 1; }
    bool operator==(const VideoModeRequest&) const = default;
};

// The texts and numbers of the four video configuration variables.
struct VideoModeSettings {
    std::string_view video_mode;
    int32_t window_mode = 0;
    std::string_view windowed_resolution;
    std::string_view fullscreen_resolution;
};

// 1 and 2 are the fullscreen modes; any other number is windowed.
WindowMode window_mode_from_number(int32_t number);

// system::video_mode ("width height mode") wins when it has exactly three
// parts; otherwise system::window_mode picks the mode and its resolution
// variable ("width height") the size, except that fullscreen desktop always
// takes the desktop's.
VideoModeRequest parse_video_mode_request(const VideoModeSettings& settings);

// Clears the changed marks of the four variables; true when any was set.
bool take_video_mode_changes();

// Reads the four variables from the registry and clears their changed marks.
VideoModeRequest take_requested_video_mode();

}  // namespace me
