#include "app/game_controllers_deadzone.h"

#include <algorithm>
#include <cmath>

namespace me {

namespace {

constexpr int32_t kAxisMaximum = 32767;
constexpr float kAxisScale = 0.00003051851f;  // 1 / 32767
constexpr float kDegreesPerRadian = 57.29577951f;

}  // namespace

int32_t trigger_threshold(int32_t percent) { return std::clamp(percent, 0, 100) * kAxisMaximum / 100; }

float stick_deadzone(int32_t percent) { return std::clamp(static_cast<float>(percent) * 0.01f, 0.0f, 1.0f); }

StickDirections stick_directions(int16_t x, int16_t y, float deadzone) {
    const float fx = static_cast<float>(x) * kAxisScale;
    const float fy = static_cast<float>(y) * kAxisScale;
    if (std::sqrt(fx * fx + fy * fy) <= deadzone)
        return {};
    const float angle = std::atan2(fy, fx) * kDegreesPerRadian;
    return {
        .up = angle >= -157.5f && angle <= -22.5f,
        .down = angle >= 22.5f && angle <= 157.5f,
        .left = angle >= 112.5f || angle <= -112.5f,
        .right = angle >= -67.5f && angle <= 67.5f,
    };
}

}  // namespace me
