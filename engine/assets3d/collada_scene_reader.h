#pragma once

#include <string>
#include <vector>

#include "assets3d/mesh_part.h"

class TiXmlElement;

namespace me {

class ColladaReport;

struct ColladaNode {
    std::string id;
    std::string name;
    // Only while the document is being read.
    const TiXmlElement* element = nullptr;
};

// The node tree of the document's visual scene, flattened in document order.
struct ColladaScene {
    bool found = false;
    std::vector<ColladaNode> nodes;
    std::vector<PartPlacement> placements;

    // Null when no node has the id.
    const ColladaNode* node_with_id(const std::string& id) const;
};

// Reads the visual scene that <scene> instances. With parts (a mesh read)
// the nodes' geometry instances become placements and their material
// bindings name the parts; without, only the nodes are gathered. A document
// without a scene is not an error here: scene.found stays false.
bool read_collada_scene(const TiXmlElement& root, const Matrix4& up_axis, std::vector<MeshPart>* parts,
                        ColladaScene& scene, ColladaReport& report);

}  // namespace me
