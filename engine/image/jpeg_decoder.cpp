#include "image/jpeg_decoder.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <csetjmp>
#include <cstring>
#include <utility>

#include "core/log_format.h"

namespace me {

namespace {

struct JpegHeader {
    uint32_t width = 0;
    uint32_t height = 0;
    int components = 0;
};

struct JpegPixels {
    uint8_t* data;
    size_t row_bytes;
    uint32_t rows;
};

struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    int warnings;
};

void leave_jpeg(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1); }

void count_jpeg_warning(j_common_ptr info, int level) {
    if (level < 0) ++reinterpret_cast<JpegErrors*>(info->err)->warnings;
}

void ignore_jpeg_message(j_common_ptr) {}

// A progressive file may repeat scans without end, each costing a pass over
// the picture; real files have a few dozen at most.
constexpr int kMaxScans = 500;

void limit_scans(j_common_ptr info) {
    if (!info->is_decompressor) return;
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) info->err->error_exit(info);
}

void read_scanlines(jpeg_decompress_struct* info, const JpegPixels* pixels) {
    jpeg_start_decompress(info);
    while (info->output_scanline < info->output_height && info->output_scanline < pixels->rows) {
        JSAMPROW row = pixels->data + static_cast<size_t>(info->output_scanline) * pixels->row_bytes;
        jpeg_read_scanlines(info, &row, 1);
    }
    jpeg_finish_decompress(info);
}

// The only code that libjpeg may leave with longjmp: it owns nothing but plain
// records, so no destructor is skipped. Without pixels it stops after the
// header. False when the stream is unreadable or damaged.
bool run_jpeg_reader(std::span<const uint8_t> file, JpegHeader* header, const JpegPixels* pixels) {
    jpeg_decompress_struct info;
    std::memset(&info, 0, sizeof info);
    JpegErrors errors;
    jpeg_progress_mgr progress{};
    progress.progress_monitor = limit_scans;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = leave_jpeg;
    errors.manager.emit_message = count_jpeg_warning;
    errors.manager.output_message = ignore_jpeg_message;
    errors.warnings = 0;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    info.progress = &progress;
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_calc_output_dimensions(&info);
    header->width = info.output_width;
    header->height = info.output_height;
    header->components = info.output_components;
    bool decoded = true;
    if (pixels != nullptr) {
        decoded = header->components == 3 && header->height <= pixels->rows &&
                  static_cast<size_t>(header->width) * 3 <= pixels->row_bytes;
        if (decoded) read_scanlines(&info, pixels);
    }
    jpeg_destroy_decompress(&info);
    return decoded && errors.warnings == 0;
}

bool within_size_limit(const JpegHeader& header) {
    return header.width <= static_cast<uint32_t>(Image::kMaxSide) &&
           header.height <= static_cast<uint32_t>(Image::kMaxSide);
}

}  // namespace

ImageResult<Image> decode_jpeg(std::span<const uint8_t> file) {
    constexpr const char* kReadError = "Error reading JPEG file.";
    JpegHeader header;
    if (!run_jpeg_reader(file, &header, nullptr)) return ImageResult<Image>::failure(kReadError);
    if (header.components != 3) return ImageResult<Image>::failure("Invalid JPEG output components.");
    if (!within_size_limit(header))
        return ImageResult<Image>::failure(
            format_message("Invalid or unsupported texture size %1x%2.", header.width, header.height));
    Image image(static_cast<int>(header.width), static_cast<int>(header.height), PixelType::Rgb8);
    const JpegPixels pixels{image.pixels(), image.row_bytes(), static_cast<uint32_t>(image.row_count())};
    if (!run_jpeg_reader(file, &header, &pixels)) return ImageResult<Image>::failure(kReadError);
    return ImageResult<Image>::success(std::move(image));
}

}  // namespace me
