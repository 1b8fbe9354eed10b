#include "image/image_texture_source.h"

#include <string>
#include <utility>

#include "image/image_file.h"
#include "image/jpeg_decoder.h"
#include "image/pixel_convert.h"
#include "image/png_decoder.h"

namespace me {

namespace {

using Source = ImageTextureSource;

bool needs_cpu_image(const ImageTextureOptions& options) {
    return options.mipmaps || options.mask_color || options.extract_frames;
}

// The straight path: JPEGs are still extended, as GL gets them as they come;
// PNGs keep their size and are packed row by row when 16 bits are asked for.
ImageResult<Image> decode_for_upload(std::string_view file_name, std::span<const uint8_t> file,
                                     const ImageTextureOptions& options) {
    if (image_file_kind(file_name) != ImageFileKind::Png) return decode_image_file(file_name, file);
    if (options.bits == TextureBits::Full32) return decode_png(file);
    return decode_png_packed(file, options.bits, options.premultiply_alpha);
}

void append(std::vector<FrameRect>& frames, const std::vector<FrameRect>& more) {
    frames.insert(frames.end(), more.begin(), more.end());
}

// Empty on success, else the message.
std::string cut_frames(const Image& image, const ImageTextureOptions& options, std::vector<FrameRect>& frames) {
    if (options.frame_size) {
        auto cut = frames_of_size(image.width(), image.height(), options.frame_size->width,
                                  options.frame_size->height, options.frame_pivot);
        if (!cut) return cut.error();
        append(frames, cut.value());
    }
    if (options.grid_size) {
        auto cut = frames_of_grid(image.width(), image.height(), options.grid_size->columns, options.grid_size->rows,
                                  options.frame_pivot);
        if (!cut) return cut.error();
        append(frames, cut.value());
    }
    if (options.extract_frames) append(frames, extract_separated_frames(image));
    return {};
}

void convert_for_upload(Image& image, const ImageTextureOptions& options) {
    if (is_16_bit(image.type())) return;
    if (options.bits != TextureBits::Full32)
        pack_image_to_16_bits(image, options.bits, options.premultiply_alpha);
    else if (options.premultiply_alpha)
        premultiply_image(image);
}

}  // namespace

ImageResult<Source> prepare_image_texture(std::string_view file_name, std::span<const uint8_t> file,
                                          const ImageTextureOptions& options) {
    ImageResult<Image> decoded = needs_cpu_image(options) ? decode_image_file(file_name, file)
                                                          : decode_for_upload(file_name, file, options);
    if (!decoded) return ImageResult<Source>::failure(decoded.error());
    Source source;
    source.pixels = std::move(decoded.value());
    source.image_width = source.pixels.width();
    source.image_height = source.pixels.height();
    std::string problem = cut_frames(source.pixels, options, source.frames);
    if (!problem.empty()) return ImageResult<Source>::failure(std::move(problem));
    if (options.mask_color) apply_mask_color(source.pixels);
    if (options.mipmaps) return ImageResult<Source>::failure("Mipmaps not supported yet!");
    convert_for_upload(source.pixels, options);
    return ImageResult<Source>::success(std::move(source));
}

}  // namespace me
