#pragma once

#include <vector>

#include "image/image.h"
#include "image/image_result.h"

namespace me {

// A frame cut from a texture, in picture pixels.
struct FrameRect {
    float x = 0, y = 0, width = 0, height = 0;
    float pivot_x = 0, pivot_y = 0;
    friend bool operator==(const FrameRect&, const FrameRect&) = default;
};

struct FramePivot {
    float x = 0, y = 0;
};

// Frames of frame_width × frame_height in row-major order, as many whole ones
// as fit. Both sizes ≤ 0 is refused ("Invalid frame size."); only one of them
// ≤ 0 yields no frames.
ImageResult<std::vector<FrameRect>> frames_of_size(int image_width, int image_height, int frame_width,
                                                   int frame_height, FramePivot pivot);

// The picture cut into columns × rows equal frames (counts floored), row-major;
// no frames unless both are positive. More columns than pixels across or more
// rows than pixels down is refused ("Invalid grid size.").
ImageResult<std::vector<FrameRect>> frames_of_grid(int image_width, int image_height, double columns,
                                                   double rows, FramePivot pivot);

// Frames separated by lines of colour (255, 0, 255), scanned row by row from
// the top-left corner. Fatal for 16-bit images, as it reads their pixels.
std::vector<FrameRect> extract_separated_frames(const Image& image);

}  // namespace me
