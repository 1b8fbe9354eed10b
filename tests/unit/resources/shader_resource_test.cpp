#include <gtest/gtest.h>

#include <string>

#include "gl_test_context.h"
#include "resources/resource_list.h"
#include "resources/resource_registry.h"
#include "resources/shader_resource.h"

namespace me {
namespace {

const char* const kVertexHead = R"(
attribute vec3 a_position;
attribute vec4 a_color;
uniform float u_scale;
)";

const char* const kVertexBody = R"(
uniform vec4 u_tint;
varying vec4 v_color;
void main() {
    gl_Position = vec4(a_position.xy * u_scale, 0.0, 1.0);
    v_color = a_color * u_tint;
}
)";

const char* const kPixelSource = R"(
varying vec4 v_color;
void main() { gl_FragColor = v_color; }
)";

// Position and colour in, a scale and a tint; the vertex stage from two files.
const char* const kTintDef = R"({
    attributes = [ { name = "a_position", semantic = "position", type = "vector3" },
                   { name = "a_color", semantic = "color", type = "vector4" } ],
    uniforms = [ { name = "u_scale", type = "float", property_name = "scale" },
                 { name = "u_tint", type = "vector4f", internal = true } ],
    vertex_shader = [ "shaders/head.vs", "shaders/body.vs" ],
    pixel_shader = "shaders/tint.ps" })";

class ShaderResourceTest : public test::GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        m_previous_list = std::exchange(g_resource_list, &m_held);
        write_file("shaders/head.vs", kVertexHead);
        write_file("shaders/body.vs", kVertexBody);
        write_file("shaders/tint.ps", kPixelSource);
    }

    void TearDown() override {
        m_held.release_all();
        g_resource_list = m_previous_list;
        GlTest::TearDown();
    }

    ResourceRef<ShaderResource> load(const std::string& name, const std::string& def) {
        evaluate("g_shader_defs[\"" + name + "\"] <- " + def + "; return null;");
        return load_shader_resource(name);
    }

    // The tint def with one replacement made in its text.
    static std::string tint_def_with(const std::string& from, const std::string& to) {
        std::string def = kTintDef;
        def.replace(def.find(from), from.size(), to);
        return def;
    }

    void expect_failure(const std::string& name, const std::string& def, const std::string& reason) {
        EXPECT_FALSE(load(name, def)) << def;
        EXPECT_TRUE(logged("error: " + reason)) << log_text();
        EXPECT_TRUE(logged("error: Unable to load shader '" + name + "'."));
        EXPECT_TRUE(logged("error: Shader '" + name + "' failed to load."));
        EXPECT_TRUE(logged("error: Can't load shader '" + name + "'."));
    }

    ResourceList m_held;

private:
    ResourceList* m_previous_list = nullptr;
};

TEST_F(ShaderResourceTest, AScriptDefDrawsIntoARenderTarget) {
    auto tint = load("tint", kTintDef);
    ASSERT_TRUE(tint) << log_text();
    EXPECT_EQ(load_shader_resource("tint").get(), tint.get()) << "cached by name";
    const Shader& shader = *tint->shader();
    ASSERT_EQ(shader.attributes().size(), 2u);
    EXPECT_EQ(shader.attributes()[1].semantic, VertexSemantic::Color);
    EXPECT_EQ(shader.attributes()[1].components, 4);
    ASSERT_EQ(shader.uniforms().size(), 2u);
    EXPECT_EQ(shader.uniforms()[0].property_name, "scale");
    EXPECT_EQ(shader.uniforms()[1].property_name, "u_tint");
    EXPECT_TRUE(shader.uniforms()[1].internal);

    bind_off_screen();
    device->set_clear_color({0.0f, 0.0f, 1.0f, 1.0f});
    device->clear();
    device->set_shader(&shader);
    ASSERT_TRUE(shader.set_uniform("scale", std::array<float, 1>{0.5f}));
    ASSERT_TRUE(shader.set_uniform("u_tint", std::array<float, 4>{0.5f, 1.0f, 0.0f, 1.0f}));
    auto quad = make_full_quad({1.0f, 0.6f, 0.2f, 1.0f}, BufferUsage::Dynamic, false, &shader);
    ASSERT_NE(quad, nullptr);
    device->set_geometry(quad);
    device->draw_triangles(0, 6);

    Image expected = filled({0, 0, 255, 255});
    for (int y = 8; y < 24; ++y) {
        for (int x = 8; x < 24; ++x) {
            uint8_t* pixel = expected.row(y) + x * 4;
            pixel[0] = 128;
            pixel[1] = 153;
            pixel[2] = 0;
        }
    }
    const ImageDifference difference = compare_images(read_pixels(), expected, 2);
    ASSERT_TRUE(difference.comparable);
    EXPECT_EQ(difference.differing_pixels, 0u);
}

