#include "image/image_compare.h"

#include <algorithm>
#include <cstdlib>

namespace me {

namespace {

int largest_difference(Rgba a, Rgba b) {
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b), std::abs(a.a - b.a)});
}

}  // namespace

ImageDifference compare_images(const Image& a, const Image& b, int tolerance) {
    ImageDifference difference;
    if (a.width() != b.width() || a.height() != b.height() || is_16_bit(a.type()) || is_16_bit(b.type()))
        return difference;
    difference.comparable = true;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const int channel_difference = largest_difference(a.get_pixel(x, y), b.get_pixel(x, y));
            difference.largest_channel_difference = std::max(difference.largest_channel_difference, channel_difference);
            if (channel_difference > tolerance) ++difference.differing_pixels;
        }
    }
    return difference;
}

}  // namespace me
