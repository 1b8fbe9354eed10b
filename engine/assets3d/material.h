#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/resource_ref.h"
#include "resources/resource_object.h"
#include "resources/shader_resource.h"
#include "resources/texture.h"

namespace me {

class RenderDevice;

// What a material gives one shader property: a texture for the sampler
// types, numbers for the others.
struct MaterialValue {
    std::string property_name;
    uint32_t type = 0;
    std::vector<float> numbers;
    ResourceRef<Texture> texture;
};

// The root of the "material" type: a shader and a value for each of its
// properties. It has no factory; the classes a def can name derive from it.
class Material : public ResourceObject {
public:
    static const ClassRecord kClassRecord;

    Material();
    const ClassRecord& class_record() const override { return kClassRecord; }

    // Null until loaded.
    const Shader* shader() const { return m_shader ? m_shader->shader() : nullptr; }
    const std::vector<MaterialValue>& values() const { return m_values; }
    // Null when the material gives the property no value.
    const MaterialValue* value(const std::string& property_name) const;

    // Makes the shader current, binds the textures to its samplers' units
    // and sets its uniforms.
    void apply(RenderDevice& device) const;

protected:
    ResourceRef<ShaderResource> m_shader;
    std::vector<MaterialValue> m_values;
};

ResourceRef<Material> load_material(const std::string& name);

}  // namespace me
