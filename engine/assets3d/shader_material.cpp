#include "assets3d/shader_material.h"

#include "core/log.h"
#include "resources/resource_class.h"
#include "resources/resource_def_reader.h"
#include "resources/resource_registry.h"
#include "resources/sprite_def_array.h"

namespace me {

const ClassRecord ShaderMaterial::kClassRecord{"ShaderMaterial", &Material::kClassRecord};

namespace {

const ResourceClass g_shader_material_class(ShaderMaterial::kClassRecord, resource_types::material,
                                            make_resource<ShaderMaterial>);

// How many numbers a uniform of the type takes; 0 for samplers and for the
// array type, whose length the def decides.
size_t fixed_number_count(uint32_t type) {
    switch (type) {
    case kUniformFloat:
        return 1;
    case kUniformVector3f:
        return 3;
    case kUniformVector4f:
        return 4;
    default:
        return 0;
    }
}

const char* expected_value(uint32_t type) {
    switch (type) {
    case kUniformTexture:
    case kUniformCubemap:
        return "a texture name or def";
    case kUniformFloat:
        return "a number";
    case kUniformVector3f:
        return "an array of 3 numbers";
    case kUniformVector4f:
        return "an array of 4 numbers";
    default:
        return "an array of arrays of 4 numbers";
    }
}

bool is_sampler(uint32_t type) { return type == kUniformTexture || type == kUniformCubemap; }

// Exactly count numbers, appended to numbers.
bool append_numbers(const SpriteDefArray& array, size_t count, std::vector<float>& numbers) {
    if (!array.is_array() || array.size() != count)
        return false;
    for (size_t i = 0; i < count; ++i) {
        const std::optional<float> number = array.number(i);
        if (!number)
            return false;
        numbers.push_back(*number);
    }
    return true;
}

}  // namespace

bool ShaderMaterial::load() {
    const DefReader def(resource_vm(), get_def());
    const std::string shader_name = def.string("shader");
    if (shader_name.empty()) {
        log_error(format_message("No shader specified for material '%1'.", get_name()));
        return false;
    }
    m_shader = load_shader_resource(shader_name);
    if (!m_shader || shader() == nullptr) {
        log_error(format_message("Material '%1' can't use shader '%2'.", get_name(), shader_name));
        return false;
    }
    for (const auto* list : {&shader()->samplers(), &shader()->uniforms()}) {
        for (const ShaderUniform& uniform : *list) {
            if (uniform.internal)
                continue;
            MaterialValue value{uniform.property_name, uniform.type, {}, {}};
            if (!read_value(uniform, value)) {
                log_error(format_message("Material '%1' property '%2' must be %3.", get_name(), uniform.property_name,
                                         expected_value(uniform.type)));
                return false;
            }
            m_values.push_back(std::move(value));
        }
    }
    return true;
}

bool ShaderMaterial::read_value(const ShaderUniform& uniform, MaterialValue& value) const {
    const ScriptObject field = def_table_field(get_def(), uniform.property_name);
    if (field.is_null()) {
        if (is_sampler(uniform.type))
            value.texture = load_texture("_white_");
        else
            value.numbers.assign(4, 0.0f);  // enough for one value of any type
        return true;
    }
    return is_sampler(uniform.type) ? read_texture(field, value) : read_numbers(field, value);
}

bool ShaderMaterial::read_texture(const ScriptObject& field, MaterialValue& value) const {
    if (field.type() != OT_STRING && field.type() != OT_TABLE)
        return false;
    value.texture = load_texture_from_def(field);
    return static_cast<bool>(value.texture);
}

bool ShaderMaterial::read_numbers(const ScriptObject& field, MaterialValue& value) const {
    if (value.type == kUniformFloat) {
        if (field.type() != OT_INTEGER && field.type() != OT_FLOAT)
            return false;
        value.numbers.push_back(DefReader(resource_vm(), get_def()).floating(value.property_name.c_str(), 0.0f));
        return true;
    }
    const SpriteDefArray array(resource_vm(), field);
    if (value.type != kUniformVector4fArray)
        return append_numbers(array, fixed_number_count(value.type), value.numbers);
    if (!array.is_array() || array.size() == 0)
        return false;
    for (size_t i = 0; i < array.size(); ++i)
        if (!append_numbers(SpriteDefArray(resource_vm(), array.element(i)), 4, value.numbers))
            return false;
    return true;
}

}  // namespace me
