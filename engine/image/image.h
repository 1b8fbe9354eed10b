#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace me {

enum class PixelType : int { Rgb8 = 0, Rgba8 = 1, Rgb565 = 2, Rgba4444 = 3, Rgba5551 = 4 };

int bytes_per_pixel(PixelType type);
bool is_16_bit(PixelType type);

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 0;
    friend bool operator==(const Rgba&, const Rgba&) = default;
};

// Decoded pixels, top row first, bytes in R, G, B(, A) order or one native
// 16-bit word per pixel. width × height is the picture; row width × row count
// is the block, which is larger once the picture has been extended to powers
// of two.
class Image {
public:
    // The largest picture side the engine decodes; larger files are refused
    // before any pixel memory is reserved for them.
    static constexpr int kMaxSide = 2048;

    Image() = default;
    Image(int width, int height, PixelType type);

    int width() const { return m_width; }
    int height() const { return m_height; }
    int row_width() const { return m_row_width; }
    int row_count() const { return m_row_count; }
    PixelType type() const { return m_type; }
    size_t row_bytes() const;

    uint8_t* pixels() { return m_pixels.data(); }
    const uint8_t* pixels() const { return m_pixels.data(); }
    size_t byte_size() const { return m_pixels.size(); }
    uint8_t* row(int y) { return m_pixels.data() + static_cast<size_t>(y) * row_bytes(); }
    const uint8_t* row(int y) const { return m_pixels.data() + static_cast<size_t>(y) * row_bytes(); }

    // Grows the block to the next powers of two, repeating the last row and
    // the last pixel of each row into the new space. Fatal for 16-bit images.
    void extend_to_power_of_two();

    // The pixel at (x, y) of the block as RGBA (alpha 255 for RGB); (0, 0, 0, 0)
    // outside the block. Fatal for 16-bit images.
    Rgba get_pixel(int x, int y) const;
    // The packed word at (x, y) of a 16-bit image; 0 outside the block or for
    // 8-bit images.
    uint16_t get_pixel_word(int x, int y) const;

    // Replaces the block by one of the same dimensions in another pixel type;
    // false (and nothing changed) when the byte count does not fit them.
    bool replace_pixels(PixelType type, std::vector<uint8_t> pixels);

private:
    bool contains(int x, int y) const;

    int m_width = 0;
    int m_height = 0;
    int m_row_width = 0;
    int m_row_count = 0;
    PixelType m_type = PixelType::Rgb8;
    std::vector<uint8_t> m_pixels;
};

int next_power_of_two(int value);

}  // namespace me
