#pragma once

#include <memory>
#include <string>

#include "core/resource_ref.h"
#include "gpu/shader.h"
#include "resources/resource_object.h"

namespace me {

// The "shader" resource (class "Shader" to scripts and defs): a GLSL program
// built from a def of g_shader_defs, with its attributes, samplers and
// uniforms. The program itself is a Shader, which the render device uses.
class ShaderResource : public ResourceObject {
public:
    static const ClassRecord kClassRecord;

    ShaderResource();
    ~ShaderResource() override;
    const ClassRecord& class_record() const override { return kClassRecord; }
    bool load() override;

    // Null until loaded.
    const Shader* shader() const { return m_shader.get(); }

private:
    std::unique_ptr<Shader> m_shader;
};

ResourceRef<ShaderResource> load_shader_resource(const std::string& name);

}  // namespace me
