#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "assets3d/mesh_part.h"
#include "core/resource_ref.h"
#include "resources/resource_object.h"

namespace me {

class ColladaReport;

// The "mesh" resource: the triangle parts of a COLLADA document and the
// placements of its scene. Def keys: "file" (the document, default the
// resource name) and "generate_tangents" (default true).
class MeshResource : public ResourceObject {
public:
    static const ClassRecord kClassRecord;
    static constexpr size_t kMaxPlacements = 127;

    MeshResource();
    const ClassRecord& class_record() const override { return kClassRecord; }
    bool load() override;

    // Builds the mesh from a document's text; what load does after reading
    // the def and the file. False after reporting why.
    bool load_document(std::string_view text, bool generate_tangents, ColladaReport& report);

    const std::vector<MeshPart>& parts() const { return m_parts; }
    const std::vector<PartPlacement>& placements() const { return m_placements; }

private:
    bool prepare_tangents(MeshPart& part, bool generate_tangents, ColladaReport& report);

    std::vector<MeshPart> m_parts;
    std::vector<PartPlacement> m_placements;
};

ResourceRef<MeshResource> load_mesh_resource(const std::string& name);

}  // namespace me
