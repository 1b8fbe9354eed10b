#include <gtest/gtest.h>

#include <string>

#include "binding_test_vm.h"
#include "gpu/texture_flags.h"
#include "image_test_files.h"
#include "resources/resource_list.h"
#include "resources/resource_registry.h"
#include "resources/texture.h"

namespace me {
namespace {

class TextureResourceTest : public test::BindingTest {
protected:
    void SetUp() override {
        BindingTest::SetUp();
        m_previous_list = g_resource_list;
        g_resource_list = &m_held;
    }

    // Resources hold script objects, so they go before the VM does.
    void TearDown() override {
        m_loaded.reset();
        m_held.release_all();
        BindingTest::TearDown();
        g_resource_list = m_previous_list;
    }

    void write_png(const std::string& path, uint32_t width, uint32_t height) {
        const test::Bytes pixels = test::gradient_pixels(width, height, 4);
        const test::Bytes file = test::rgba_png(width, height, pixels);
        write_file(path, std::string(file.begin(), file.end()));
    }

    // Defines name in g_texture_defs from the table literal and loads it.
    Texture* load(const std::string& name, const std::string& def) {
        evaluate("g_texture_defs[\"" + name + "\"] <- " + def + "; return null;");
        m_loaded = load_resource(resource_types::texture, name);
        return static_cast<Texture*>(m_loaded.get());
    }

    ResourceList m_held;

private:
    ResourceList* m_previous_list = nullptr;
    ResourceRef<ResourceObject> m_loaded;
};

TEST_F(TextureResourceTest, ImageFilesRefuseTheDefaultMipmaps) {
    write_png("stone.png", 8, 8);
    EXPECT_EQ(load("stone.png", "{}"), nullptr);
    const std::string text = log_text();
    const size_t refused = text.find("Mipmaps not supported yet!\n");
    const size_t unable = text.find("Unable to load texture 'stone.png'.\n");
    const size_t failed = text.find("Texture 'stone.png' failed to load.\n");
    const size_t lookup = text.find("Can't load texture 'stone.png'.\n");
    ASSERT_NE(lookup, std::string::npos);
    EXPECT_LT(refused, unable);
    EXPECT_LT(unable, failed);
    EXPECT_LT(failed, lookup);

    Texture* texture = load("stone", "{ file = \"stone.png\", mipmaps = false }");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->image_width(), 8);
    EXPECT_EQ(texture->texture_width(), 8);
    EXPECT_FLOAT_EQ(texture->texel_scale_u(), 1.0f / 8);
    EXPECT_EQ(texture->byte_size(), 8 * 8 * 4);
    EXPECT_EQ(texture->flags(), texture_flags::kPremultiplyAlpha);
}

TEST_F(TextureResourceTest, PicturesDecodedForFramesAreExtendedToPowersOfTwo) {
    write_png("wide.png", 300, 200);
    Texture* texture = load("wide", "{ file = \"wide.png\", mipmaps = false, mask_color = true,"
                                    "frame_size = [100, 100], frame_pivot = [50, 25] }");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->image_width(), 300);
    EXPECT_EQ(texture->image_height(), 200);
    EXPECT_EQ(texture->texture_width(), 512);
    EXPECT_EQ(texture->texture_height(), 256);
    EXPECT_FLOAT_EQ(texture->texel_scale_u(), 1.0f / 512);
    EXPECT_FLOAT_EQ(texture->texel_scale_v(), 1.0f / 256);
    ASSERT_EQ(texture->frames().size(), 6u);
    EXPECT_EQ(texture->frames()[4], (FrameRect{100, 100, 100, 100, 50, 25}));
}

TEST_F(TextureResourceTest, FrameKeysCutFramesOrRefuse) {
    write_png("tiles.png", 64, 48);
    Texture* texture = load("tiles", "{ file = \"tiles.png\", mipmaps = false, frame_size = [16, 16] }");
    ASSERT_NE(texture, nullptr);
    ASSERT_EQ(texture->frames().size(), 12u);
    EXPECT_EQ(texture->frames()[5].x, 16);
    EXPECT_EQ(texture->frames()[5].y, 16);

    EXPECT_EQ(load("none", "{ file = \"tiles.png\", mipmaps = false, frame_size = [0, 0] }"), nullptr);
    EXPECT_TRUE(logged("Invalid frame size."));

    texture = load("old", "{ file = \"tiles.png\", mipmaps = false, frame_width = 32, frame_height = 24,"
                          "frames = [] }");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->frames().size(), 4u);
    EXPECT_TRUE(logged("Please replace frame_width and frame_height by frame_size in texture def!"));
    EXPECT_TRUE(logged("'frames' is not supported any more in texture def! Use frame_size=[w,h] or grid_size=[x,y]."));

    texture = load("grid", "{ file = \"tiles.png\", mipmaps = false, grid_size = [4.9, 2] }");
    ASSERT_NE(texture, nullptr);
    ASSERT_EQ(texture->frames().size(), 8u);
    EXPECT_EQ(texture->frames()[7], (FrameRect{48, 24, 16, 24, 0, 0}));
}

