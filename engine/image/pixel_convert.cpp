#include "image/pixel_convert.h"

#include <cstring>
#include <utility>
#include <vector>

namespace me {

namespace {

uint8_t premultiplied(uint8_t channel, uint32_t factor) {
    return static_cast<uint8_t>((channel * factor) >> 24);
}

uint16_t pack_pixel(const uint8_t* pixel, bool has_alpha, PixelType packed, bool premultiply) {
    uint8_t r = pixel[0], g = pixel[1], b = pixel[2];
    const uint8_t a = has_alpha ? pixel[3] : uint8_t{255};
    if (has_alpha && premultiply) {
        const uint32_t factor = a * 65794u;
        r = premultiplied(r, factor);
        g = premultiplied(g, factor);
        b = premultiplied(b, factor);
    }
    switch (packed) {
        case PixelType::Rgba4444: return pack_4444(r, g, b, a);
        case PixelType::Rgba5551: return pack_5551(r, g, b, a);
        default: return pack_565(r, g, b);
    }
}

}  // namespace

void premultiply_rgba8(std::span<uint8_t> rgba) {
    for (size_t at = 0; at + 4 <= rgba.size(); at += 4) {
        // 65794 / 2^24 is 1/255 to within the rounding the renderer expects.
        const uint32_t factor = rgba[at + 3] * 65794u;
        for (size_t channel = 0; channel < 3; ++channel)
            rgba[at + channel] = premultiplied(rgba[at + channel], factor);
    }
}

uint16_t pack_565(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

uint16_t pack_4444(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    return static_cast<uint16_t>(((r >> 4) << 12) | ((g >> 4) << 8) | ((b >> 4) << 4) | (a >> 4));
}

uint16_t pack_5551(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    return static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 3) << 6) | ((b >> 3) << 1) | (a >> 7));
}

PixelType packed_type_for(bool has_alpha, TextureBits bits) {
    if (!has_alpha) return PixelType::Rgb565;
    return bits == TextureBits::Packed16OneBitAlpha ? PixelType::Rgba5551 : PixelType::Rgba4444;
}

void pack_row(const uint8_t* source, size_t count, bool has_alpha, PixelType packed, bool premultiply,
              uint8_t* target) {
    const size_t stride = has_alpha ? 4 : 3;
    for (size_t i = 0; i < count; ++i) {
        const uint16_t word = pack_pixel(source + i * stride, has_alpha, packed, premultiply);
        std::memcpy(target + i * 2, &word, sizeof word);
    }
}

bool premultiply_image(Image& image) {
    if (is_16_bit(image.type())) return false;
    if (image.type() == PixelType::Rgba8) premultiply_rgba8({image.pixels(), image.byte_size()});
    return true;
}

bool pack_image_to_16_bits(Image& image, TextureBits bits, bool premultiply) {
    if (is_16_bit(image.type())) return false;
    const bool has_alpha = image.type() == PixelType::Rgba8;
    const PixelType packed = packed_type_for(has_alpha, bits);
    const size_t count = static_cast<size_t>(image.row_width()) * static_cast<size_t>(image.row_count());
    std::vector<uint8_t> words(count * 2);
    pack_row(image.pixels(), count, has_alpha, packed, premultiply, words.data());
    return image.replace_pixels(packed, std::move(words));
}

bool is_mask_color(Rgba pixel) { return pixel.r == 255 && pixel.g == 0 && pixel.b == 255; }

bool apply_mask_color(Image& image) {
    if (is_16_bit(image.type())) return false;
    const bool has_alpha = image.type() == PixelType::Rgba8;
    const size_t stride = has_alpha ? 4 : 3;
    const size_t count = static_cast<size_t>(image.row_width()) * static_cast<size_t>(image.row_count());
    std::vector<uint8_t> rgba(count * 4);
    const uint8_t* source = image.pixels();
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* pixel = source + i * stride;
        uint8_t* target = rgba.data() + i * 4;
        if (is_mask_color({pixel[0], pixel[1], pixel[2], 0})) continue;
        std::memcpy(target, pixel, 3);
        target[3] = has_alpha ? pixel[3] : uint8_t{255};
    }
    return image.replace_pixels(PixelType::Rgba8, std::move(rgba));
}

}  // namespace me
