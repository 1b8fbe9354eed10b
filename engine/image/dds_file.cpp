#include "image/dds_file.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace me {

namespace {

constexpr uint32_t kFlagCaps = 0x1;
constexpr uint32_t kFlagHeight = 0x2;
constexpr uint32_t kFlagWidth = 0x4;
constexpr uint32_t kFlagPixelFormat = 0x1000;
constexpr uint32_t kFlagMipmapCount = 0x20000;
constexpr uint32_t kFlagLinearSize = 0x80000;
constexpr uint32_t kRequiredFlags = kFlagCaps | kFlagHeight | kFlagWidth | kFlagPixelFormat;

constexpr uint32_t kCapsComplex = 0x8;
constexpr uint32_t kCapsTexture = 0x1000;
constexpr uint32_t kCapsMipmap = 0x400000;

constexpr uint32_t kCubeMap = 0x200;
constexpr uint32_t kAllCubeFaces = 0xFC00;

constexpr uint32_t kPixelFormatFourCC = 0x4;

// Field offsets of the 128-byte header, magic included.
struct HeaderOffsets {
    static constexpr size_t size = 4, flags = 8, height = 12, width = 16, linear_size = 20, mipmap_count = 28,
                            format_size = 76, format_flags = 80, four_cc = 84, caps = 108, caps2 = 112;
};

struct DdsHeader {
    uint32_t size, flags, height, width, linear_size, mipmap_count;
    uint32_t format_size, format_flags, four_cc, caps, caps2;
};

uint32_t read_u32(std::span<const uint8_t> file, size_t offset) {
    const uint8_t* at = file.data() + offset;
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
           static_cast<uint32_t>(at[3]) << 24;
}

constexpr uint32_t four_cc(const char (&code)[5]) {
    return static_cast<uint32_t>(static_cast<uint8_t>(code[0])) |
           static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(code[3])) << 24;
}

DdsHeader read_header(std::span<const uint8_t> file) {
    using O = HeaderOffsets;
    return {read_u32(file, O::size),         read_u32(file, O::flags),        read_u32(file, O::height),
            read_u32(file, O::width),        read_u32(file, O::linear_size),  read_u32(file, O::mipmap_count),
            read_u32(file, O::format_size),  read_u32(file, O::format_flags), read_u32(file, O::four_cc),
            read_u32(file, O::caps),         read_u32(file, O::caps2)};
}

bool has(uint32_t bits, uint32_t wanted) { return (bits & wanted) == wanted; }

const char* layout_problem(const DdsHeader& header) {
    const bool valid = header.size == 124 && header.format_size == 32 && has(header.flags, kRequiredFlags) &&
                       header.width > 0 && header.height > 0 && has(header.caps, kCapsTexture);
    if (!valid) return "DDS: Invalid header.";
    if ((header.caps2 & (kCubeMap | kAllCubeFaces)) != 0) {
        if (!has(header.caps, kCapsComplex)) return "DDS: Contains cubemap but not marked as complex surface.";
        if (!has(header.caps2, kCubeMap | kAllCubeFaces))
            return "DDS: Partial cubemaps are not supported, all six faces must be defined.";
    }
    return nullptr;
}

const char* mipmap_problem(const DdsHeader& header) {
    if (has(header.flags, kFlagMipmapCount)) {
        if (header.mipmap_count == 0) return "DDS: Invalid mipmap count.";
        if (!has(header.caps, kCapsComplex)) return "DDS: Mipmapped surface is not marked as complex surface.";
        if (!has(header.caps, kCapsMipmap)) return "DDS: Surface with mipmaps is not marked as mipmapped surface.";
        return nullptr;
    }
    if (header.mipmap_count != 0) return "DDS: Invalid mipmap count for surface without mipmaps.";
    if (has(header.caps, kCapsMipmap)) return "DDS: Surface without mipmaps is marked as mipmapped surface.";
    return nullptr;
}

