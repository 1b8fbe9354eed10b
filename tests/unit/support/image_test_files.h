#pragma once

// Small image files made in memory for the image tests: PNGs through the
// engine's writer, JPEGs through libjpeg, DDS headers by hand.

#include <jpeglib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "image/png_writer.h"

namespace me::test {

using Bytes = std::vector<uint8_t>;

// A picture whose every pixel differs from its neighbours, so that flipped or
// shifted rows show.
inline Bytes gradient_pixels(uint32_t width, uint32_t height, int channels) {
    Bytes pixels(static_cast<size_t>(width) * height * static_cast<size_t>(channels));
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                pixels[(static_cast<size_t>(y) * width + x) * static_cast<size_t>(channels) + static_cast<size_t>(c)] =
                    static_cast<uint8_t>(x * 7 + y * 13 + static_cast<uint32_t>(c) * 50);
    return pixels;
}

inline Bytes png_file(const PngLayout& layout, std::span<const uint8_t> rows) {
    auto encoded = encode_png(layout, rows);
    return encoded ? encoded.value() : Bytes{};
}

inline Bytes rgba_png(uint32_t width, uint32_t height, std::span<const uint8_t> rgba) {
    PngLayout layout;
    layout.width = width;
    layout.height = height;
    return png_file(layout, rgba);
}

inline Bytes rgb_png(uint32_t width, uint32_t height, std::span<const uint8_t> rgb) {
    PngLayout layout;
    layout.width = width;
    layout.height = height;
    layout.color = PngColor::Rgb;
    return png_file(layout, rgb);
}

// Smooth pictures survive JPEG at full quality within a few levels.
inline Bytes smooth_rgb(uint32_t width, uint32_t height) {
    Bytes pixels(static_cast<size_t>(width) * height * 3);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t* pixel = &pixels[(static_cast<size_t>(y) * width + x) * 3];
            pixel[0] = static_cast<uint8_t>(x * 255 / (width > 1 ? width - 1 : 1));
            pixel[1] = static_cast<uint8_t>(y * 255 / (height > 1 ? height - 1 : 1));
            pixel[2] = 128;
        }
    return pixels;
}

// Encodes 8-bit samples (3 per pixel for RGB, 1 for grey) at the given quality.
inline Bytes jpeg_file(uint32_t width, uint32_t height, std::span<const uint8_t> samples, bool grey, int quality = 100,
                       bool progressive = false) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = grey ? 1 : 3;
    info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    const size_t row_bytes = static_cast<size_t>(width) * (grey ? 1 : 3);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(samples.data() + info.next_scanline * row_bytes);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes file(buffer, buffer + size);
    std::free(buffer);
    return file;
}

}  // namespace me::test
