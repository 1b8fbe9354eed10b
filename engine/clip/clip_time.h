#pragma once

#include <cstdint>

namespace me::clip {

// Clip time counts clip ticks of 1/100000 s, so one game tick of 1/60 s is
// 1666 clip ticks and clips played by game ticks stay integer-exact.
inline constexpr int32_t kClipTicksPerSecond = 100000;
inline constexpr int32_t kClipTicksPerMillisecond = 100;
inline constexpr int32_t kClipTicksPerMinute = 6000000;
inline constexpr int32_t kClipTicksPerHour = 360000000;
inline constexpr int32_t kClipTicksPerGameTick = 1666;

// The code a controller is updated with: a positive value is the count of
// ticks just advanced, the negative ones say why else it runs.
enum ClipUpdateCode : int32_t {
    kClipAttach = -1,
    kClipLoop = -2,
    kClipJump = -3,
    kClipRefresh = -4,
};

}  // namespace me::clip