TEST_F(ShaderResourceTest, DefListsAndSourcesAreCheckedInOrder) {
    expect_failure("no_attributes", tint_def_with("attributes = [", "attributes = 3, unused = ["),
                   "The def's attributes must be an array.");
    expect_failure("normal_first", tint_def_with("semantic = \"position\"", "semantic = \"normal\""),
                   "The first shader attribute must be position attribute.");
    expect_failure("loose_attribute", tint_def_with("{ name = \"a_color\"", "7, { name = \"a_color\""),
                   "Attribute 1 def is invalid, must be a table.");
    expect_failure("no_vertex", tint_def_with("vertex_shader =", "vertex_shaders ="),
                   "Vertex shader file not specified.");
    expect_failure("numbered_pixel", tint_def_with("pixel_shader = \"shaders/tint.ps\"", "pixel_shader = [1]"),
                   "Pixel shader file not specified.");
    expect_failure("lost_file", tint_def_with("shaders/body.vs", "shaders/gone.vs"),
                   "Can't read shader file 'shaders/gone.vs'.");
    expect_failure("no_uniforms", tint_def_with("uniforms = [", "uniforms = {}, unused = ["),
                   "The def's uniforms must be an array.");
    expect_failure("loose_uniform", tint_def_with("{ name = \"u_tint\"", "\"u_tint\", { name = \"u_tint\""),
                   "Uniform 1 def is invalid, must be a table.");
    expect_failure("odd_uniform", tint_def_with("type = \"float\"", "type = \"double\""),
                   "Invalid shader uniform 0 type 'double'.");
}

TEST_F(ShaderResourceTest, AFailedShaderIsTriedAgainOnTheNextLookup) {
    expect_failure("late", tint_def_with("shaders/tint.ps", "shaders/late.ps"),
                   "Can't read shader file 'shaders/late.ps'.");
    write_file("shaders/late.ps", kPixelSource);
    EXPECT_TRUE(load_shader_resource("late")) << log_text();
}

TEST_F(ShaderResourceTest, DestroyingTheShaderInUseLeavesTheDeviceWithNone) {
    auto inline_shader =
        load_resource_from_def(resource_types::shader, evaluate(std::string("return ") + kTintDef + ";"));
    ASSERT_TRUE(inline_shader) << log_text();
    const Shader* shader = static_cast<ShaderResource*>(inline_shader.get())->shader();
    device->set_shader(shader);
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_NE(program, 0);
    inline_shader.reset();
    EXPECT_EQ(device->current_shader(), nullptr);
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(program, 0);
}

// Without a render device the def is read and checked, but no program can be
// built.
class ShaderResourceWithoutGlTest : public test::BindingTest {};

TEST_F(ShaderResourceWithoutGlTest, ADefNeedsAContextToBecomeAProgram) {
    write_file("a.vs", kVertexBody);
    write_file("a.ps", kPixelSource);
    evaluate(R"(g_shader_defs.flat <- { attributes = [ { name = "p", semantic = "position", type = "vector2" } ],
                                         uniforms = [], vertex_shader = "a.vs", pixel_shader = "a.ps" };
                return null;)");
    EXPECT_FALSE(load_shader_resource("flat"));
    EXPECT_TRUE(logged("error: Can't build a GLSL program without an OpenGL context."));
    EXPECT_TRUE(logged("error: Shader 'flat' failed to load."));
}

}  // namespace
}  // namespace me
