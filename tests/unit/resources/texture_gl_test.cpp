#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "gl_test_context.h"
#include "image_test_files.h"
#include "resources/builtin_resources.h"
#include "resources/resource_list.h"
#include "resources/resource_registry.h"
#include "resources/sprite.h"
#include "resources/texture.h"

namespace me {
namespace {

using test::Bytes;

// A DXT1 block of one colour: both end points 565 red and every index 0.
constexpr std::array<uint8_t, 8> kRedDxt1Block{0x00, 0xF8, 0x00, 0x00, 0, 0, 0, 0};

// A DXT1 DDS file of the given size and levels (a cube map repeats the chain
// for six faces), filled with red blocks.
Bytes dxt1_file(uint32_t width, uint32_t height, uint32_t levels, bool cube_map) {
    Bytes file(128);
    const auto put = [&file](size_t at, uint32_t value) {
        for (size_t i = 0; i < 4; ++i)
            file[at + i] = static_cast<uint8_t>(value >> (8 * i));
    };
    std::memcpy(file.data(), "DDS ", 4);
    put(4, 124);
    put(8, 0x1 | 0x2 | 0x4 | 0x1000 | (levels > 1 ? 0x20000 : 0));
    put(12, height);
    put(16, width);
    put(28, levels > 1 ? levels : 0);
    put(76, 32);
    put(80, 0x4);
    std::memcpy(file.data() + 84, "DXT1", 4);
    put(108, 0x1000 | (levels > 1 || cube_map ? 0x8 : 0) | (levels > 1 ? 0x400000 : 0));
    put(112, cube_map ? 0x200 | 0xFC00 : 0);
    for (int face = 0; face < (cube_map ? 6 : 1); ++face) {
        for (uint32_t level = 0; level < levels; ++level) {
            const uint32_t blocks = std::max(1u, (width >> level) / 4) * std::max(1u, (height >> level) / 4);
            for (uint32_t block = 0; block < blocks; ++block)
                file.insert(file.end(), kRedDxt1Block.begin(), kRedDxt1Block.end());
        }
    }
    return file;
}

class TextureGlTest : public test::GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        m_previous_list = std::exchange(g_resource_list, &m_held);
    }

    void TearDown() override {
        m_loaded.reset();
        m_held.release_all();
        g_resource_list = m_previous_list;
        GlTest::TearDown();
    }

    void write_bytes(const std::string& path, const Bytes& bytes) {
        write_file(path, std::string(bytes.begin(), bytes.end()));
    }

    Texture* load(const std::string& name, const std::string& def) {
        evaluate("g_texture_defs[\"" + name + "\"] <- " + def + "; return null;");
        m_loaded = load_texture(name);
        return m_loaded.get();
    }

    static GLint parameter(GLenum target, GLenum name) {
        GLint value = -1;
        glGetTexParameteriv(target, name, &value);
        return value;
    }

    static GLint level_parameter(GLenum target, GLint level, GLenum name) {
        GLint value = -1;
        glGetTexLevelParameteriv(target, level, name, &value);
        return value;
    }

    // The texture's level 0 as GL gives it back in the given form.
    template <class T>
    static std::vector<T> read_back(const Texture& texture, size_t count, GLenum format, GLenum type) {
        std::vector<T> values(count);
        glBindTexture(GL_TEXTURE_2D, texture.gl_name());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, format, type, values.data());
        return values;
    }

    ResourceList m_held;

private:
    ResourceList* m_previous_list = nullptr;
    ResourceRef<Texture> m_loaded;
};

TEST_F(TextureGlTest, RgbaPicturesAreUploadedPremultipliedAndTheirPixelsLetGo) {
    const Bytes pixels = test::gradient_pixels(8, 4, 4);
    write_bytes("grad.png", test::rgba_png(8, 4, pixels));
    Texture* texture = load("grad", "{ file = \"grad.png\", mipmaps = false }");
    ASSERT_NE(texture, nullptr) << log_text();
    ASSERT_NE(texture->gl_name(), 0u);
    EXPECT_EQ(texture->pending_pixels().byte_size(), 0u) << "the GPU has the pixels now";
    const std::vector<uint8_t> uploaded = read_back<uint8_t>(*texture, pixels.size(), GL_RGBA, GL_UNSIGNED_BYTE);
    for (size_t pixel = 0; pixel < pixels.size(); pixel += 4) {
        const uint32_t factor = pixels[pixel + 3] * 65794u;
        for (size_t c = 0; c < 3; ++c)
            ASSERT_EQ(uploaded[pixel + c], static_cast<uint8_t>((pixels[pixel + c] * factor) >> 24)) << pixel;
        ASSERT_EQ(uploaded[pixel + 3], pixels[pixel + 3]) << pixel;
    }
    EXPECT_EQ(level_parameter(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH), 8);
    EXPECT_EQ(level_parameter(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT), 4);
}

