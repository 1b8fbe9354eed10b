#pragma once

#include <cstdint>

#include "core/fixed.h"

namespace me {

// A hit shake lasts this many ticks from play_hit_shake.
inline constexpr int32_t kHitShakeTicks = 12;

// The vertical offset a shaking entity is drawn with while timeout ticks are
// left: a dip of 40 units (20 for a small shake) that springs back, dips a
// quarter as far and settles, interpolated linearly between keys 4 ticks
// apart. 0 once the timeout has run out.
Fixed hit_shake_offset(int32_t timeout, bool small);

}  // namespace me
