#include <gtest/gtest.h>

#include <map>

#include "gl_test_context.h"
#include "gpu/shader.h"
#include "gpu/shader_loader.h"

namespace me {
namespace {

const char* const kVertexSource = R"(
attribute vec3 a_position;
attribute vec4 a_color;
uniform float u_scale;
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

using Attributes = std::vector<std::optional<ShaderAttributeDef>>;
using Uniforms = std::vector<std::optional<ShaderUniformDef>>;
using Files = std::vector<std::string>;

ShaderAttributeDef attribute(const char* name, const char* semantic, const char* type) {
    return {name, semantic, type};
}

ShaderUniformDef uniform(const char* name, const char* type, const char* property = "") {
    return {name, type, property, false};
}

// A def that loads: position and colour in, scale and tint uniforms.
ShaderDef working_def() {
    ShaderDef def;
    def.attributes = Attributes{attribute("a_position", "position", "vector3"), attribute("a_color", "color", "vector4")};
    def.uniforms = Uniforms{uniform("u_scale", "float", "scale"), uniform("u_tint", "vector4f")};
    def.vertex_shader = Files{"tint.vs"};
    def.pixel_shader = Files{"tint.ps"};
    return def;
}

class ShaderDefTest : public test::SpineTest {
protected:
    bool load(const ShaderDef& def, const char* name = "test") {
        return load_shader(name, def, reader(), gl)->loaded();
    }

    ShaderFileReader reader() const {
        return [this](const std::string& path) -> std::optional<std::string> {
            const auto found = files.find(path);
            return found != files.end() ? std::optional(found->second) : std::nullopt;
        };
    }

    void expect_failure(const ShaderDef& def, const std::string& reason) {
        EXPECT_FALSE(load(def));
        EXPECT_TRUE(logged("error: " + reason)) << log_text();
        EXPECT_TRUE(logged("error: Unable to load shader 'test'.")) << log_text();
    }

    std::map<std::string, std::string> files{{"tint.vs", kVertexSource}, {"tint.ps", kPixelSource}};
    GlStateCache gl;
};

TEST_F(ShaderDefTest, AttributesMustBeAnArrayOfOneToFourTables) {
    ShaderDef def = working_def();
    def.attributes.reset();
    expect_failure(def, "The def's attributes must be an array.");
    def.attributes = Attributes{};
    expect_failure(def, "At least one shader attribute must be specified.");
    def.attributes = Attributes(5, attribute("p", "position", "vector3"));
    expect_failure(def, "Too many shader attributes.");
    def.attributes = working_def().attributes;
    def.attributes->push_back(std::nullopt);
    expect_failure(def, "Attribute 2 def is invalid, must be a table.");
}

TEST_F(ShaderDefTest, AttributeSemanticsAndTypesAreChecked) {
    ShaderDef def = working_def();
    (*def.attributes)[1] = attribute("a_color", "colour", "vector4");
    EXPECT_FALSE(load(def));
    EXPECT_TRUE(logged("error: Invalid shader attribute 1 semantic 'colour'."));
    EXPECT_TRUE(logged("error: Can't build a GLSL program without an OpenGL context."))
        << "an unknown semantic is taken as position and the load goes on";

    def = working_def();
    (*def.attributes)[1] = attribute("a_color", "color", "vector5");
    expect_failure(def, "Invalid shader attribute 1 type 'vector5'.");

    def = working_def();
    (*def.attributes)[0] = attribute("a_normal", "normal", "vector3");
    expect_failure(def, "The first shader attribute must be position attribute.");
}

TEST_F(ShaderDefTest, BothStagesNeedSourceFiles) {
    ShaderDef def = working_def();
    def.vertex_shader.reset();
    expect_failure(def, "Vertex shader file not specified.");
    def = working_def();
    def.pixel_shader = Files{};
    expect_failure(def, "Pixel shader file not specified.");
    def = working_def();
    def.pixel_shader = Files{"tint.ps", "missing.ps"};
    expect_failure(def, "Can't read shader file 'missing.ps'.");
}

TEST_F(ShaderDefTest, AGoodDefStillNeedsAContext) {
    expect_failure(working_def(), "Can't build a GLSL program without an OpenGL context.");
    EXPECT_EQ(gl.call_count(), 0u);
}

class ShaderValidationTest : public test::SpineTest {
protected:
    bool validate(ShaderKind kind, std::vector<ShaderAttribute> attributes) {
        Shader shader("v");
        shader.set_kind(kind);
        shader.attributes() = std::move(attributes);
        return shader.validate();
    }

