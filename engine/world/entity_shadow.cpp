#include "world/entity_shadow.h"

#include <algorithm>

#include "world/room_draw_list.h"

namespace me {

namespace {

constexpr float kShrinkPerUnit = 0.00125f;
constexpr float kSmallestShadow = 0.1f;

}  // namespace

float shadow_scale(Fixed z, Fixed ground, bool keep_size) {
    if (keep_size)
        return 1.0f;
    const float height = fixed_to_float(fixed_sub(z, ground));
    return std::max(1.0f - height * kShrinkPerUnit, kSmallestShadow);
}

int32_t shadow_depth_key(Fixed anchored_y, Fixed ground) {
    return depth_key(kDepthDrawLayer, anchored_y, ground, kShadowRenderableType);
}

}  // namespace me
