#include "gpu/shader_loader.h"

#include <array>
#include <string_view>

#include "core/log.h"
#include "gpu/shader_program.h"

namespace me {
namespace {

constexpr std::array<std::string_view, 5> kSemanticNames{"position", "normal", "color", "texcoord", "tangent"};
constexpr std::array<std::string_view, 4> kAttributeTypes{"vector1", "vector2", "vector3", "vector4"};
constexpr std::array<std::string_view, 6> kUniformTypes{"texture",  "cubemap",  "float",
                                                         "vector3f", "vector4f", "vector4f[]"};

template <size_t N>
int position_of(const std::array<std::string_view, N>& names, const std::string& name) {
    for (size_t i = 0; i < N; ++i) {
        if (names[i] == name)
            return static_cast<int>(i);
    }
    return -1;
}

bool read_attribute(size_t index, const ShaderAttributeDef& def, ShaderAttribute& attribute) {
    attribute.name = def.name;
    const int semantic = position_of(kSemanticNames, def.semantic);
    if (semantic < 0)
        log_error(format_message("Invalid shader attribute %1 semantic '%2'.", index, def.semantic));
    attribute.semantic = static_cast<VertexSemantic>(std::max(semantic, 0));
    const int type = position_of(kAttributeTypes, def.type);
    if (type < 0) {
        log_error(format_message("Invalid shader attribute %1 type '%2'.", index, def.type));
        return false;
    }
    attribute.components = type + 1;
    return true;
}

bool read_attributes(const ShaderDef& def, Shader& shader) {
    if (!def.attributes) {
        log_error("The def's attributes must be an array.");
        return false;
    }
    const auto& entries = *def.attributes;
    if (entries.empty()) {
        log_error("At least one shader attribute must be specified.");
        return false;
    }
    if (entries.size() > Shader::kMaxAttributes) {
        log_error("Too many shader attributes.");
        return false;
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i]) {
            log_error(format_message("Attribute %1 def is invalid, must be a table.", i));
            return false;
        }
        ShaderAttribute attribute;
        if (!read_attribute(i, *entries[i], attribute))
            return false;
        if (i == 0 && attribute.semantic != VertexSemantic::Position) {
            log_error("The first shader attribute must be position attribute.");
            return false;
        }
        shader.attributes().push_back(std::move(attribute));
    }
    return true;
}

bool read_sources(const std::vector<std::string>& files, const ShaderFileReader& read,
                  std::vector<std::string>& texts) {
    for (const std::string& file : files) {
        std::optional<std::string> text = read(file);
        if (!text) {
            log_error(format_message("Can't read shader file '%1'.", file));
            return false;
        }
        texts.push_back(std::move(*text));
    }
    return true;
}

bool read_stage(const std::optional<std::vector<std::string>>& files, const char* missing,
                const ShaderFileReader& read, std::vector<std::string>& texts) {
    if (!files || files->empty()) {
        log_error(missing);
        return false;
    }
    return read_sources(*files, read, texts);
}

bool add_uniform(ShaderUniform uniform, std::vector<ShaderUniform>& list, size_t limit, const char* too_many) {
    if (list.size() == limit) {
        log_error(too_many);
        return false;
    }
    if (uniform.type == kUniformTexture || uniform.type == kUniformCubemap) {
        uniform.unit = static_cast<int>(list.size());
        glUniform1iARB(uniform.location, uniform.unit);
    }
    list.push_back(std::move(uniform));
    return true;
}

bool read_uniform(size_t index, const ShaderUniformDef& def, Shader& shader) {
    const int type = position_of(kUniformTypes, def.type);
    if (type < 0) {
        log_error(format_message("Invalid shader uniform %1 type '%2'.", index, def.type));
        return false;
    }
    ShaderUniform uniform{def.name, def.property_name.empty() ? def.name : def.property_name,
                          kUniformTexture << type, def.internal,
                          glGetUniformLocationARB(shader.program(), def.name.c_str()), -1};
    if (uniform.location < 0) {
        log_warning(format_message("Shader '%1': Unused uniform '%2'.", shader.name(), def.name));
        return true;
    }
    if (type < 2)
        return add_uniform(std::move(uniform), shader.samplers(), Shader::kMaxSamplers, "Too many shader samplers.");
    return add_uniform(std::move(uniform), shader.uniforms(), Shader::kMaxUniforms, "Too many shader uniforms.");
}

bool read_uniforms_in_use(const ShaderDef& def, Shader& shader) {
    const auto& entries = *def.uniforms;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i]) {
            log_error(format_message("Uniform %1 def is invalid, must be a table.", i));
            return false;
        }
        if (!read_uniform(i, *entries[i], shader))
            return false;
    }
    return true;
}

bool read_uniforms(const ShaderDef& def, Shader& shader) {
    if (!def.uniforms) {
        log_error("The def's uniforms must be an array.");
        return false;
    }
    const GLhandleARB previous = glGetHandleARB(GL_PROGRAM_OBJECT_ARB);
    glUseProgramObjectARB(shader.program());
    const bool read = read_uniforms_in_use(def, shader);
    glUseProgramObjectARB(previous);
    return read;
}

bool build(const ShaderDef& def, const ShaderFileReader& read, const GlStateCache& gl, Shader& shader) {
    if (!read_attributes(def, shader))
        return false;
    std::vector<std::string> vertex_texts;
    std::vector<std::string> pixel_texts;
    if (!read_stage(def.vertex_shader, "Vertex shader file not specified.", read, vertex_texts) ||
        !read_stage(def.pixel_shader, "Pixel shader file not specified.", read, pixel_texts))
        return false;
    if (!gl.has_context()) {
        log_error("Can't build a GLSL program without an OpenGL context.");
        return false;
    }
    shader.set_program(build_shader_program(vertex_texts, pixel_texts, shader.attributes()));
    if (shader.program() == 0 || !read_uniforms(def, shader))
        return false;
    shader.set_kind(ShaderKind::Custom);
    return shader.validate();
}

}  // namespace

std::unique_ptr<Shader> load_shader(const std::string& name, const ShaderDef& def, const ShaderFileReader& read,
                                    const GlStateCache& gl) {
    auto shader = std::make_unique<Shader>(name);
    shader->set_loaded(build(def, read, gl, *shader));
    if (!shader->loaded())
        log_error(format_message("Unable to load shader '%1'.", name));
    return shader;
}

std::unique_ptr<Shader> make_fixed_shader() {
    auto shader = std::make_unique<Shader>("_fixed_");
    shader->attributes() = {{"gl_Vertex", VertexSemantic::Position, 3},
                            {"gl_Color", VertexSemantic::Color, 4},
                            {"gl_MultiTexCoord0", VertexSemantic::TexCoord, 2}};
    shader->samplers().push_back({"texture", "texture", kUniformTexture, false, -1, 0});
    shader->set_kind(ShaderKind::Fixed);
    shader->set_loaded(shader->validate());
    return shader;
}

}  // namespace me
