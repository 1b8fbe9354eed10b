#include "resources/sprite_color.h"

#include <algorithm>
#include <cmath>

namespace me {

namespace {

// NaN counts as 0, so a broken colour still packs to a defined value.
uint32_t to_byte(float component) {
    if (!(component > 0.0f))
        return 0;
    return static_cast<uint32_t>(std::lround(std::min(component, 1.0f) * 255.0f));
}

}  // namespace

Color premultiplied_color(const std::array<float, 5>& values) {
    const float intensity = values[3] / 255.0f;
    return {values[0] / 255.0f * intensity, values[1] / 255.0f * intensity, values[2] / 255.0f * intensity,
            values[4] / 255.0f * intensity};
}

uint32_t pack_color(const Color& color) {
    return to_byte(color.red) | to_byte(color.green) << 8 | to_byte(color.blue) << 16 | to_byte(color.alpha) << 24;
}

}  // namespace me
