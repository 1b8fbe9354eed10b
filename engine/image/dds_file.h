#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "image/image_result.h"

namespace me {

enum class DdsFormat { Dxt1, Dxt3, Dxt5 };

// One compressed image of the file: a mipmap level of one face.
struct DdsSurface {
    int face = 0;
    int level = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    size_t offset = 0;  // from the start of the file
    size_t size = 0;
};

// A DXT-compressed DDS file checked against its own header: the surfaces lie
// inside the file, face by face and level by level, ready to be uploaded in
// that order.
struct DdsTexture {
    uint32_t width = 0;
    uint32_t height = 0;
    DdsFormat format = DdsFormat::Dxt1;
    bool cube_map = false;
    int level_count = 0;
    std::vector<DdsSurface> surfaces;
};

inline constexpr size_t kDdsHeaderSize = 128;

ImageResult<DdsTexture> parse_dds(std::span<const uint8_t> file);

// Empty when the texture's kind matches what the def asked for, else why not.
std::string dds_target_mismatch(const DdsTexture& texture, bool cube_map_expected);

// The compressed internal format the upload hands to GL
// (GL_COMPRESSED_RGBA_S3TC_DXT1/3/5_EXT).
uint32_t dds_gl_internal_format(DdsFormat format);

// Bytes of one compressed level of the given size.
uint64_t dds_level_size(DdsFormat format, uint32_t width, uint32_t height);

}  // namespace me
