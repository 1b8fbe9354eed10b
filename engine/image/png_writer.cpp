#include "image/png_writer.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "core/log.h"
#include "core/log_format.h"
#include "image/png_callbacks.h"

namespace me {

namespace {

// Grown with realloc inside the writer so that running out of memory becomes
// a libpng error instead of an exception thrown through C frames.
struct PngOutput {
    uint8_t* data = nullptr;
    size_t size = 0;
    size_t capacity = 0;
};

struct PngWriteRequest {
    const PngLayout* layout;
    int color_type;
    const png_color* palette;
    int palette_entries;
    png_bytep* rows;
};

void append_png_bytes(png_structp png, png_bytep bytes, size_t length) {
    auto* output = static_cast<PngOutput*>(png_get_io_ptr(png));
    if (length > output->capacity - output->size) {
        const size_t capacity = std::max({output->capacity * 2, output->size + length, size_t{4096}});
        auto* grown = static_cast<uint8_t*>(std::realloc(output->data, capacity));
        if (grown == nullptr) png_error(png, "out of memory");
        output->data = grown;
        output->capacity = capacity;
    }
    std::memcpy(output->data + output->size, bytes, length);
    output->size += length;
}

void flush_nothing(png_structp) {}

void describe_file(png_structp png, png_infop info, const PngWriteRequest* request) {
    const PngLayout& layout = *request->layout;
    png_set_IHDR(png, info, layout.width, layout.height, layout.bit_depth, request->color_type,
                 layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (request->palette_entries > 0) png_set_PLTE(png, info, request->palette, request->palette_entries);
    if (!layout.transparency.empty())
        png_set_tRNS(png, info, layout.transparency.data(), static_cast<int>(layout.transparency.size()), nullptr);
}

// The only code that libpng may leave with longjmp: it owns nothing but plain
// pointers, so no destructor is skipped.
bool run_png_writer(const PngWriteRequest* request, PngOutput* output) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, leave_png_on_error, ignore_png_warning);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, output, append_png_bytes, flush_nothing);
    describe_file(png, info, request);
    png_write_info(png, info);
    png_write_image(png, request->rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

int channels_of(PngColor color) {
    switch (color) {
        case PngColor::Grey:
        case PngColor::Palette: return 1;
        case PngColor::GreyAlpha: return 2;
        case PngColor::Rgb: return 3;
        case PngColor::Rgba: return 4;
    }
    return 0;
}

int color_type_of(PngColor color) {
    switch (color) {
        case PngColor::Grey: return PNG_COLOR_TYPE_GRAY;
        case PngColor::GreyAlpha: return PNG_COLOR_TYPE_GRAY_ALPHA;
        case PngColor::Palette: return PNG_COLOR_TYPE_PALETTE;
        case PngColor::Rgb: return PNG_COLOR_TYPE_RGB;
        case PngColor::Rgba: return PNG_COLOR_TYPE_RGB_ALPHA;
    }
    return PNG_COLOR_TYPE_RGB_ALPHA;
}

bool depth_allowed(PngColor color, int depth) {
    if (color == PngColor::Grey) return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    if (color == PngColor::Palette) return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    return depth == 8 || depth == 16;
}

bool palette_allowed(const PngLayout& layout) {
    const size_t entries = layout.palette.size() / 3;
    if (layout.color != PngColor::Palette) return layout.palette.empty() && layout.transparency.empty();
    return layout.palette.size() % 3 == 0 && entries >= 1 && entries <= (size_t{1} << layout.bit_depth) &&
           layout.transparency.size() <= entries;
}

// Keeps rows within what a 32-bit size computation of libpng can hold.
constexpr uint32_t kMaxWriteSide = 1u << 20;

bool layout_allowed(const PngLayout& layout) {
    return layout.width >= 1 && layout.height >= 1 && layout.width <= kMaxWriteSide &&
           layout.height <= kMaxWriteSide && depth_allowed(layout.color, layout.bit_depth) && palette_allowed(layout);
}

std::vector<png_color> palette_colors(const PngLayout& layout) {
    std::vector<png_color> colors(layout.palette.size() / 3);
    for (size_t i = 0; i < colors.size(); ++i)
        colors[i] = {layout.palette[i * 3], layout.palette[i * 3 + 1], layout.palette[i * 3 + 2]};
    return colors;
}

using OutputBuffer = std::unique_ptr<uint8_t, decltype(&std::free)>;

}  // namespace

size_t png_row_bytes(const PngLayout& layout) {
    const uint64_t bits = uint64_t{layout.width} * static_cast<uint64_t>(channels_of(layout.color)) *
                          static_cast<uint64_t>(std::max(layout.bit_depth, 0));
    return static_cast<size_t>((bits + 7) / 8);
}

ImageResult<std::vector<uint8_t>> encode_png(const PngLayout& layout, std::span<const uint8_t> rows) {
    using Result = ImageResult<std::vector<uint8_t>>;
    if (!layout_allowed(layout)) return Result::failure("Invalid PNG layout.");
    const size_t row_bytes = png_row_bytes(layout);
    if (rows.size() != row_bytes * layout.height) return Result::failure("PNG rows do not match the layout.");

    std::vector<png_bytep> row_pointers(layout.height);
    for (uint32_t y = 0; y < layout.height; ++y)
        row_pointers[y] = const_cast<png_bytep>(rows.data() + static_cast<size_t>(y) * row_bytes);
    const std::vector<png_color> colors = palette_colors(layout);
    const PngWriteRequest request{&layout, color_type_of(layout.color), colors.data(),
                                  static_cast<int>(colors.size()), row_pointers.data()};
    PngOutput output;
    const bool written = run_png_writer(&request, &output);
    const OutputBuffer owned(output.data, &std::free);
    if (!written) return Result::failure("Error writing PNG file.");
    return Result::success(std::vector<uint8_t>(output.data, output.data + output.size));
}

bool write_png(const std::string& path, int width, int height, std::span<const uint8_t> rgba) {
    PngLayout layout;
    layout.width = static_cast<uint32_t>(std::max(width, 0));
    layout.height = static_cast<uint32_t>(std::max(height, 0));
    auto encoded = encode_png(layout, rgba);
    if (!encoded) {
        log_error(format_message("Can't write '%1': %2", path, encoded.error()));
        return false;
    }
    std::unique_ptr<FILE, decltype(&std::fclose)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    const std::vector<uint8_t>& bytes = encoded.value();
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() ||
        std::fflush(file.get()) != 0) {
        log_error(format_message("Can't write '%1'.", path));
        return false;
    }
    return true;
}

}  // namespace me
