#include "assets3d/model_resource.h"

#include <optional>
#include <utility>

#include "assets3d/mesh_part_buffers.h"
#include "core/log.h"
#include "gpu/render_device.h"
#include "resources/resource_class.h"
#include "resources/resource_def_reader.h"
#include "resources/resource_registry.h"

namespace me {

const ClassRecord ModelResource::kClassRecord{"ModelResource", &ResourceObject::kClassRecord};

namespace {

const ResourceClass g_model_class(ModelResource::kClassRecord, resource_types::model, make_resource<ModelResource>);

struct MaterialMapping {
    std::string symbol;
    // Nothing when the entry's value is not a name.
    std::optional<std::string> material;
};

std::optional<std::string> string_at(HSQUIRRELVM vm, SQInteger index) {
    const SQChar* text = nullptr;
    if (sq_gettype(vm, index) != OT_STRING || SQ_FAILED(sq_getstring(vm, index, &text)))
        return std::nullopt;
    return std::string(text);
}

// The table's entries, read out before any material loads so that no
// script runs while the table is being walked.
std::vector<MaterialMapping> read_mappings(HSQUIRRELVM vm, const ScriptObject& table) {
    std::vector<MaterialMapping> mappings;
    const SQInteger top = sq_gettop(vm);
    table.push(vm);
    sq_pushnull(vm);
    while (SQ_SUCCEEDED(sq_next(vm, -2))) {
        std::optional<std::string> key = string_at(vm, -2);
        if (!key) {
            sq_tostring(vm, -2);
            key = string_at(vm, -1).value_or("");
            sq_pop(vm, 1);
        }
        mappings.push_back({*key, string_at(vm, -1)});
        sq_pop(vm, 2);
    }
    sq_settop(vm, top);
    return mappings;
}

}  // namespace

ModelResource::ModelResource() : ResourceObject(resource_types::model) {}

bool ModelResource::load() {
    const bool loaded = load_parts();
    if (!loaded)
        log_error(format_message("Unable to load model '%1'.", get_name()));
    return loaded;
}

bool ModelResource::load_parts() {
    const std::string mesh_name = DefReader(resource_vm(), get_def()).string("mesh");
    if (mesh_name.empty()) {
        log_error("No mesh specified for model.");
        return false;
    }
    log_info(format_message("Loading mesh '%1'.", mesh_name));
    m_mesh = load_mesh_resource(mesh_name);
    if (!m_mesh || !assign_materials())
        return false;
    for (const ResourceRef<Material>& material : m_part_materials) {
        if (!material) {
            log_error("Not all mesh parts have materials assigned.");
            return false;
        }
    }
    build_draw_entries();
    return true;
}

bool ModelResource::assign_materials() {
    m_part_materials.assign(m_mesh->parts().size(), {});
    const ScriptObject field = def_table_field(get_def(), "material");
    if (field.type() == OT_TABLE)
        return assign_material_table(field);
    if (field.type() != OT_STRING) {
        log_error("The def's material must be either string or table.");
        return false;
    }
    const ResourceRef<Material> material = load_material(DefReader(resource_vm(), get_def()).string("material"));
    if (!material)
        return false;
    for (ResourceRef<Material>& part_material : m_part_materials)
        part_material = material;
    return true;
}

bool ModelResource::assign_material_table(const ScriptObject& table) {
    for (const MaterialMapping& mapping : read_mappings(resource_vm(), table)) {
        if (!mapping.material) {
            log_error(format_message("Material mapping '%1' invalid.", mapping.symbol));
            return false;
        }
        const ResourceRef<Material> material = load_material(*mapping.material);
        if (!material)
            return false;
        bool used = false;
        for (size_t part = 0; part < m_part_materials.size(); ++part) {
            if (m_mesh->parts()[part].material_symbol == mapping.symbol) {
                m_part_materials[part] = material;
                used = true;
            }
        }
        if (!used)
            log_warning(format_message("Material '%1' not used in any mesh part.", mapping.symbol));
    }
    return true;
}

void ModelResource::build_draw_entries() {
    for (const PartPlacement& placement : m_mesh->placements()) {
        for (const size_t part : placement.parts) {
            const int index_count = static_cast<int>(m_mesh->parts()[part].indices.size());
            if (index_count > 0)
                m_entries.push_back({part, m_part_materials[part].get(), placement.transform, nullptr, index_count});
        }
    }
}

bool ModelResource::prepare_geometry(RenderDevice& device) {
    if (m_geometry_ready)
        return true;
    std::vector<MeshPartBuffers> buffers(m_mesh->parts().size());
    for (ModelDrawEntry& entry : m_entries) {
        MeshPartBuffers& part = buffers[entry.part];
        if (!part.vertices)
            part = upload_mesh_part(device, m_mesh->parts()[entry.part]);
        const Shader* shader = entry.material->shader();
        if (part.vertices && shader != nullptr)
            entry.geometry = device.create_geometry(*shader, {part.vertices, nullptr}, part.indices);
        if (!entry.geometry) {
            log_error(format_message("Model '%1': mesh part %2 can't be laid out for its material's shader.",
                                     get_name(), entry.part));
            return false;
        }
    }
    m_geometry_ready = true;
    return true;
}

ResourceRef<ModelResource> load_model(const std::string& name) {
    return load_resource_as<ModelResource>(resource_types::model, name);
}

}  // namespace me
