#include "gpu/blend_mode.h"

#include <array>

namespace me {

BlendFactors blend_factors(int mode) {
    static constexpr std::array<BlendFactors, 7> kFactors{{
        {GL_ONE, GL_ZERO},
        {GL_ONE, GL_ONE},
        {GL_SRC_ALPHA, GL_ONE},
        {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA},
        {GL_ONE, GL_ONE_MINUS_SRC_ALPHA},
        {GL_ZERO, GL_SRC_COLOR},
        {GL_DST_COLOR, GL_ONE},
    }};
    if (mode < 0 || mode >= static_cast<int>(kFactors.size()))
        return {};
    return kFactors[static_cast<size_t>(mode)];
}

}  // namespace me
