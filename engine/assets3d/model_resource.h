#pragma once

#include <memory>
#include <string>
#include <vector>

#include "assets3d/material.h"
#include "assets3d/mesh_resource.h"
#include "core/resource_ref.h"
#include "gpu/vertex_array_geometry.h"
#include "resources/resource_object.h"

namespace me {

class RenderDevice;

// One draw of a model: a mesh part where a placement puts it, with the
// material of that part.
struct ModelDrawEntry {
    size_t part = 0;
    const Material* material = nullptr;
    Matrix4 transform;
    // Made for the material's shader on the first draw.
    std::shared_ptr<VertexGeometry> geometry;
    int index_count = 0;
};

// The "model" resource: a mesh and one material per mesh part. Def keys:
// "mesh" (required) and "material", either one material name for every
// part or a table from material symbol to material name.
class ModelResource : public ResourceObject {
public:
    static const ClassRecord kClassRecord;

    ModelResource();
    const ClassRecord& class_record() const override { return kClassRecord; }
    bool load() override;

    const MeshResource* mesh() const { return m_mesh.get(); }
    // One per mesh part, in part order.
    const std::vector<ResourceRef<Material>>& part_materials() const { return m_part_materials; }
    const std::vector<ModelDrawEntry>& draw_entries() const { return m_entries; }
    // Gives every draw entry its vertex geometry; false when the device
    // cannot lay a part out for its material's shader.
    bool prepare_geometry(RenderDevice& device);

private:
    bool load_parts();
    bool assign_materials();
    bool assign_material_table(const ScriptObject& table);
    void build_draw_entries();

    ResourceRef<MeshResource> m_mesh;
    std::vector<ResourceRef<Material>> m_part_materials;
    std::vector<ModelDrawEntry> m_entries;
    bool m_geometry_ready = false;
};

ResourceRef<ModelResource> load_model(const std::string& name);

}  // namespace me
