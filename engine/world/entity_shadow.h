#pragma once

#include <cstdint>

#include "core/fixed.h"

namespace me {

// How much a shadow shrinks with the height of its caster above the ground:
// 1 on the ground, half at 400 units, and never below 0.1 (720 units and up).
// A caster that keeps its shadow's size gets 1 at any height.
float shadow_scale(Fixed z, Fixed ground, bool keep_size);

// Where a shadow sorts among the depth layer: the band of the caster's
// drawn ground y, at the ground's height, as renderable type 2.
int32_t shadow_depth_key(Fixed anchored_y, Fixed ground);

}  // namespace me
