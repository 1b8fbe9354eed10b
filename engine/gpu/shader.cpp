#include "gpu/shader.h"

#include <algorithm>

#include "core/log.h"

namespace me {
namespace {

bool has_repeated_semantic(const std::vector<ShaderAttribute>& attributes) {
    for (size_t i = 0; i < attributes.size(); ++i) {
        for (size_t j = i + 1; j < attributes.size(); ++j) {
            if (attributes[i].semantic == attributes[j].semantic)
                return true;
        }
    }
    return false;
}

const char* attribute_problem(ShaderKind kind, const std::vector<ShaderAttribute>& attributes) {
    const bool fixed = kind == ShaderKind::Fixed;
    if (attributes.empty())
        return "Shader must have at least one attribute.";
    if (attributes.front().semantic != VertexSemantic::Position)
        return "First shader attribute must be position attribute.";
    if (attributes.size() > Shader::kMaxAttributes)
        return fixed ? "Fixed shader can't use more attributes than the number of available fixed streams."
                     : "Custom shader can't use more attributes than the number of available custom streams.";
    if (!fixed)
        return nullptr;
    const auto tangent = [](const ShaderAttribute& a) { return a.semantic == VertexSemantic::Tangent; };
    if (std::any_of(attributes.begin(), attributes.end(), tangent))
        return "Fixed shader must use only attributes with fixed stream semantic.";
    if (has_repeated_semantic(attributes))
        return "Fixed shader has two or more attributes with the same semantic.";
    return nullptr;
}

size_t value_count(uint32_t type) {
    switch (type) {
    case kUniformFloat:
        return 1;
    case kUniformVector3f:
        return 3;
    default:
        return 4;
    }
}

}  // namespace

Shader::~Shader() {
    if (m_program != 0 && glDeleteObjectARB != nullptr)
        glDeleteObjectARB(m_program);
}

bool Shader::validate() const {
    const char* problem = attribute_problem(m_kind, m_attributes);
    if (problem != nullptr)
        log_error(problem);
    return problem == nullptr;
}

bool Shader::set_uniform(const std::string& property_name, std::span<const float> values) const {
    const auto found = std::find_if(m_uniforms.begin(), m_uniforms.end(),
                                    [&](const ShaderUniform& u) { return u.property_name == property_name; });
    if (found == m_uniforms.end() || m_program == 0 || values.size() < value_count(found->type))
        return false;
    const auto* data = values.data();
    switch (found->type) {
    case kUniformFloat:
        glUniform1fvARB(found->location, 1, data);
        break;
    case kUniformVector3f:
        glUniform3fvARB(found->location, 1, data);
        break;
    case kUniformVector4f:
        glUniform4fvARB(found->location, 1, data);
        break;
    default:
        glUniform4fvARB(found->location, static_cast<GLsizei>(values.size() / 4), data);
        break;
    }
    return true;
}

}  // namespace me
