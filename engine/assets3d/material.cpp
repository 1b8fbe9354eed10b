#include "assets3d/material.h"

#include <algorithm>

#include "gpu/render_device.h"
#include "resources/resource_class.h"
#include "resources/resource_registry.h"

namespace me {

const ClassRecord Material::kClassRecord{"Material", &ResourceObject::kClassRecord};

namespace {

const ResourceClass g_material_class(Material::kClassRecord, resource_types::material, nullptr);

}  // namespace

Material::Material() : ResourceObject(resource_types::material) {}

const MaterialValue* Material::value(const std::string& property_name) const {
    const auto found = std::find_if(m_values.begin(), m_values.end(),
                                    [&](const MaterialValue& v) { return v.property_name == property_name; });
    return found != m_values.end() ? &*found : nullptr;
}

void Material::apply(RenderDevice& device) const {
    const Shader* program = shader();
    device.set_shader(program);
    if (program == nullptr)
        return;
    for (const ShaderUniform& sampler : program->samplers()) {
        const MaterialValue* texture = value(sampler.property_name);
        const TextureTarget target = sampler.type == kUniformCubemap ? TextureTarget::CubeMap : TextureTarget::Texture2D;
        device.bind_texture(sampler.unit, target, texture != nullptr && texture->texture ? texture->texture->gl_name() : 0);
    }
    for (const MaterialValue& uniform : m_values)
        if (!uniform.numbers.empty())
            program->set_uniform(uniform.property_name, uniform.numbers);
}

ResourceRef<Material> load_material(const std::string& name) {
    return load_resource_as<Material>(resource_types::material, name);
}

}  // namespace me
