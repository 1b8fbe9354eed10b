#pragma once

namespace me {

enum class DynamicTextureFormat { Rgb, Rgba, Rgba16f, Luminance16 };

// The size and format of a dynamic texture as its def gives them.
struct DynamicTextureSize {
    int width = 0;
    int height = 0;
    int image_width = 0;
    int image_height = 0;
    DynamicTextureFormat format = DynamicTextureFormat::Rgba;
    int bytes_per_texel = 0;
};

}  // namespace me
