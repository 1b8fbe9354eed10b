#pragma once

#include "assets3d/material.h"

namespace me {

class DefReader;

// The material a def of g_material_defs builds: "shader" names the shader
// resource, and every property of the shader that is not internal takes its
// value from the def key of the same name: a texture name or inline texture
// def for "texture" and "cubemap", a number for "float", an array of 3 or 4
// numbers for "vector3f" and "vector4f", an array of such 4-arrays for
// "vector4f[]". A property the def leaves out is zero (white for textures).
class ShaderMaterial : public Material {
public:
    static const ClassRecord kClassRecord;

    const ClassRecord& class_record() const override { return kClassRecord; }
    bool load() override;

private:
    bool read_value(const ShaderUniform& uniform, MaterialValue& value) const;
    bool read_texture(const ScriptObject& field, MaterialValue& value) const;
    bool read_numbers(const ScriptObject& field, MaterialValue& value) const;
};

}  // namespace me
