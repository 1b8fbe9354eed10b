#include "scene/emitter2d.h"

namespace me {

const ClassRecord Emitter2D::kClassRecord{"Emitter2D", &Emitter::kClassRecord};

std::array<float, 2> Emitter2D::spawn_point(const Emitter2DArea& area, float origin_x, float origin_y) {
    const float x = (own_random().next_float(0.0f, 1.0f) - 0.5f) * area.size[0] + area.center[0];
    const float y = (own_random().next_float(0.0f, 1.0f) - 0.5f) * area.size[1] + area.center[1];
    return {origin_x + x, origin_y + y};
}

}  // namespace me