ImageResult<DdsFormat> read_format(const DdsHeader& header) {
    if (!has(header.format_flags, kPixelFormatFourCC))
        return ImageResult<DdsFormat>::failure("DDS: Unsupported DDS format. Only compressed formats for now.");
    if (header.four_cc == four_cc("DXT1")) return ImageResult<DdsFormat>::success(DdsFormat::Dxt1);
    if (header.four_cc == four_cc("DXT3")) return ImageResult<DdsFormat>::success(DdsFormat::Dxt3);
    if (header.four_cc == four_cc("DXT5")) return ImageResult<DdsFormat>::success(DdsFormat::Dxt5);
    return ImageResult<DdsFormat>::failure(
        "DDS: Unsupported DDS compressed format. Only DXT1, DXT3 and DXT5 are supported.");
}

// Lays the levels of every face out after the header; the message on failure.
const char* lay_out_surfaces(DdsTexture& texture, size_t file_size) {
    const int faces = texture.cube_map ? 6 : 1;
    size_t offset = kDdsHeaderSize;
    for (int face = 0; face < faces; ++face) {
        uint32_t width = texture.width;
        uint32_t height = texture.height;
        for (int level = 0; level < texture.level_count; ++level) {
            const uint64_t size = dds_level_size(texture.format, width, height);
            if (size > file_size - offset) return "DDS: Invalid file size, mipmaps out of the file.";
            if (width == 1 && height == 1 && level + 1 < texture.level_count)
                return "DDS: Contains two or more 1x1 mipmaps.";
            texture.surfaces.push_back({face, level, width, height, offset, static_cast<size_t>(size)});
            offset += static_cast<size_t>(size);
            width = std::max<uint32_t>(width / 2, 1);
            height = std::max<uint32_t>(height / 2, 1);
        }
    }
    return nullptr;
}

}  // namespace

uint64_t dds_level_size(DdsFormat format, uint32_t width, uint32_t height) {
    const uint64_t block_bytes = format == DdsFormat::Dxt1 ? 8 : 16;
    const uint64_t blocks_wide = std::max<uint64_t>((uint64_t{width} + 3) / 4, 1);
    const uint64_t blocks_high = std::max<uint64_t>((uint64_t{height} + 3) / 4, 1);
    const uint64_t blocks = blocks_wide * blocks_high;
    if (blocks > std::numeric_limits<uint64_t>::max() / block_bytes) return std::numeric_limits<uint64_t>::max();
    return blocks * block_bytes;
}

ImageResult<DdsTexture> parse_dds(std::span<const uint8_t> file) {
    using Result = ImageResult<DdsTexture>;
    if (file.size() < kDdsHeaderSize) return Result::failure("DDS: File size is too small.");
    if (std::memcmp(file.data(), "DDS ", 4) != 0) return Result::failure("DDS: Invalid magic in header.");
    const DdsHeader header = read_header(file);
    if (const char* problem = layout_problem(header)) return Result::failure(problem);
    if (const char* problem = mipmap_problem(header)) return Result::failure(problem);
    auto format = read_format(header);
    if (!format) return Result::failure(format.error());

    DdsTexture texture;
    texture.width = header.width;
    texture.height = header.height;
    texture.format = format.value();
    texture.cube_map = (header.caps2 & kCubeMap) != 0;
    // No chain is longer than 33 levels before it reaches 1 x 1, so the cap
    // changes no outcome; it only keeps the count an int.
    texture.level_count =
        has(header.flags, kFlagMipmapCount) ? static_cast<int>(std::min<uint32_t>(header.mipmap_count, 64)) : 1;
    if (has(header.flags, kFlagLinearSize) &&
        header.linear_size != dds_level_size(texture.format, texture.width, texture.height))
        return Result::failure("DDS: Invalid zero level mipmap size.");
    if (const char* problem = lay_out_surfaces(texture, file.size())) return Result::failure(problem);
    return Result::success(std::move(texture));
}

std::string dds_target_mismatch(const DdsTexture& texture, bool cube_map_expected) {
    if (cube_map_expected && !texture.cube_map) return "DDS texture is not cube map, but cube map texture expected.";
    if (!cube_map_expected && texture.cube_map) return "DDS texture is cube map, but normal 2D texture expected.";
    return {};
}

uint32_t dds_gl_internal_format(DdsFormat format) {
    switch (format) {
        case DdsFormat::Dxt1: return 0x83F1;
        case DdsFormat::Dxt3: return 0x83F2;
        case DdsFormat::Dxt5: return 0x83F3;
    }
    return 0;
}

}  // namespace me