TEST_F(TextureResourceTest, FileNamesAndFilteringAreCheckedExactly) {
    write_png("UPPER.PNG", 4, 4);
    EXPECT_EQ(load("UPPER.PNG", "{ mipmaps = false }"), nullptr);
    EXPECT_TRUE(logged("Can't determine image format from file 'UPPER.PNG'."));
    EXPECT_EQ(load("missing", "{ file = \"missing.png\", mipmaps = false }"), nullptr);
    EXPECT_TRUE(logged("Unable to load texture 'missing'."));

    write_png("soft.png", 4, 4);
    EXPECT_EQ(load("blurred", "{ file = \"soft.png\", mipmaps = false, filtering = \"bilinear\" }"), nullptr);
    EXPECT_TRUE(logged("Invalid bilinear filtering."));
    EXPECT_TRUE(logged("Texture 'blurred' failed to load."));
    EXPECT_EQ(load("cube", "{ file = \"soft.png\", mipmaps = false, cube_map = true }"), nullptr);
    EXPECT_TRUE(logged("Cube maps from images not supported yet."));

    Texture* sharp = load("sharp", "{ file = \"soft.png\", mipmaps = false, filtering = \"nearest\","
                                   "clampuv = 1, scale2x = true, premultiply_alpha = false }");
    ASSERT_NE(sharp, nullptr);
    EXPECT_EQ(sharp->flags(), texture_flags::kNearestFiltering | texture_flags::kClampUv | texture_flags::kScale2x);
    EXPECT_FLOAT_EQ(sharp->texel_scale_u(), 0.125f);
}

TEST_F(TextureResourceTest, BuiltInTexturesNeedNoFile) {
    Texture* none = load("_null_", "{ _special_ = \"_null_\", mipmaps = true }");
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->flags(), texture_flags::kSpecial | texture_flags::kClampUv | texture_flags::kPremultiplyAlpha);
    EXPECT_EQ(none->texture_width(), 0);
    EXPECT_EQ(none->gl_name(), 0u);
    EXPECT_FLOAT_EQ(none->texel_scale_u(), 1.0f);

    Texture* white = load("_white_", "{ _special_ = \"_white_\" }");
    ASSERT_NE(white, nullptr);
    EXPECT_EQ(white->flags(), texture_flags::kClampUv | texture_flags::kPremultiplyAlpha);
    EXPECT_EQ(white->texture_width(), 1);
    EXPECT_EQ(white->image_height(), 1);
    EXPECT_EQ(white->pending_pixels().get_pixel(0, 0), (Rgba{255, 255, 255, 255}));
}

TEST_F(TextureResourceTest, DynamicTexturesCheckTheirSizesAndFormat) {
    Texture* target = load("target", "{ dynamic = true, width = 256, height = 128, image_width = 200,"
                                     "format = \"rgba16f\", mask_color = true }");
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->flags(), texture_flags::kDynamic);
    EXPECT_EQ(target->byte_size(), 256 * 128 * 8);
    EXPECT_EQ(target->image_width(), 200);
    EXPECT_EQ(target->image_height(), 128);
    EXPECT_FLOAT_EQ(target->texel_scale_v(), 1.0f / 128);

    EXPECT_EQ(load("flat", "{ dynamic = true, width = 0, height = 16, format = \"rgb\" }"), nullptr);
    EXPECT_TRUE(logged("Invalid dynamic texture size."));
    EXPECT_EQ(load("huge", "{ dynamic = true, width = 16, height = 16, image_height = 17, format = \"rgb\" }"),
              nullptr);
    EXPECT_TRUE(logged("Invalid dynamic texture image size."));
    EXPECT_EQ(load("shapeless", "{ dynamic = true, width = 16, height = 16 }"), nullptr);
    EXPECT_TRUE(logged("Invalid format  of dynamic texture."));
    EXPECT_EQ(load("bgra", "{ dynamic = true, width = 16, height = 16, format = \"bgra\" }"), nullptr);
    EXPECT_TRUE(logged("Invalid format bgra of dynamic texture."));
}

TEST_F(TextureResourceTest, DdsFilesAreCheckedBeforeUse) {
    write_file("short.dds", "DDS ");
    EXPECT_EQ(load("short", "{ file = \"short.dds\" }"), nullptr);
    EXPECT_TRUE(logged("DDS: File size is too small."));
    EXPECT_TRUE(logged("Unable to load texture 'short'."));
}

TEST_F(TextureResourceTest, InlineDefsAndUnknownSettingsStillLoad) {
    registry.set_text("textures_format", "12");
    auto texture = load_resource_from_def(resource_types::texture, evaluate("return { _special_ = \"_white_\" };"));
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->class_record().name, std::string("Texture"));
    EXPECT_TRUE(logged("Invalid textures_format cvar."));
}

TEST_F(TextureResourceTest, TypedLookupsGiveTexturesOrNothing) {
    evaluate("g_texture_defs.blank <- { _special_ = \"_null_\" }; return null;");
    auto blank = load_texture("blank");
    ASSERT_TRUE(blank);
    EXPECT_EQ(blank->flags() & texture_flags::kSpecial, texture_flags::kSpecial);
    EXPECT_EQ(load_texture_from_def(evaluate("return \"blank\";")).get(), blank.get());
    EXPECT_FALSE(load_texture("absent"));
    EXPECT_TRUE(logged("Can't load texture 'absent', def not found."));
    auto inline_white = load_texture_from_def(evaluate("return { _special_ = \"_white_\" };"));
    ASSERT_TRUE(inline_white);
    EXPECT_EQ(inline_white->texture_width(), 1);
    EXPECT_EQ(inline_white->get_name(), "");
}

TEST_F(TextureResourceTest, ATextureWithoutDefSaysSo) {
    ResourceRef<Texture> ghost(new Texture());
    ghost->set_name(std::string("ghost"));
    EXPECT_FALSE(ghost->ensure_loaded());
    EXPECT_TRUE(logged("No def for texture 'ghost'."));
}

}  // namespace
}  // namespace me
