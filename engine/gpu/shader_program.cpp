#include "gpu/shader_program.h"

#include <algorithm>
#include <array>

#include "core/log.h"

namespace me {
namespace {

constexpr GLsizei kInfoLogSize = 8192;

std::string info_log(GLhandleARB object) {
    std::array<GLcharARB, kInfoLogSize> text{};
    GLsizei length = 0;
    glGetInfoLogARB(object, kInfoLogSize, &length, text.data());
    return std::string(text.data(), static_cast<size_t>(std::clamp(length, 0, kInfoLogSize - 1)));
}

bool succeeded(GLhandleARB object, GLenum status) {
    GLint result = 0;
    glGetObjectParameterivARB(object, status, &result);
    return result != 0;
}

GLhandleARB compile_stage(GLenum type, const std::vector<std::string>& texts) {
    const GLhandleARB stage = glCreateShaderObjectARB(type);
    if (stage == 0) {
        log_error("Can't create GLSL shader object.");
        return 0;
    }
    std::vector<const GLcharARB*> sources;
    std::vector<GLint> lengths;
    for (const std::string& text : texts) {
        sources.push_back(text.data());
        lengths.push_back(static_cast<GLint>(text.size()));
    }
    glShaderSourceARB(stage, static_cast<GLsizei>(sources.size()), sources.data(), lengths.data());
    glCompileShaderARB(stage);
    if (succeeded(stage, GL_OBJECT_COMPILE_STATUS_ARB))
        return stage;
    log_error("Can't compile GLSL shader object:\n" + info_log(stage));
    glDeleteObjectARB(stage);
    return 0;
}

GLhandleARB link_program(GLhandleARB vertex, GLhandleARB pixel, const std::vector<ShaderAttribute>& attributes) {
    const GLhandleARB program = glCreateProgramObjectARB();
    if (program == 0) {
        log_error("Can't create GLSL program object.");
        return 0;
    }
    glAttachObjectARB(program, vertex);
    glAttachObjectARB(program, pixel);
    for (size_t i = 0; i < attributes.size(); ++i)
        glBindAttribLocationARB(program, static_cast<GLuint>(i), attributes[i].name.c_str());
    glLinkProgramARB(program);
    if (succeeded(program, GL_OBJECT_LINK_STATUS_ARB))
        return program;
    log_error("Can't link GLSL program:\n" + info_log(program));
    glDeleteObjectARB(program);
    return 0;
}

}  // namespace

GLhandleARB build_shader_program(const std::vector<std::string>& vertex_texts,
                                 const std::vector<std::string>& pixel_texts,
                                 const std::vector<ShaderAttribute>& attributes) {
    const GLhandleARB vertex = compile_stage(GL_VERTEX_SHADER_ARB, vertex_texts);
    const GLhandleARB pixel = vertex != 0 ? compile_stage(GL_FRAGMENT_SHADER_ARB, pixel_texts) : 0;
    const GLhandleARB program = pixel != 0 ? link_program(vertex, pixel, attributes) : 0;
    if (vertex != 0)
        glDeleteObjectARB(vertex);
    if (pixel != 0)
        glDeleteObjectARB(pixel);
    return program;
}

}  // namespace me
