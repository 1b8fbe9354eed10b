#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "image/frame_finder.h"
#include "image/image.h"
#include "image/image_result.h"
#include "image/pixel_format_setting.h"

namespace me {

struct FrameSize {
    int width = 0, height = 0;
};

struct GridSize {
    double columns = 0, rows = 0;
};

// What a texture def asks of an image file, once read from the def.
struct ImageTextureOptions {
    bool mipmaps = true;
    bool premultiply_alpha = true;
    bool mask_color = false;
    bool extract_frames = false;
    TextureBits bits = TextureBits::Full32;
    std::optional<FrameSize> frame_size;
    std::optional<GridSize> grid_size;
    FramePivot frame_pivot;
};

// Everything of an image texture that does not need GL: the pixels in the form
// they are uploaded in (texture size = their row width × row count) and the
// frames cut from the picture, in the order they are created.
struct ImageTextureSource {
    int image_width = 0;
    int image_height = 0;
    Image pixels;
    std::vector<FrameRect> frames;
};

// Decodes a PNG or JPEG texture file and prepares it for upload. Pictures are
// decoded into an 8-bit image first when mipmaps, mask colour or frame
// extraction ask for it, and then extended to powers of two; otherwise PNGs
// go straight into the upload format. Mipmaps are refused for image files
// ("Mipmaps not supported yet!"), after the frames have been checked.
ImageResult<ImageTextureSource> prepare_image_texture(std::string_view file_name, std::span<const uint8_t> file,
                                                      const ImageTextureOptions& options);

}  // namespace me