TEST_F(TextureGlTest, OddRgbRowsArriveUnpaddedAndTheUnpackAlignmentIsRestored) {
    const Bytes pixels = test::gradient_pixels(3, 3, 3);
    write_bytes("odd.png", test::rgb_png(3, 3, pixels));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    Texture* texture = load("odd", "{ file = \"odd.png\", mipmaps = false }");
    ASSERT_NE(texture, nullptr) << log_text();
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 8);
    EXPECT_EQ(read_back<uint8_t>(*texture, pixels.size(), GL_RGB, GL_UNSIGNED_BYTE), pixels);
}

TEST_F(TextureGlTest, SixteenBitSettingsUploadPackedWords) {
    // 0x88 keeps its top four and five bits whether a converter rounds or cuts.
    const Bytes rgba{0xFF, 0x88, 0x00, 0xFF, 0x00, 0xFF, 0x88, 0xFF};
    write_bytes("pair.png", test::rgba_png(2, 1, rgba));
    registry.set_text("textures_format", "4444");
    Texture* texture = load("pair4444", "{ file = \"pair.png\", mipmaps = false }");
    ASSERT_NE(texture, nullptr) << log_text();
    EXPECT_EQ(texture->byte_size(), 2 * 2);
    EXPECT_EQ(read_back<uint16_t>(*texture, 2, GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4),
              (std::vector<uint16_t>{0xF80F, 0x0F8F}));

    registry.set_text("textures_format", "5551");
    texture = load("pair5551", "{ file = \"pair.png\", mipmaps = false }");
    ASSERT_NE(texture, nullptr) << log_text();
    EXPECT_EQ(read_back<uint16_t>(*texture, 2, GL_RGBA, GL_UNSIGNED_SHORT_5_5_5_1),
              (std::vector<uint16_t>{0xFC41, 0x07E3}));

    const Bytes rgb{0xFF, 0x88, 0x00, 0x00, 0xFF, 0x88};
    write_bytes("pair_rgb.png", test::rgb_png(2, 1, rgb));
    texture = load("pair565", "{ file = \"pair_rgb.png\", mipmaps = false }");
    ASSERT_NE(texture, nullptr) << log_text();
    EXPECT_EQ(read_back<uint16_t>(*texture, 2, GL_RGB, GL_UNSIGNED_SHORT_5_6_5),
              (std::vector<uint16_t>{0xFC40, 0x07F1}));
}

TEST_F(TextureGlTest, DxtLevelsAreUploadedCompressedWithTheirChain) {
    const Bytes file = dxt1_file(16, 8, 4, false);
    write_bytes("red.dds", file);
    Texture* texture = load("red", "{ file = \"red.dds\", clampuv = true }");
    ASSERT_NE(texture, nullptr) << log_text();
    glBindTexture(GL_TEXTURE_2D, texture->gl_name());
    EXPECT_EQ(level_parameter(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_COMPRESSED_RGBA_S3TC_DXT1_EXT);
    EXPECT_EQ(level_parameter(GL_TEXTURE_2D, 3, GL_TEXTURE_WIDTH), 2);
    EXPECT_EQ(level_parameter(GL_TEXTURE_2D, 3, GL_TEXTURE_HEIGHT), 1);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL), 3);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    if (GLEW_EXT_texture_filter_anisotropic) {
        GLfloat anisotropy = 0;
        glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &anisotropy);
        EXPECT_EQ(anisotropy, 8.0f);
    }

    std::vector<uint8_t> compressed(static_cast<size_t>(
        level_parameter(GL_TEXTURE_2D, 1, GL_TEXTURE_COMPRESSED_IMAGE_SIZE)));
    ASSERT_EQ(compressed.size(), 2u * 8u) << "level 1 is 8 x 4 texels: two blocks";
    glGetCompressedTexImage(GL_TEXTURE_2D, 1, compressed.data());
    EXPECT_TRUE(std::equal(compressed.begin(), compressed.end(), file.begin() + 128 + 8 * 8));
    const std::vector<uint8_t> decoded = read_back<uint8_t>(*texture, 16 * 8 * 4, GL_RGBA, GL_UNSIGNED_BYTE);
    for (size_t pixel = 0; pixel < decoded.size(); pixel += 4)
        ASSERT_EQ((std::array{decoded[pixel], decoded[pixel + 1], decoded[pixel + 2], decoded[pixel + 3]}),
                  (std::array<uint8_t, 4>{255, 0, 0, 255}))
            << pixel;
}