    static ShaderAttribute of(VertexSemantic semantic) { return {"a", semantic, 3}; }
};

TEST_F(ShaderValidationTest, AttributesMustFitTheKind) {
    using enum VertexSemantic;
    EXPECT_FALSE(validate(ShaderKind::Fixed, {}));
    EXPECT_TRUE(logged("error: Shader must have at least one attribute."));
    EXPECT_FALSE(validate(ShaderKind::Custom, {of(Color)}));
    EXPECT_TRUE(logged("error: First shader attribute must be position attribute."));
    EXPECT_FALSE(validate(ShaderKind::Fixed, {of(Position), of(Normal), of(Color), of(TexCoord), of(TexCoord)}));
    EXPECT_TRUE(logged(
        "error: Fixed shader can't use more attributes than the number of available fixed streams."));
    EXPECT_FALSE(validate(ShaderKind::Custom, {of(Position), of(Normal), of(Color), of(TexCoord), of(Tangent)}));
    EXPECT_TRUE(logged(
        "error: Custom shader can't use more attributes than the number of available custom streams."));
    EXPECT_FALSE(validate(ShaderKind::Fixed, {of(Position), of(Tangent)}));
    EXPECT_TRUE(logged("error: Fixed shader must use only attributes with fixed stream semantic."));
    EXPECT_FALSE(validate(ShaderKind::Fixed, {of(Position), of(Color), of(Color)}));
    EXPECT_TRUE(logged("error: Fixed shader has two or more attributes with the same semantic."));

    EXPECT_TRUE(validate(ShaderKind::Custom, {of(Position), of(Tangent), of(Tangent)}));
    EXPECT_TRUE(validate(ShaderKind::Fixed, {of(Position), of(Normal), of(Color), of(TexCoord)}));
}

class ShaderGlTest : public test::GlTest {
protected:
    std::unique_ptr<Shader> load(const ShaderDef& def, const char* name = "test") {
        return load_shader(name, def, reader(), device->gl());
    }

    ShaderFileReader reader() const {
        return [this](const std::string& path) -> std::optional<std::string> {
            const auto found = files.find(path);
            return found != files.end() ? std::optional(found->second) : std::nullopt;
        };
    }

