#pragma once

#include <cstddef>

#include "image/image.h"

namespace me {

struct ImageDifference {
    // False when the pictures differ in size or either is 16-bit; the counts
    // are then meaningless.
    bool comparable = false;
    int largest_channel_difference = 0;
    // Pixels with a channel that differs by more than the tolerance.
    size_t differing_pixels = 0;
};

// Compares the pictures (not the power-of-two padding) of two 8-bit images
// channel by channel, RGB images counting as opaque.
ImageDifference compare_images(const Image& a, const Image& b, int tolerance);

}  // namespace me
