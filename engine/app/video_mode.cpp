#include "app/video_mode.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <vector>

#include "core/builtin_cvars.h"

namespace me {

namespace {

std::vector<std::string_view> split_at_blanks(std::string_view text) {
    std::vector<std::string_view> parts;
    size_t position = 0;
    while (position < text.size()) {
        const size_t start = text.find_first_not_of(" \t", position);
        if (start == std::string_view::npos)
            break;
        const size_t end = std::min(text.find_first_of(" \t", start), text.size());
        parts.push_back(text.substr(start, end - start));
        position = end;
    }
    return parts;
}

// The leading decimal number of text; 0 when there is none or it does not fit.
int32_t parse_number(std::string_view text) {
    int32_t value = 0;
    const std::from_chars_result result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() ? value : 0;
}

int32_t parse_extent(std::string_view text) { return std::min(parse_number(text), VideoModeRequest::kMaxExtent); }

void read_resolution(std::string_view text, VideoModeRequest& request) {
    const std::vector<std::string_view> parts = split_at_blanks(text);
    if (parts.size() != 2)
        return;
    request.width = parse_extent(parts[0]);
    request.height = parse_extent(parts[1]);
}

}  // namespace

WindowMode window_mode_from_number(int32_t number) {
    switch (number) {
    case 1:
        return WindowMode::Fullscreen;
    case 2:
        return WindowMode::FullscreenDesktop;
    default:
        return WindowMode::Windowed;
    }
}

VideoModeRequest parse_video_mode_request(const VideoModeSettings& settings) {
    VideoModeRequest request;
    const std::vector<std::string_view> parts = split_at_blanks(settings.video_mode);
    if (parts.size() == 3) {
        request.width = parse_extent(parts[0]);
        request.height = parse_extent(parts[1]);
        request.mode = window_mode_from_number(parse_number(parts[2]));
        return request;
    }
    request.mode = window_mode_from_number(settings.window_mode);
    if (request.mode == WindowMode::Windowed)
        read_resolution(settings.windowed_resolution, request);
    else if (request.mode == WindowMode::Fullscreen)
        read_resolution(settings.fullscreen_resolution, request);
    return request;
}

bool take_video_mode_changes() {
    bool changed = false;
    for (CVarDefault* setting :
         {&cvars::video_mode, &cvars::window_mode, &cvars::windowed_resolution, &cvars::fullscreen_resolution})
        changed = setting->take_changed() || changed;
    return changed;
}

VideoModeRequest take_requested_video_mode() {
    take_video_mode_changes();
    const std::string video_mode = cvars::video_mode.text();
    const std::string windowed_resolution = cvars::windowed_resolution.text();
    const std::string fullscreen_resolution = cvars::fullscreen_resolution.text();
    return parse_video_mode_request(
        {video_mode, cvars::window_mode.int_value(), windowed_resolution, fullscreen_resolution});
}

}  // namespace me
