#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "gpu/shader_attribute.h"

namespace me {

enum class ShaderKind { None = 0, Fixed = 1, Custom = 2 };

// One bit each, from bit 16 up; the first two are samplers.
enum ShaderUniformType : uint32_t {
    kUniformTexture = 1u << 16,
    kUniformCubemap = 1u << 17,
    kUniformFloat = 1u << 18,
    kUniformVector3f = 1u << 19,
    kUniformVector4f = 1u << 20,
    kUniformVector4fArray = 1u << 21,
};

struct ShaderUniform {
    std::string name;
    std::string property_name;
    uint32_t type = 0;
    bool internal = false;
    GLint location = -1;
    // The texture unit of a sampler.
    int unit = -1;
};

// A vertex/pixel program: built in (fixed function) or a linked GLSL program.
class Shader {
public:
    static constexpr size_t kMaxAttributes = 4;
    static constexpr size_t kMaxSamplers = 5;
    static constexpr size_t kMaxUniforms = 8;

    explicit Shader(std::string name) : m_name(std::move(name)) {}
    ~Shader();
    Shader(const Shader&) = delete;
    Shader& operator=(const Shader&) = delete;

    const std::string& name() const { return m_name; }
    ShaderKind kind() const { return m_kind; }
    void set_kind(ShaderKind kind) { m_kind = kind; }
    bool loaded() const { return m_loaded; }
    void set_loaded(bool loaded) { m_loaded = loaded; }

    std::vector<ShaderAttribute>& attributes() { return m_attributes; }
    const std::vector<ShaderAttribute>& attributes() const { return m_attributes; }
    std::vector<ShaderUniform>& samplers() { return m_samplers; }
    const std::vector<ShaderUniform>& samplers() const { return m_samplers; }
    std::vector<ShaderUniform>& uniforms() { return m_uniforms; }
    const std::vector<ShaderUniform>& uniforms() const { return m_uniforms; }

    GLhandleARB program() const { return m_program; }
    void set_program(GLhandleARB program) { m_program = program; }

    // Checks the attributes against the kind; logs the first problem.
    bool validate() const;

    // Sets a uniform of the program in use by its property name; false when
    // the shader has no such uniform or too few values are given.
    bool set_uniform(const std::string& property_name, std::span<const float> values) const;

private:
    std::string m_name;
    ShaderKind m_kind = ShaderKind::None;
    bool m_loaded = false;
    std::vector<ShaderAttribute> m_attributes;
    std::vector<ShaderUniform> m_samplers;
    std::vector<ShaderUniform> m_uniforms;
    GLhandleARB m_program = 0;
};

}  // namespace me
