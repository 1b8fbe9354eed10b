#include "image/image.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "core/fatal_error.h"
#include "core/log.h"

namespace me {

namespace {

[[noreturn]] void refuse_16_bit(const char* message) {
    log_error(message);
    fatal_error(message);
}

}  // namespace

int bytes_per_pixel(PixelType type) {
    switch (type) {
        case PixelType::Rgb8: return 3;
        case PixelType::Rgba8: return 4;
        case PixelType::Rgb565:
        case PixelType::Rgba4444:
        case PixelType::Rgba5551: return 2;
    }
    return 0;
}

bool is_16_bit(PixelType type) { return bytes_per_pixel(type) == 2; }

int next_power_of_two(int value) {
    int power = 1;
    while (power < value && power <= (1 << 29)) power <<= 1;
    return power;
}

Image::Image(int width, int height, PixelType type)
    : m_width(std::max(width, 0)),
      m_height(std::max(height, 0)),
      m_row_width(m_width),
      m_row_count(m_height),
      m_type(type),
      m_pixels(static_cast<size_t>(m_width) * static_cast<size_t>(m_height) *
               static_cast<size_t>(bytes_per_pixel(type))) {}

size_t Image::row_bytes() const {
    return static_cast<size_t>(m_row_width) * static_cast<size_t>(bytes_per_pixel(m_type));
}

void Image::extend_to_power_of_two() {
    if (is_16_bit(m_type)) refuse_16_bit("Image::extend_to_power_of_two() not supported for 16bpp.");
    const int new_width = next_power_of_two(m_row_width);
    const int new_count = next_power_of_two(m_row_count);
    const bool grows = new_width > m_row_width || new_count > m_row_count;
    const bool representable = new_width >= m_row_width && new_count >= m_row_count;
    if (!grows || !representable || m_row_width == 0 || m_row_count == 0) return;

    const size_t pixel_bytes = static_cast<size_t>(bytes_per_pixel(m_type));
    const size_t old_row_bytes = row_bytes();
    const size_t new_row_bytes = static_cast<size_t>(new_width) * pixel_bytes;
    std::vector<uint8_t> grown(new_row_bytes * static_cast<size_t>(new_count));
    for (int y = 0; y < new_count; ++y) {
        const uint8_t* source = row(std::min(y, m_row_count - 1));
        uint8_t* target = grown.data() + static_cast<size_t>(y) * new_row_bytes;
        std::memcpy(target, source, old_row_bytes);
        const uint8_t* last_pixel = source + old_row_bytes - pixel_bytes;
        for (size_t at = old_row_bytes; at < new_row_bytes; at += pixel_bytes)
            std::memcpy(target + at, last_pixel, pixel_bytes);
    }
    m_pixels = std::move(grown);
    m_row_width = new_width;
    m_row_count = new_count;
}

bool Image::contains(int x, int y) const {
    return x >= 0 && y >= 0 && x < m_row_width && y < m_row_count;
}

Rgba Image::get_pixel(int x, int y) const {
    if (is_16_bit(m_type)) refuse_16_bit("Image::get_pixel() not supported for 16bpp.");
    if (!contains(x, y)) return {};
    const uint8_t* pixel = row(y) + static_cast<size_t>(x) * static_cast<size_t>(bytes_per_pixel(m_type));
    return {pixel[0], pixel[1], pixel[2], m_type == PixelType::Rgba8 ? pixel[3] : uint8_t{255}};
}

uint16_t Image::get_pixel_word(int x, int y) const {
    if (!is_16_bit(m_type) || !contains(x, y)) return 0;
    uint16_t word = 0;
    std::memcpy(&word, row(y) + static_cast<size_t>(x) * 2, sizeof word);
    return word;
}

bool Image::replace_pixels(PixelType type, std::vector<uint8_t> pixels) {
    const size_t expected = static_cast<size_t>(m_row_width) * static_cast<size_t>(m_row_count) *
                            static_cast<size_t>(bytes_per_pixel(type));
    if (pixels.size() != expected) return false;
    m_type = type;
    m_pixels = std::move(pixels);
    return true;
}

}  // namespace me