TEST_F(TextureGlTest, DxtCubeMapsFillAllSixFaces) {
    write_bytes("sky.dds", dxt1_file(8, 8, 1, true));
    Texture* sky = load("sky", "{ file = \"sky.dds\", cube_map = true }");
    ASSERT_NE(sky, nullptr) << log_text();
    EXPECT_TRUE(logged("warning: Cubemap sky doesn't use uv clamp!"));
    glBindTexture(GL_TEXTURE_CUBE_MAP, sky->gl_name());
    for (GLenum face = GL_TEXTURE_CUBE_MAP_POSITIVE_X; face <= GL_TEXTURE_CUBE_MAP_NEGATIVE_Z; ++face)
        EXPECT_EQ(level_parameter(face, 0, GL_TEXTURE_WIDTH), 8) << face;
    EXPECT_EQ(parameter(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R), GL_REPEAT);
    EXPECT_EQ(parameter(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER), GL_LINEAR) << "one level: no mipmaps";
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
}

TEST_F(TextureGlTest, DefsChooseWrappingAndFiltering) {
    write_bytes("px.png", test::rgba_png(2, 2, test::gradient_pixels(2, 2, 4)));
    Texture* plain = load("plain", "{ file = \"px.png\", mipmaps = false }");
    ASSERT_NE(plain, nullptr);
    glBindTexture(GL_TEXTURE_2D, plain->gl_name());
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER), GL_LINEAR);

    Texture* sharp = load("sharp", "{ file = \"px.png\", mipmaps = false, clampuv = true, filtering = \"nearest\" }");
    ASSERT_NE(sharp, nullptr);
    glBindTexture(GL_TEXTURE_2D, sharp->gl_name());
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER), GL_NEAREST);

    write_bytes("mip.dds", dxt1_file(4, 4, 3, false));
    Texture* mip = load("mip", "{ file = \"mip.dds\", filtering = \"nearest\" }");
    ASSERT_NE(mip, nullptr) << log_text();
    glBindTexture(GL_TEXTURE_2D, mip->gl_name());
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER), GL_NEAREST_MIPMAP_NEAREST);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
}

TEST_F(TextureGlTest, UploadsLeaveTheUnitsBindingAsItWas) {
    device->bind_texture(0, TextureTarget::Texture2D, device->white_texture());
    write_bytes("px.png", test::rgba_png(2, 2, test::gradient_pixels(2, 2, 4)));
    ASSERT_NE(load("px", "{ file = \"px.png\", mipmaps = false }"), nullptr);
    ASSERT_NE(load("target", "{ dynamic = true, width = 8, height = 8, format = \"rgb\" }"), nullptr);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), device->white_texture());
    EXPECT_EQ(device->bound_texture(0, TextureTarget::Texture2D), device->white_texture());
}

TEST_F(TextureGlTest, DynamicTexturesAreMadeEmptyInTheirFormat) {
    Texture* target = load("target", "{ dynamic = true, width = 64, height = 32, format = \"rgba\" }");
    ASSERT_NE(target, nullptr) << log_text();
    glBindTexture(GL_TEXTURE_2D, target->gl_name());
    EXPECT_EQ(level_parameter(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH), 64);
    EXPECT_EQ(level_parameter(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT), 32);
    EXPECT_EQ(level_parameter(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE), 8);
    Texture* light = load("light", "{ dynamic = true, width = 16, height = 16, format = \"rgba16f\" }");
    ASSERT_NE(light, nullptr) << log_text();
    glBindTexture(GL_TEXTURE_2D, light->gl_name());
    EXPECT_EQ(level_parameter(GL_TEXTURE_2D, 0, GL_TEXTURE_RED_TYPE), GL_FLOAT);
}

