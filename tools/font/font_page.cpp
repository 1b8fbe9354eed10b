#include "font/font_page.h"

#include <png.h>

namespace me::font_tool {

namespace {

constexpr int kChannels = 4;
constexpr uint8_t kWhite = 255;

}  // namespace

std::vector<uint8_t> compose_page(const std::vector<RenderedGlyph>& glyphs, PageSize page) {
    const size_t row_bytes = static_cast<size_t>(page.width) * kChannels;
    std::vector<uint8_t> rgba(row_bytes * static_cast<size_t>(page.height), kWhite);
    for (size_t i = 3; i < rgba.size(); i += kChannels)
        rgba[i] = 0;
    for (const RenderedGlyph& glyph : glyphs) {
        for (int y = 0; y < glyph.height; ++y) {
            for (int x = 0; x < glyph.width; ++x) {
                const size_t pixel = static_cast<size_t>(glyph.y + y) * row_bytes +
                                     static_cast<size_t>(glyph.x + x) * kChannels;
                rgba[pixel + 3] = glyph.coverage[static_cast<size_t>(y) * glyph.width + x];
            }
        }
    }
    return rgba;
}

bool write_page_png(const std::string& path, const std::vector<uint8_t>& rgba, PageSize page, std::string& error) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(page.width);
    image.height = static_cast<png_uint_32>(page.height);
    image.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr)) {
        error = "cannot write '" + path + "': " + image.message;
        png_image_free(&image);
        return false;
    }
    return true;
}

}  // namespace me::font_tool
