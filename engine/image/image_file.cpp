#include "image/image_file.h"

#include <utility>

#include "core/log_format.h"
#include "image/jpeg_decoder.h"
#include "image/png_decoder.h"

namespace me {

ImageFileKind image_file_kind(std::string_view file_name) {
    if (file_name.ends_with("png")) return ImageFileKind::Png;
    if (file_name.ends_with("jpg") || file_name.ends_with("jpeg")) return ImageFileKind::Jpeg;
    return ImageFileKind::Unknown;
}

bool is_dds_file_name(std::string_view file_name) { return file_name.ends_with(".dds"); }

ImageResult<Image> decode_image_file(std::string_view file_name, std::span<const uint8_t> file) {
    ImageResult<Image> decoded = ImageResult<Image>::failure(
        format_message("Can't determine image format from file '%1'.", file_name));
    switch (image_file_kind(file_name)) {
        case ImageFileKind::Png: decoded = decode_png(file); break;
        case ImageFileKind::Jpeg: decoded = decode_jpeg(file); break;
        case ImageFileKind::Unknown: break;
    }
    if (decoded) decoded.value().extend_to_power_of_two();
    return decoded;
}

}  // namespace me
