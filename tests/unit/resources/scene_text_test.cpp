#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "binding_test_vm.h"
#include "gpu/quad_batch.h"
#include "gpu/render_device.h"
#include "gpu/view2d.h"
#include "resources/font.h"
#include "resources/resource_list.h"
#include "resources/scene_text.h"
#include "scene/scene_object.h"
#include "scene_batch_reader.h"

namespace me {
namespace {

const std::string kDemoFonts = std::string(QUILLMOOR_TEST_IMAGES_DIR) + "/../../games/demo/data/fonts/";

// Text objects in the demo's font, "text". Textures load without a GL
// context, so layout and the quads written into a batch can be checked
// without a window.
class SceneTextTest : public test::BindingTest {
protected:
    void SetUp() override {
        BindingTest::SetUp();
        m_previous_list = std::exchange(g_resource_list, &m_held);
        for (const char* file : {"dejavu_sans_18.fnt", "dejavu_sans_18.png"})
            std::filesystem::copy_file(kDemoFonts + file, file);
        evaluate("g_texture_defs[\"dejavu_sans_18.png\"] <- { mipmaps = false };"
                 "g_font_defs.text <- { file = \"dejavu_sans_18.fnt\" }; ::a <- SceneObject(); return null;");
        font = load_font("text");
        ASSERT_TRUE(font) << log_text();
        batch.create_buffers();
    }

    // Objects and resources hold script objects, so they go before the VM.
    void TearDown() override {
        font = {};
        evaluate("::a <- null; return null;");
        m_held.release_all();
        BindingTest::TearDown();
        g_resource_list = m_previous_list;
    }

    SceneObject& object() { return *native_of<SceneObject>(evaluate("return ::a")); }
    float text_width() { return evaluate_float("return ::a.get_text_size()[0].tofloat()"); }
    float text_height() { return evaluate_float("return ::a.get_text_size()[1].tofloat()"); }
    float line_height() const { return static_cast<float>(font->data().line_height); }
    // Where the first glyph starts, relative to the object's origin.
    float first_glyph_left() { return object().text().mesh().quads.at(0).left; }

