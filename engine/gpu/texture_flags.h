#pragma once

#include <cstdint>

namespace me {

namespace texture_flags {
constexpr uint32_t kMipmaps = 0x1;
constexpr uint32_t kClampUv = 0x2;
constexpr uint32_t kPremultiplyAlpha = 0x4;
constexpr uint32_t kMaskColor = 0x8;
constexpr uint32_t kExtractFrames = 0x10;
constexpr uint32_t kDynamic = 0x20;
constexpr uint32_t kSpecial = 0x40;
constexpr uint32_t kScale2x = 0x80;
constexpr uint32_t kCubeMap = 0x100;
constexpr uint32_t kNearestFiltering = 0x1000;
}  // namespace texture_flags

}  // namespace me
