#include "image/png_decoder.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <string>
#include <vector>

#include "core/log_format.h"
#include "image/pixel_convert.h"
#include "image/png_callbacks.h"

namespace me {

namespace {

enum class PngStatus { Ok, NoReader, NoInfo, ReadError };

struct PngHeader {
    uint32_t width = 0;
    uint32_t height = 0;
    int bit_depth = 0;
    int color_type = 0;
    int channels = 0;
    int interlace = 0;
    size_t row_bytes = 0;
};

struct PngInput {
    const uint8_t* data;
    size_t size;
    size_t position;
};

// Receives each decoded row; must neither throw nor allocate, as it runs
// inside the region that libpng may leave with longjmp.
using PngRowSink = void (*)(void* context, const uint8_t* row, uint32_t y);

struct PngRowTarget {
    uint8_t* row_buffer;
    size_t row_buffer_size;
    PngRowSink sink;
    void* context;
};

void read_png_bytes(png_structp png, png_bytep out, size_t length) {
    auto* input = static_cast<PngInput*>(png_get_io_ptr(png));
    if (length > input->size - input->position) png_error(png, "file ends early");
    std::memcpy(out, input->data + input->position, length);
    input->position += length;
}

void request_expansions(png_structp png, png_infop info) {
    const int color_type = png_get_color_type(png, info);
    const int bit_depth = png_get_bit_depth(png, info);
    const bool grey = (color_type & PNG_COLOR_MASK_COLOR) == 0;
    if (color_type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (grey && bit_depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (bit_depth == 16) png_set_strip_16(png);
    if (grey) png_set_gray_to_rgb(png);
}

void describe(png_structp png, png_infop info, PngHeader* header) {
    header->width = png_get_image_width(png, info);
    header->height = png_get_image_height(png, info);
    header->bit_depth = png_get_bit_depth(png, info);
    header->color_type = png_get_color_type(png, info);
    header->channels = png_get_channels(png, info);
    header->interlace = png_get_interlace_type(png, info);
    header->row_bytes = png_get_rowbytes(png, info);
}

// The only code that libpng may leave with longjmp: it owns nothing but plain
// pointers, so no destructor is skipped. Without a row target it stops after
// the header.
PngStatus run_png_reader(std::span<const uint8_t> file, PngHeader* header, const PngRowTarget* rows) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, leave_png_on_error, ignore_png_warning);
    if (png == nullptr) return PngStatus::NoReader;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return PngStatus::NoInfo;
    }
    PngInput input{file.data(), file.size(), 0};
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return PngStatus::ReadError;
    }
    png_set_read_fn(png, &input, read_png_bytes);
    png_read_info(png, info);
    request_expansions(png, info);
    png_read_update_info(png, info);
    describe(png, info, header);
    if (rows != nullptr) {
        if (header->row_bytes > rows->row_buffer_size) png_error(png, "row larger than its buffer");
        for (uint32_t y = 0; y < header->height; ++y) {
            png_read_row(png, rows->row_buffer, nullptr);
            rows->sink(rows->context, rows->row_buffer, y);
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return PngStatus::Ok;
}

const char* status_message(PngStatus status) {
    switch (status) {
        case PngStatus::NoReader: return "Can't initialize PNG reader.";
        case PngStatus::NoInfo: return "Can't initialize PNG info structure.";
        case PngStatus::ReadError: return "Error reading PNG file.";
        case PngStatus::Ok: break;
    }
    return "";
}

// Empty when the expanded header is one this decoder can store.
std::string header_problem(const PngHeader& header) {
    if (header.bit_depth != 8) return "Invalid PNG bit depth.";
    const bool rgb = header.color_type == PNG_COLOR_TYPE_RGB && header.channels == 3;
    const bool rgba = header.color_type == PNG_COLOR_TYPE_RGB_ALPHA && header.channels == 4;
    if (!rgb && !rgba) return "Invalid PNG color type.";
    if (header.interlace != PNG_INTERLACE_NONE) return "Interlaced PNG not supported.";
    if (header.row_bytes != static_cast<size_t>(header.width) * static_cast<size_t>(header.channels))
        return "Invalid PNG bytes per row.";
    return {};
}

bool within_size_limit(const PngHeader& header) {
    return header.width <= static_cast<uint32_t>(Image::kMaxSide) &&
           header.height <= static_cast<uint32_t>(Image::kMaxSide);
}

std::string size_message(const PngHeader& header) {
    return format_message("Invalid or unsupported texture size %1x%2.", header.width, header.height);
}

ImageResult<PngHeader> read_header(std::span<const uint8_t> file) {
    PngHeader header;
    const PngStatus status = run_png_reader(file, &header, nullptr);
    if (status != PngStatus::Ok) return ImageResult<PngHeader>::failure(status_message(status));
    std::string problem = header_problem(header);
    if (!problem.empty()) return ImageResult<PngHeader>::failure(std::move(problem));
    return ImageResult<PngHeader>::success(header);
}

struct CopyRows {
    Image* image;
};

void copy_row(void* context, const uint8_t* row, uint32_t y) {
    Image& image = *static_cast<CopyRows*>(context)->image;
    if (y >= static_cast<uint32_t>(image.row_count())) return;
    std::memcpy(image.row(static_cast<int>(y)), row, image.row_bytes());
}

struct PackRows {
    Image* image;
    bool has_alpha;
    bool premultiply;
};

void pack_rows(void* context, const uint8_t* row, uint32_t y) {
    const auto& target = *static_cast<PackRows*>(context);
    if (y >= static_cast<uint32_t>(target.image->row_count())) return;
    pack_row(row, static_cast<size_t>(target.image->row_width()), target.has_alpha, target.image->type(),
             target.premultiply, target.image->row(static_cast<int>(y)));
}

// Decodes the rows into the sink's image; empty on success, else the message.
std::string read_rows(std::span<const uint8_t> file, PngRowSink sink, void* context) {
    std::vector<uint8_t> row_buffer(static_cast<size_t>(Image::kMaxSide) * 4);
    const PngRowTarget rows{row_buffer.data(), row_buffer.size(), sink, context};
    PngHeader header;
    return status_message(run_png_reader(file, &header, &rows));
}

}  // namespace

ImageResult<Image> decode_png(std::span<const uint8_t> file) {
    auto header = read_header(file);
    if (!header) return ImageResult<Image>::failure(header.error());
    if (!within_size_limit(header.value())) return ImageResult<Image>::failure(size_message(header.value()));
    const PixelType type = header.value().channels == 4 ? PixelType::Rgba8 : PixelType::Rgb8;
    Image image(static_cast<int>(header.value().width), static_cast<int>(header.value().height), type);
    CopyRows target{&image};
    std::string problem = read_rows(file, copy_row, &target);
    if (!problem.empty()) return ImageResult<Image>::failure(std::move(problem));
    return ImageResult<Image>::success(std::move(image));
}

ImageResult<Image> decode_png_packed(std::span<const uint8_t> file, TextureBits bits, bool premultiply) {
    auto header = read_header(file);
    if (!header) return ImageResult<Image>::failure(header.error());
    if (header.value().width > static_cast<uint32_t>(Image::kMaxSide))
        return ImageResult<Image>::failure("Can't process PNG wider than 2048.");
    if (!within_size_limit(header.value())) return ImageResult<Image>::failure(size_message(header.value()));
    const bool has_alpha = header.value().channels == 4;
    Image image(static_cast<int>(header.value().width), static_cast<int>(header.value().height),
                packed_type_for(has_alpha, bits));
    PackRows target{&image, has_alpha, premultiply};
    std::string problem = read_rows(file, pack_rows, &target);
    if (!problem.empty()) return ImageResult<Image>::failure(std::move(problem));
    return ImageResult<Image>::success(std::move(image));
}

}  // namespace me