    ResourceRef<Font> font;
    RenderDevice device;
    QuadBatch batch{device};
    View2d view;

private:
    ResourceList m_held;
    ResourceList* m_previous_list = nullptr;
};

TEST_F(SceneTextTest, TextObjectMeasuresItsStringInItsFontAndScale) {
    evaluate("::a.set_font(\"text\"); ::a.set_text(\"Hi there\");");
    EXPECT_EQ(object().type(), SceneObject::Text);
    const float width = text_width();
    EXPECT_FLOAT_EQ(width, static_cast<float>(font->data().measure(u"Hi there", 0, 8)));
    EXPECT_FLOAT_EQ(text_height(), line_height());
    evaluate("::a.set_font_scale(2)");
    EXPECT_FLOAT_EQ(text_width(), 2 * width);
    EXPECT_FLOAT_EQ(text_height(), 2 * line_height());
}

TEST_F(SceneTextTest, EveryChangeLaysTheTextOutAgain) {
    evaluate("::a.set_font(\"text\"); ::a.set_text(\"aa bb\");");
    const float one_line = text_width();
    const float first_word = static_cast<float>(font->data().measure(u"aa ", 0, 3));
    evaluate("::a.set_text_width(" + std::to_string(first_word + 1) + ")");
    EXPECT_FLOAT_EQ(text_height(), 2 * line_height()) << "the second word wraps";
    evaluate("::a.set_text(\"aa\")");
    EXPECT_FLOAT_EQ(text_height(), line_height());
    evaluate("::a.set_text_width(-1); ::a.set_text(\"aa bb\")");
    EXPECT_FLOAT_EQ(text_width(), one_line);
    evaluate("::a.set_font(null)");
    EXPECT_FLOAT_EQ(text_width(), 0.0f) << "no font, nothing laid out";
}

TEST_F(SceneTextTest, EdgeCaseOnlyTheLetterCCentresAndOnlyRAlignsRight) {
    evaluate("::a.set_font(\"text\"); ::a.set_text(\"ab\"); ::a.set_text_width(200);");
    const float left = first_glyph_left();
    const float width = static_cast<float>(font->data().measure(u"ab", 0, 2));
    evaluate("::a.set_text_align(\"c\")");
    EXPECT_FLOAT_EQ(first_glyph_left(), left + std::floor((200 - width) * 0.5f));
    evaluate("::a.set_text_align(\"r\")");
    EXPECT_FLOAT_EQ(first_glyph_left(), left + std::floor(200 - width));
    for (const char* other : {"centre", "center", "C", "right", "", "l"}) {
        evaluate("::a.set_text_align(\"c\"); ::a.get_text_size(); ::a.set_text_align(\"" + std::string(other) +
                 "\")");
        EXPECT_FLOAT_EQ(first_glyph_left(), left) << other << " aligns left";
    }
}

TEST_F(SceneTextTest, GlyphsAreDrawnFromTheObjectOriginWithTheLocalScaleInTheObjectColour) {
    evaluate(R"(::a.set_font("text"); ::a.set_text("AB"); ::a.set_position(100, 50); ::a.set_local_scale(2, 3);
               ::a.set_color([1, 0.5, 0.25, 0.5]); ::a.set_occlusion(0.5); ::a.set_shear([1, 1]);)");
    object().draw(batch, view);
    const TextMesh& mesh = object().text().mesh();
    ASSERT_EQ(batch.pending_quads(), static_cast<int>(mesh.quads.size()));
    ASSERT_EQ(mesh.quads.size(), 2u);
    const std::span<const QuadVertex> vertices = test::gathered_vertices(batch);
    const TextQuad& second = mesh.quads[1];
    const QuadVertex& left_top = vertices[4 + kQuadLeftTop];
    const QuadVertex& right_bottom = vertices[4 + kQuadRightBottom];
    EXPECT_FLOAT_EQ(left_top.x, 100 + 2 * second.left) << "the shear does not apply to text";
    EXPECT_FLOAT_EQ(left_top.y, 50 + 3 * second.top);
    EXPECT_FLOAT_EQ(right_bottom.x, 100 + 2 * second.right);
    EXPECT_FLOAT_EQ(right_bottom.y, 50 + 3 * second.bottom);
    EXPECT_FLOAT_EQ(left_top.u, second.left_u);
    EXPECT_FLOAT_EQ(right_bottom.v, second.bottom_v);
    EXPECT_EQ(left_top.color, pack_quad_color({0.5f, 0.25f, 0.125f, 0.25f}));
}

TEST_F(SceneTextTest, TextWithoutAFontOrAlphaDrawsNothing) {
    evaluate("::a.set_text(\"AB\")");
    EXPECT_EQ(object().type(), SceneObject::Text);
    EXPECT_FLOAT_EQ(text_width(), 0.0f);
    EXPECT_FLOAT_EQ(text_height(), 0.0f);
    object().draw(batch, view);
    EXPECT_EQ(batch.pending_quads(), 0);
    evaluate("::a.set_font(\"text\"); ::a.set_color([1, 1, 1, 0]);");
    object().draw(batch, view);
    EXPECT_EQ(batch.pending_quads(), 0);
    evaluate("::a.set_font(\"no_such_font\")");
    EXPECT_NE(log_text().find("no_such_font"), std::string::npos) << "the registry says why";
    EXPECT_EQ(object().text().font(), nullptr);
}

TEST_F(SceneTextTest, ScriptStringsBecomeSixteenBitCodeUnits) {
    evaluate("::a.set_text(\"a\\xc3\\xa9\\xe2\\x82\\xac\\xf0\\x9f\\x98\\x80\\xff!\")");
    EXPECT_EQ(object().text().text(), u"a\u00e9\u20ac\U0001F600\u00ff!") << "a stray byte stands for itself";
    EXPECT_EQ(utf8_to_utf16(std::string("x\0y", 3)), std::u16string(u"x\0y", 3));
    EXPECT_EQ(utf8_to_utf16("\xe2\x82"), u"\u00e2\u0082") << "a cut sequence is bytes";
}

TEST_F(SceneTextTest, TextArgumentErrorsUseTheirFixedTexts) {
    EXPECT_EQ(error_of("::a.set_font(3)"), "Expecting resource name or null.");
    EXPECT_EQ(error_of("::a.set_font(::a)"), "Expecting resource name or null.");
    EXPECT_EQ(error_of("::a.set_text(3)"), "Expecting string.");
    EXPECT_EQ(error_of("::a.set_text_width(\"wide\")"), "Expecting float.");
    EXPECT_EQ(error_of("::a.set_font_scale(null)"), "Expecting float.");
    EXPECT_EQ(error_of("::a.set_text_align(2)"), "Expecting string.");
    EXPECT_EQ(error_of("::SceneObject.get_text_size.call(::Scene())"), "Expecting SceneObject");
    EXPECT_EQ(error_of("::a.set_text_width(150)"), "no error");
}

}  // namespace
}  // namespace me
