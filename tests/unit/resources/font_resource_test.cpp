#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "binding_test_vm.h"
#include "resources/font.h"
#include "resources/resource_list.h"
#include "resources/resource_registry.h"

namespace me {
namespace {

const std::string kDemoFonts = std::string(QUILLMOOR_TEST_IMAGES_DIR) + "/../../games/demo/data/fonts/";

// Fonts load their descriptor and texture through the registry; textures
// load without a GL context here, their pixels staying pending.
class FontResourceTest : public test::BindingTest {
protected:
    void SetUp() override {
        BindingTest::SetUp();
        m_previous_list = std::exchange(g_resource_list, &m_held);
        std::filesystem::create_directories("fonts");
        for (const char* file : {"dejavu_sans_18.fnt", "dejavu_sans_18.png"})
            std::filesystem::copy_file(kDemoFonts + file, std::string("fonts/") + file);
        define("g_texture_defs", "fonts/dejavu_sans_18.png", "{ mipmaps = false }");
    }

    void TearDown() override {
        m_held.release_all();
        g_resource_list = m_previous_list;
        BindingTest::TearDown();
    }

    void define(const std::string& table, const std::string& name, const std::string& def) {
        evaluate(table + "[\"" + name + "\"] <- " + def + "; return null;");
    }

    ResourceRef<Font> load(const std::string& name, const std::string& def) {
        define("g_font_defs", name, def);
        return load_font(name);
    }

private:
    ResourceList m_held;
    ResourceList* m_previous_list = nullptr;
};

TEST_F(FontResourceTest, TheDemoFontLoadsWithTheTextureNamedByItsDescriptor) {
    const ResourceRef<Font> font = load("sans", "{ file = \"fonts/dejavu_sans_18.fnt\" }");
    ASSERT_TRUE(font) << log_text();
    EXPECT_EQ(font->data().line_height, 21);
    EXPECT_EQ(font->data().texture_width, 128);
    ASSERT_NE(font->texture(), nullptr);
    EXPECT_EQ(font->texture()->get_name(), "fonts/dejavu_sans_18.png");
    EXPECT_NE(font->data().glyph('A'), nullptr);
    EXPECT_EQ(font->data().space_width, 6);
}

TEST_F(FontResourceTest, WithoutAFileKeyTheNameIsTheDescriptorPath) {
    EXPECT_TRUE(load("fonts/dejavu_sans_18.fnt", "{}")) << log_text();
}

TEST_F(FontResourceTest, LayoutUsesTheTextPaletteScriptsSet) {
    const ResourceRef<Font> font = load("sans", "{ file = \"fonts/dejavu_sans_18.fnt\" }");
    ASSERT_TRUE(font) << log_text();
    application().text_colors[3] = {1.0f, 0.5f, 0.0f, 0.5f};
    TextMesh mesh;
    font->layout(u"a^3b", -1.0f, TextAlignment::Left, 1.0f, mesh);
    ASSERT_EQ(mesh.quads.size(), 2u);
    EXPECT_FLOAT_EQ(mesh.quads[0].red, 1.0f);
    EXPECT_FLOAT_EQ(mesh.quads[1].red, 0.5f);
    EXPECT_FLOAT_EQ(mesh.quads[1].green, 0.25f);
    EXPECT_FLOAT_EQ(mesh.quads[1].alpha, 0.5f);
}

struct FontFailure {
    const char* name;
    const char* descriptor;  // written as "fonts/bad.fnt"; null for no file
    const char* def;
    std::string first_error;
    bool says_unable;
};

class FontLoadFailure : public FontResourceTest, public testing::WithParamInterface<FontFailure> {};

TEST_P(FontLoadFailure, LogsWhyAndGivesNoFont) {
    const FontFailure& failure = GetParam();
    define("g_texture_defs", "fonts/bad.png", "{ file = \"fonts/dejavu_sans_18.png\", mipmaps = false }");
    if (failure.descriptor != nullptr)
        write_file("fonts/bad.fnt", failure.descriptor);
    EXPECT_FALSE(load("bad", failure.def));
    EXPECT_TRUE(logged("error: " + failure.first_error)) << log_text();
    EXPECT_EQ(logged("error: Unable to load font 'bad'."), failure.says_unable) << log_text();
    EXPECT_TRUE(logged("error: Can't load font 'bad'.")) << log_text();
}

const char* const kFileKey = "{ file = \"fonts/bad.fnt\" }";

INSTANTIATE_TEST_SUITE_P(
    FontResource, FontLoadFailure,
    testing::Values(
        FontFailure{"EmptyFile", "", kFileKey, "Empty font file.", false},
        FontFailure{"MissingFile", nullptr, kFileKey, "Can't read file 'fonts/bad.fnt'.", true},
        FontFailure{"TwoPages", "common lineHeight=20 scaleW=8 scaleH=8 pages=2\n", kFileKey,
                    "Fonts support only one texture page.", true},
        FontFailure{"GlyphOutsideTexture",
                    "common lineHeight=20 scaleW=8 scaleH=8 pages=1\nchar id=65 x=6 width=4 height=2\n", kFileKey,
                    "Glyph 65 lies outside the font texture.", true},
        FontFailure{"UnblockedKerning",
                    "common lineHeight=20 scaleW=8 scaleH=8 pages=1\nchar id=65\nchar id=66\nkernings count=3\n"
                    "kerning first=65 second=66 amount=1\nkerning first=66 second=65 amount=1\n"
                    "kerning first=65 second=65 amount=1\n",
                    kFileKey, "Kerning pairs are not properly blocked.", true},
        FontFailure{"NoTextureDef", "common lineHeight=20 scaleW=8 scaleH=8 pages=1\n",
                    "{ file = \"fonts/other.fnt\" }", "Can't load texture 'fonts/other.png', def not found.", true},
        FontFailure{"NameTooShortForATexture", nullptr, "{ file = \"fnt\" }",
                    "Font file name 'fnt' is too short to name its texture.", true}),
    [](const testing::TestParamInfo<FontFailure>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace me