TEST_F(TextureGlTest, ATextureTheDriverRefusesFailsToLoad) {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    const std::string width = std::to_string(static_cast<int64_t>(largest) * 2);
    EXPECT_EQ(load("vast", "{ dynamic = true, width = " + width + ", height = 4, format = \"rgb\" }"), nullptr);
    EXPECT_TRUE(logged("error: OpenGL refused the texture (error 0x501).")) << log_text();
    EXPECT_TRUE(logged("error: Unable to load texture 'vast'."));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "the refusal is not left for others to find";
}

TEST_F(TextureGlTest, ADestroyedTextureIsUnboundEverywhereAndDeleted) {
    auto texture =
        load_texture_from_def(evaluate("return { dynamic = true, width = 4, height = 4, format = \"rgb\" };"));
    ASSERT_TRUE(texture);
    const GLuint name = texture->gl_name();
    ASSERT_NE(name, 0u);
    device->bind_texture(2, TextureTarget::Texture2D, name);
    device->bind_texture(4, TextureTarget::Texture2D, name);
    texture.reset();
    EXPECT_EQ(device->bound_texture(2, TextureTarget::Texture2D), 0u);
    EXPECT_EQ(device->bound_texture(4, TextureTarget::Texture2D), 0u);
    device->gl().select_texture_unit(2);
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    EXPECT_FALSE(glIsTexture(name));
}

TEST_F(TextureGlTest, TextureRenderTargetsDrawIntoAnUnnamedDynamicTexture) {
    std::unique_ptr<RenderTarget> target = make_texture_target(*device);
    const Texture* texture = target_texture(*target);
    ASSERT_NE(texture, nullptr) << log_text();
    EXPECT_EQ(texture->get_name(), "");
    EXPECT_EQ(texture->flags(), texture_flags::kDynamic | texture_flags::kClampUv);
    EXPECT_EQ(texture->texture_width(), RenderTarget::kTextureSize);
    EXPECT_EQ(texture->image_height(), RenderTarget::kTextureSize);
    const GLuint name = target->gl_name();
    ASSERT_EQ(name, texture->gl_name());
    glBindTexture(GL_TEXTURE_2D, name);
    EXPECT_EQ(level_parameter(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH), RenderTarget::kTextureSize);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);
    target.reset();
    EXPECT_FALSE(glIsTexture(name)) << "the texture goes with its target";
}

TEST_F(TextureGlTest, BuiltInsAreResourcesFoundByName) {
    auto white = load_texture("_white_");
    ASSERT_TRUE(white);
    EXPECT_NE(white->gl_name(), 0u);
    EXPECT_EQ(white->gl_name(), device->white_texture());
    EXPECT_FALSE(white->is_special());
    EXPECT_EQ(read_back<uint8_t>(*white.get(), 3, GL_RGB, GL_UNSIGNED_BYTE), (std::vector<uint8_t>{255, 255, 255}));
    glBindTexture(GL_TEXTURE_2D, white->gl_name());
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);

    auto none = load_texture("_null_");
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->is_special());
    EXPECT_EQ(none->gl_name(), 0u);
    EXPECT_EQ(evaluate_string("return g_sprite_defs._white_.texture;"), "_white_");
    EXPECT_EQ(evaluate_string("return g_sprite_defs._null_.texture;"), "_null_");

    // The sprites are loaded at start-up too, and the device holds all four:
    // each has a reference beyond the registry's and this test's.
    for (const char* name : {"_white_", "_null_"}) {
        auto sprite = load_sprite(name);
        ASSERT_TRUE(sprite) << name;
        EXPECT_TRUE(sprite->has_state(ResourceObject::Loaded)) << name;
        const int32_t with_device = sprite->ownership().count();
        auto texture = load_texture(name);
        const int32_t texture_with_device = texture->ownership().count();
        device->release_shared_object();
        EXPECT_EQ(sprite->ownership().count(), with_device - 1) << name;
        EXPECT_EQ(texture->ownership().count(), texture_with_device - 1) << name;
        load_builtin_resources(*device);
    }
}

}  // namespace
}  // namespace me
