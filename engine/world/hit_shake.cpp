#include "world/hit_shake.h"

#include <array>

namespace me {

namespace {

constexpr int32_t kTicksPerKey = 4;
constexpr std::array<Fixed, 4> kFullKeys{-40 * FIXED_ONE, 0, -10 * FIXED_ONE, 0};
constexpr std::array<Fixed, 4> kSmallKeys{-20 * FIXED_ONE, 0, -5 * FIXED_ONE, 0};

}  // namespace

Fixed hit_shake_offset(int32_t timeout, bool small) {
    if (timeout <= 0 || timeout > kHitShakeTicks)
        return 0;
    const std::array<Fixed, 4>& keys = small ? kSmallKeys : kFullKeys;
    const int32_t elapsed = kHitShakeTicks - timeout;
    const int32_t segment = elapsed / kTicksPerKey;
    const Fixed fraction = (elapsed % kTicksPerKey) * (FIXED_ONE / kTicksPerKey);
    return fixed_lerp(keys[static_cast<size_t>(segment)], keys[static_cast<size_t>(segment) + 1], fraction);
}

}  // namespace me
