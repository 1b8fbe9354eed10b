#include "assets3d/mesh_resource.h"

#include "assets3d/collada_document.h"
#include "assets3d/collada_report.h"
#include "assets3d/tangent_generator.h"
#include "core/log.h"
#include "core/std_file.h"
#include "resources/resource_class.h"
#include "resources/resource_def_reader.h"
#include "resources/resource_registry.h"

namespace me {

const ClassRecord MeshResource::kClassRecord{"MeshResource", &ResourceObject::kClassRecord};

namespace {

const ResourceClass g_mesh_class(MeshResource::kClassRecord, resource_types::mesh, make_resource<MeshResource>);

}  // namespace

MeshResource::MeshResource() : ResourceObject(resource_types::mesh) {}

bool MeshResource::load() {
    const DefReader def(resource_vm(), get_def());
    const std::string file = def.string("file", get_name());
    const bool generate_tangents = def.boolean("generate_tangents", true);
    std::string text;
    ColladaReport report;
    const bool loaded = StdFile::read_whole(file, text) && load_document(text, generate_tangents, report);
    report.write_to_log();
    if (!loaded)
        log_error(format_message("Unable to load mesh resource '%1'.", get_name()));
    return loaded;
}

bool MeshResource::load_document(std::string_view text, bool generate_tangents, ColladaReport& report) {
    ColladaDocument document;
    if (!document.read(text, ColladaDocument::Content::Meshes, report))
        return false;
    if (!document.scene().found) {
        report.error("No visual scene found in COLLADA file.");
        return false;
    }
    if (document.scene().placements.size() > kMaxPlacements) {
        report.error(format_message("Too many mesh part placements, only %1 allowed at maximum.", kMaxPlacements));
        return false;
    }
    for (MeshPart& part : document.parts())
        if (!prepare_tangents(part, generate_tangents, report))
            return false;
    m_parts = std::move(document.parts());
    m_placements = document.scene().placements;
    return true;
}

// Tangents are kept only as a full frame with normals, and made when asked
// for and missing.
bool MeshResource::prepare_tangents(MeshPart& part, bool generate_tangents, ColladaReport& report) {
    const bool has_tangent_data = !part.tangents.empty() || !part.binormals.empty();
    if (has_tangent_data && (part.normals.empty() || part.tangents.empty() || part.binormals.empty())) {
        report.warning(
            "Mesh: Tangents/binormals are available but normals/binormals/tangents are not. Tangents/binormals will "
            "be ignored.");
        part.tangents.clear();
        part.binormals.clear();
    }
    if (!generate_tangents || !part.tangents.empty())
        return true;
    if (part.normals.empty() || part.texcoords.empty()) {
        report.error(
            "Can't generate tangents and binormals because the mesh doesn't have normals and/or texture "
            "coordinates.");
        return false;
    }
    generate_tangents_for(part, report);
    return true;
}

ResourceRef<MeshResource> load_mesh_resource(const std::string& name) {
    return load_resource_as<MeshResource>(resource_types::mesh, name);
}

}  // namespace me
