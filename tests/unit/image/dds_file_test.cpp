#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "image/dds_file.h"

namespace me {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kRequiredFlags = 0x1 | 0x2 | 0x4 | 0x1000;
constexpr uint32_t kMipmapCountFlag = 0x20000;
constexpr uint32_t kLinearSizeFlag = 0x80000;
constexpr uint32_t kComplex = 0x8;
constexpr uint32_t kTexture = 0x1000;
constexpr uint32_t kMipmap = 0x400000;
constexpr uint32_t kCubeMap = 0x200;
constexpr uint32_t kAllFaces = 0xFC00;

struct DdsHeaderFields {
    char magic[5] = "DDS ";
    uint32_t size = 124;
    uint32_t flags = kRequiredFlags;
    uint32_t height = 8;
    uint32_t width = 8;
    uint32_t linear_size = 0;
    uint32_t mipmap_count = 0;
    uint32_t format_size = 32;
    uint32_t format_flags = 0x4;
    char four_cc[5] = "DXT1";
    uint32_t caps = kTexture;
    uint32_t caps2 = 0;
};

void put(Bytes& file, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) file[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

Bytes dds_file(const DdsHeaderFields& fields, size_t data_bytes) {
    Bytes file(kDdsHeaderSize + data_bytes);
    std::memcpy(file.data(), fields.magic, 4);
    put(file, 4, fields.size);
    put(file, 8, fields.flags);
    put(file, 12, fields.height);
    put(file, 16, fields.width);
    put(file, 20, fields.linear_size);
    put(file, 28, fields.mipmap_count);
    put(file, 76, fields.format_size);
    put(file, 80, fields.format_flags);
    std::memcpy(file.data() + 84, fields.four_cc, 4);
    put(file, 108, fields.caps);
    put(file, 112, fields.caps2);
    for (size_t i = kDdsHeaderSize; i < file.size(); ++i) file[i] = static_cast<uint8_t>(i * 31);
    return file;
}

DdsHeaderFields mipmapped(uint32_t width, uint32_t height, uint32_t levels) {
    DdsHeaderFields fields;
    fields.width = width;
    fields.height = height;
    fields.flags |= kMipmapCountFlag;
    fields.mipmap_count = levels;
    fields.caps |= kComplex | kMipmap;
    return fields;
}

std::string error_of(const DdsHeaderFields& fields, size_t data_bytes = 4096) {
    auto parsed = parse_dds(dds_file(fields, data_bytes));
    return parsed ? std::string("accepted") : parsed.error();
}

TEST(DdsFile, SingleDxt1LevelLiesRightAfterTheHeader) {
    auto parsed = parse_dds(dds_file({}, 32));
    ASSERT_TRUE(parsed) << parsed.error();
    const DdsTexture& texture = parsed.value();
    EXPECT_EQ(texture.width, 8u);
    EXPECT_EQ(texture.height, 8u);
    EXPECT_EQ(texture.format, DdsFormat::Dxt1);
    EXPECT_FALSE(texture.cube_map);
    EXPECT_EQ(texture.level_count, 1);
    ASSERT_EQ(texture.surfaces.size(), 1u);
    EXPECT_EQ(texture.surfaces[0].offset, kDdsHeaderSize);
    EXPECT_EQ(texture.surfaces[0].size, 32u);
}

TEST(DdsFile, LevelSizesRoundUpToWholeBlocks) {
    EXPECT_EQ(dds_level_size(DdsFormat::Dxt1, 1, 1), 8u);
    EXPECT_EQ(dds_level_size(DdsFormat::Dxt1, 5, 4), 16u);
    EXPECT_EQ(dds_level_size(DdsFormat::Dxt3, 4, 9), 48u);
    EXPECT_EQ(dds_level_size(DdsFormat::Dxt5, 256, 128), 64u * 32u * 16u);
    EXPECT_EQ(dds_level_size(DdsFormat::Dxt5, 0xFFFFFFFF, 0xFFFFFFFF), UINT64_MAX);
}

TEST(DdsFile, MipmapChainHalvesEachLevelDownToOne) {
    DdsHeaderFields fields = mipmapped(16, 4, 5);
    std::memcpy(fields.four_cc, "DXT5", 4);
    const size_t data = 64 + 32 + 16 + 16 + 16;
    auto parsed = parse_dds(dds_file(fields, data));
    ASSERT_TRUE(parsed) << parsed.error();
    const DdsTexture& texture = parsed.value();
    EXPECT_EQ(texture.level_count, 5);
    ASSERT_EQ(texture.surfaces.size(), 5u);
    const uint32_t widths[] = {16, 8, 4, 2, 1};
    const uint32_t heights[] = {4, 2, 1, 1, 1};
    size_t offset = kDdsHeaderSize;
    for (int level = 0; level < 5; ++level) {
        const DdsSurface& surface = texture.surfaces[static_cast<size_t>(level)];
        EXPECT_EQ(surface.level, level);
        EXPECT_EQ(surface.width, widths[level]);
        EXPECT_EQ(surface.height, heights[level]);
        EXPECT_EQ(surface.offset, offset);
        EXPECT_EQ(surface.size, dds_level_size(DdsFormat::Dxt5, widths[level], heights[level]));
        offset += surface.size;
    }
    EXPECT_EQ(offset, kDdsHeaderSize + data);
}

TEST(DdsFile, CubeMapHasSixFacesOfFullChainsInFileOrder) {
    DdsHeaderFields fields = mipmapped(8, 8, 4);
    std::memcpy(fields.four_cc, "DXT5", 4);
    fields.caps2 = kCubeMap | kAllFaces;
    const size_t face_bytes = 64 + 16 + 16 + 16;
    auto parsed = parse_dds(dds_file(fields, 6 * face_bytes));
    ASSERT_TRUE(parsed) << parsed.error();
    const DdsTexture& texture = parsed.value();
    EXPECT_TRUE(texture.cube_map);
    EXPECT_EQ(texture.format, DdsFormat::Dxt5);
    ASSERT_EQ(texture.surfaces.size(), 24u);
    for (int face = 0; face < 6; ++face) {
        const DdsSurface& first = texture.surfaces[static_cast<size_t>(face) * 4];
        EXPECT_EQ(first.face, face);
        EXPECT_EQ(first.level, 0);
        EXPECT_EQ(first.offset, kDdsHeaderSize + static_cast<size_t>(face) * face_bytes);
    }
    EXPECT_EQ(error_of(fields, 6 * face_bytes - 1), "DDS: Invalid file size, mipmaps out of the file.");
}

TEST(DdsFile, TargetKindMustMatchTheDef) {
    DdsHeaderFields cube;
    cube.caps |= kComplex;
    cube.caps2 = kCubeMap | kAllFaces;
    const DdsTexture cube_texture = parse_dds(dds_file(cube, 6 * 32)).value();
    const DdsTexture flat_texture = parse_dds(dds_file({}, 32)).value();
    EXPECT_EQ(dds_target_mismatch(cube_texture, true), "");
    EXPECT_EQ(dds_target_mismatch(flat_texture, false), "");
    EXPECT_EQ(dds_target_mismatch(flat_texture, true), "DDS texture is not cube map, but cube map texture expected.");
    EXPECT_EQ(dds_target_mismatch(cube_texture, false), "DDS texture is cube map, but normal 2D texture expected.");
}

TEST(DdsFile, FormatsMapToTheCompressedGlFormats) {
    EXPECT_EQ(dds_gl_internal_format(DdsFormat::Dxt1), 0x83F1u);
    EXPECT_EQ(dds_gl_internal_format(DdsFormat::Dxt3), 0x83F2u);
    EXPECT_EQ(dds_gl_internal_format(DdsFormat::Dxt5), 0x83F3u);
    DdsHeaderFields dxt3;
    std::memcpy(dxt3.four_cc, "DXT3", 4);
    EXPECT_EQ(parse_dds(dds_file(dxt3, 64)).value().format, DdsFormat::Dxt3);
}

TEST(DdsFile, ShortFileAndWrongMagic) {
    const Bytes file = dds_file({}, 32);
    EXPECT_EQ(parse_dds(std::span(file.data(), 127)).error(), "DDS: File size is too small.");
    EXPECT_EQ(parse_dds({}).error(), "DDS: File size is too small.");
    DdsHeaderFields fields;
    std::memcpy(fields.magic, "DDS_", 4);
    EXPECT_EQ(error_of(fields), "DDS: Invalid magic in header.");
}

TEST(DdsFile, EachHeaderFieldTheLayoutNeeds) {
    const std::string invalid = "DDS: Invalid header.";
    DdsHeaderFields fields;
    fields.size = 128;
    EXPECT_EQ(error_of(fields), invalid);
    fields = {};
    fields.format_size = 0;
    EXPECT_EQ(error_of(fields), invalid);
    for (uint32_t flag : {0x1u, 0x2u, 0x4u, 0x1000u}) {
        fields = {};
        fields.flags &= ~flag;
        EXPECT_EQ(error_of(fields), invalid) << "flag " << flag;
    }
    fields = {};
    fields.width = 0;
    EXPECT_EQ(error_of(fields), invalid);
    fields = {};
    fields.height = 0;
    EXPECT_EQ(error_of(fields), invalid);
    fields = {};
    fields.caps = kComplex;
    EXPECT_EQ(error_of(fields), invalid);
}

TEST(DdsFile, CubeMapBitsNeedAComplexSurfaceWithAllFaces) {
    DdsHeaderFields fields;
    fields.caps2 = kCubeMap | kAllFaces;
    EXPECT_EQ(error_of(fields), "DDS: Contains cubemap but not marked as complex surface.");
    fields.caps |= kComplex;
    fields.caps2 = kCubeMap | (kAllFaces & ~0x2000u);
    EXPECT_EQ(error_of(fields), "DDS: Partial cubemaps are not supported, all six faces must be defined.");
    fields.caps2 = kAllFaces;
    EXPECT_EQ(error_of(fields), "DDS: Partial cubemaps are not supported, all six faces must be defined.");
}

TEST(DdsFile, MipmapCountAndCapsMustAgree) {
    DdsHeaderFields fields = mipmapped(8, 8, 0);
    EXPECT_EQ(error_of(fields), "DDS: Invalid mipmap count.");
    fields = mipmapped(8, 8, 2);
    fields.caps &= ~kComplex;
    EXPECT_EQ(error_of(fields), "DDS: Mipmapped surface is not marked as complex surface.");
    fields = mipmapped(8, 8, 2);
    fields.caps &= ~kMipmap;
    EXPECT_EQ(error_of(fields), "DDS: Surface with mipmaps is not marked as mipmapped surface.");
    fields = {};
    fields.mipmap_count = 3;
    EXPECT_EQ(error_of(fields), "DDS: Invalid mipmap count for surface without mipmaps.");
    fields = {};
    fields.caps |= kMipmap;
    EXPECT_EQ(error_of(fields), "DDS: Surface without mipmaps is marked as mipmapped surface.");
}

TEST(DdsFile, OnlyDxtFourCCFormats) {
    DdsHeaderFields fields;
    fields.format_flags = 0x40;  // uncompressed RGB
    EXPECT_EQ(error_of(fields), "DDS: Unsupported DDS format. Only compressed formats for now.");
    fields = {};
    std::memcpy(fields.four_cc, "DXT2", 4);
    EXPECT_EQ(error_of(fields), "DDS: Unsupported DDS compressed format. Only DXT1, DXT3 and DXT5 are supported.");
    std::memcpy(fields.four_cc, "ATI2", 4);
    EXPECT_EQ(error_of(fields), "DDS: Unsupported DDS compressed format. Only DXT1, DXT3 and DXT5 are supported.");
}

TEST(DdsFile, GivenLinearSizeMustBeTheFirstLevelSize) {
    DdsHeaderFields fields;
    fields.flags |= kLinearSizeFlag;
    fields.linear_size = 32;
    EXPECT_EQ(error_of(fields, 32), "accepted");
    fields.linear_size = 64;
    EXPECT_EQ(error_of(fields, 64), "DDS: Invalid zero level mipmap size.");
    fields.flags &= ~kLinearSizeFlag;
    EXPECT_EQ(error_of(fields, 32), "accepted");
}

TEST(DdsFile, SizesThatDisagreeWithTheFile) {
    EXPECT_EQ(error_of({}, 31), "DDS: Invalid file size, mipmaps out of the file.");
    EXPECT_EQ(error_of(mipmapped(8, 8, 4), 32 + 8 + 8 + 7), "DDS: Invalid file size, mipmaps out of the file.");
    DdsHeaderFields huge;
    huge.width = 0xFFFFFFFF;
    huge.height = 0xFFFFFFFF;
    EXPECT_EQ(error_of(huge, 64), "DDS: Invalid file size, mipmaps out of the file.");
    // Extra bytes after the last level are left alone.
    EXPECT_EQ(error_of({}, 1000), "accepted");
}

TEST(DdsFile, ChainLongerThanTheLevelsDownToOnePixel) {
    EXPECT_EQ(error_of(mipmapped(4, 4, 3), 8 * 3), "accepted");
    EXPECT_EQ(error_of(mipmapped(4, 4, 4), 8 * 4), "DDS: Contains two or more 1x1 mipmaps.");
    EXPECT_EQ(error_of(mipmapped(1, 1, 0xFFFFFFFF), 4096), "DDS: Contains two or more 1x1 mipmaps.");
}

TEST(DdsFile, EveryTruncationFailsCleanly) {
    const size_t data = 32 + 8 + 8 + 8;
    const Bytes file = dds_file(mipmapped(8, 8, 4), data);
    for (size_t length = 0; length < file.size(); ++length) {
        auto parsed = parse_dds(std::span(file.data(), length));
        ASSERT_FALSE(parsed) << "length " << length;
        const std::string expected = length < kDdsHeaderSize ? "DDS: File size is too small."
                                                             : "DDS: Invalid file size, mipmaps out of the file.";
        EXPECT_EQ(parsed.error(), expected) << "length " << length;
    }
}

}  // namespace
}  // namespace me