    std::map<std::string, std::string> files{{"tint.vs", kVertexSource}, {"tint.ps", kPixelSource}};
};

TEST_F(ShaderGlTest, ADefWithAttributesAndUniformsDrawsIntoARenderTarget) {
    std::unique_ptr<Shader> shader = load(working_def());
    ASSERT_TRUE(shader->loaded()) << log_text();
    EXPECT_EQ(shader->kind(), ShaderKind::Custom);
    ASSERT_EQ(shader->uniforms().size(), 2u);
    EXPECT_EQ(shader->uniforms()[0].property_name, "scale");
    EXPECT_EQ(shader->uniforms()[1].property_name, "u_tint");

    bind_off_screen();
    device->set_clear_color({0.0f, 0.0f, 0.0f, 1.0f});
    device->clear();
    device->set_shader(shader.get());
    EXPECT_TRUE(shader->set_uniform("scale", std::array<float, 1>{0.5f}));
    EXPECT_TRUE(shader->set_uniform("u_tint", std::array<float, 4>{1.0f, 0.5f, 0.0f, 1.0f}));
    EXPECT_FALSE(shader->set_uniform("u_tint", std::array<float, 3>{1.0f, 0.5f, 0.0f})) << "too few values";
    EXPECT_FALSE(shader->set_uniform("absent", std::array<float, 1>{1.0f}));
    auto custom = make_full_quad({0.8f, 0.8f, 0.8f, 1.0f}, BufferUsage::Static, true, shader.get());
    ASSERT_NE(custom, nullptr);
    EXPECT_TRUE(custom->layout().custom);
    EXPECT_EQ(custom->layout().slots[1].format, kColorBytes);
    device->set_geometry(custom);
    device->draw_indexed_triangles(6);

    Image expected = filled({0, 0, 0, 255});
    for (int y = 8; y < 24; ++y) {
        for (int x = 8; x < 24; ++x) {
            uint8_t* pixel = expected.row(y) + x * 4;
            pixel[0] = 204;
            pixel[1] = 102;
        }
    }
    const ImageDifference difference = compare_images(read_pixels(), expected, 2);
    EXPECT_TRUE(difference.comparable);
    EXPECT_EQ(difference.differing_pixels, 0u);

    device->set_shader(&device->fixed_shader());
    GLint program = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(program, 0) << "fixed function after a custom shader";
}

TEST_F(ShaderGlTest, BadSourceFailsWithTheDriverLog) {
    files["tint.vs"] = "void main() { gl_Position = undeclared_thing; }";
    EXPECT_FALSE(load(working_def(), "broken")->loaded());
    const std::string log = log_text();
    EXPECT_NE(log.find("error: Can't compile GLSL shader object:\n"), std::string::npos) << log;
    EXPECT_NE(log.find("undeclared_thing"), std::string::npos) << "the driver's info log is kept";
    EXPECT_TRUE(logged("error: Unable to load shader 'broken'."));
    EXPECT_EQ(log.find("link"), std::string::npos);
}

TEST_F(ShaderGlTest, ALinkFailureLogsTheProgramLog) {
    // Each stage compiles on its own; only the program lacks an entry point.
    files["tint.vs"] = "attribute vec3 a_position; void helper() {}";
    EXPECT_FALSE(load(working_def())->loaded());
    EXPECT_NE(log_text().find("error: Can't link GLSL program:\n"), std::string::npos) << log_text();
    EXPECT_TRUE(logged("error: Unable to load shader 'test'."));
}

TEST_F(ShaderGlTest, AnUnusedUniformIsOnlyAWarning) {
    ShaderDef def = working_def();
    def.uniforms->push_back(uniform("u_not_in_program", "vector3f"));
    std::unique_ptr<Shader> shader = load(def, "spare");
    EXPECT_TRUE(shader->loaded()) << log_text();
    EXPECT_TRUE(logged("warning: Shader 'spare': Unused uniform 'u_not_in_program'."));
    EXPECT_EQ(shader->uniforms().size(), 2u);
}

TEST_F(ShaderGlTest, UniformEntriesAreChecked) {
    ShaderDef def = working_def();
    def.uniforms.reset();
    EXPECT_FALSE(load(def)->loaded());
    EXPECT_TRUE(logged("error: The def's uniforms must be an array."));
    def = working_def();
    def.uniforms->insert(def.uniforms->begin(), std::nullopt);
    EXPECT_FALSE(load(def)->loaded());
    EXPECT_TRUE(logged("error: Uniform 0 def is invalid, must be a table."));
    def = working_def();
    (*def.uniforms)[1] = uniform("u_tint", "vector2f");
    EXPECT_FALSE(load(def)->loaded());
    EXPECT_TRUE(logged("error: Invalid shader uniform 1 type 'vector2f'."));
}

std::string sampler_source(int count) {
    std::string declarations;
    std::string sum = "vec4(0.0)";
    for (int i = 0; i < count; ++i) {
        declarations += "uniform sampler2D s" + std::to_string(i) + ";\n";
        sum += " + texture2D(s" + std::to_string(i) + ", vec2(0.5))";
    }
    return declarations + "void main() { gl_FragColor = " + sum + "; }\n";
}

TEST_F(ShaderGlTest, SamplersTakeTheNextUnitsUpToFive) {
    ShaderDef def = working_def();
    files["five.ps"] = sampler_source(5);
    def.pixel_shader = Files{"five.ps"};
    def.uniforms = Uniforms{};
    for (int i = 0; i < 5; ++i)
        def.uniforms->push_back(uniform(("s" + std::to_string(i)).c_str(), "texture"));
    std::unique_ptr<Shader> five = load(def);
    ASSERT_TRUE(five->loaded()) << log_text();
    ASSERT_EQ(five->samplers().size(), 5u);
    glUseProgramObjectARB(five->program());
    for (int i = 0; i < 5; ++i) {
        GLint unit = -1;
        glGetUniformivARB(five->program(), five->samplers()[static_cast<size_t>(i)].location, &unit);
        EXPECT_EQ(unit, i);
        EXPECT_EQ(five->samplers()[static_cast<size_t>(i)].unit, i);
    }
    glUseProgramObjectARB(0);

    files["six.ps"] = sampler_source(6);
    def.pixel_shader = Files{"six.ps"};
    def.uniforms->push_back(uniform("s5", "texture"));
    EXPECT_FALSE(load(def)->loaded());
    EXPECT_TRUE(logged("error: Too many shader samplers."));
}

TEST_F(ShaderGlTest, LoadingLeavesTheProgramInUseAlone) {
    std::unique_ptr<Shader> in_use = load(working_def(), "in_use");
    ASSERT_TRUE(in_use->loaded());
    device->set_shader(in_use.get());
    std::unique_ptr<Shader> other = load(working_def(), "other");
    ASSERT_TRUE(other->loaded());
    EXPECT_NE(other->program(), in_use->program());
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(static_cast<GLhandleARB>(program), in_use->program());
    device->set_shader(nullptr);
}

TEST_F(ShaderGlTest, SourcesOfSeveralFilesAreJoined) {
    files["head.vs"] = "attribute vec3 a_position;\nattribute vec4 a_color;\n";
    files["body.vs"] = std::string(kVertexSource).substr(std::string(kVertexSource).find("uniform"));
    ShaderDef def = working_def();
    def.vertex_shader = Files{"head.vs", "body.vs"};
    EXPECT_TRUE(load(def)->loaded()) << log_text();
}

}  // namespace
}  // namespace me
