#include "assets3d/collada_scene_reader.h"

#include <tinyxml.h>

#include <cstring>
#include <optional>
#include <unordered_set>

#include "assets3d/collada_node_transform.h"
#include "assets3d/collada_report.h"
#include "assets3d/collada_text.h"
#include "core/log_format.h"

namespace me {

namespace {

class SceneWalk {
public:
    SceneWalk(const TiXmlElement& root, std::vector<MeshPart>* parts, ColladaScene& scene, ColladaReport& report)
        : m_root(root), m_parts(parts), m_scene(scene), m_report(report) {}

    bool walk_children(const TiXmlElement& parent, const Matrix4& parent_transform) {
        for (const TiXmlElement* child = parent.FirstChildElement(); child != nullptr;
             child = child->NextSiblingElement()) {
            if (std::strcmp(child->Value(), "instance_node") == 0) {
                m_report.error("<instance_node> not supported.");
                return false;
            }
            if (std::strcmp(child->Value(), "node") == 0 && !walk_node(*child, parent_transform))
                return false;
        }
        return true;
    }

private:
    bool walk_node(const TiXmlElement& element, const Matrix4& parent_transform) {
        ColladaNode node{std::string(attribute(element, "id")), std::string(attribute(element, "name")), &element};
        if (m_parts != nullptr && !node.name.empty() && !m_names.insert(node.name).second)
            m_report.warning(format_message(
                "Mesh: Two or more COLLADA nodes have the same name '%1', this may break animations.", node.name));
        m_scene.nodes.push_back(node);
        Matrix4 transform = parent_transform;
        if (m_parts != nullptr) {
            Matrix4 local;
            if (!read_node_transform(element, local, m_report))
                return false;
            transform = parent_transform * local;
            for (const TiXmlElement* instance = element.FirstChildElement("instance_geometry"); instance != nullptr;
                 instance = instance->NextSiblingElement("instance_geometry"))
                if (!place_geometry(*instance, node.name, transform))
                    return false;
        }
        return walk_children(element, transform);
    }

    bool place_geometry(const TiXmlElement& instance, const std::string& node_name, const Matrix4& transform) {
        const std::optional<std::string> geometry_id = fragment_id(attribute(instance, "url"));
        if (!geometry_id) {
            m_report.error("Only local instances supported for <instance_geometry> url of <node>.");
            return false;
        }
        if (child_with_id(m_root.FirstChildElement("library_geometries"), "geometry", *geometry_id) == nullptr) {
            m_report.error(format_message("Geometry '%1' not found.", *geometry_id));
            return false;
        }
        PartPlacement placement{node_name, transform, {}};
        for (size_t index = 0; index < m_parts->size(); ++index)
            if ((*m_parts)[index].geometry_id == *geometry_id)
                placement.parts.push_back(index);
        m_scene.placements.push_back(std::move(placement));
        return bind_materials(instance, *geometry_id);
    }

    bool bind_materials(const TiXmlElement& instance, const std::string& geometry_id) {
        const TiXmlElement* bind = instance.FirstChildElement("bind_material");
        const TiXmlElement* common = bind != nullptr ? bind->FirstChildElement("technique_common") : nullptr;
        if (common == nullptr)
            return true;
        for (const TiXmlElement* material = common->FirstChildElement("instance_material"); material != nullptr;
             material = material->NextSiblingElement("instance_material"))
            if (!bind_material(*material, geometry_id))
                return false;
        return true;
    }

    bool bind_material(const TiXmlElement& instance_material, const std::string& geometry_id) {
        const std::string symbol(attribute(instance_material, "symbol"));
        if (symbol.empty()) {
            m_report.error("Missing symbol in <instance_material>.");
            return false;
        }
        const std::optional<std::string> target = fragment_id(attribute(instance_material, "target"));
        if (!target) {
            m_report.error("Only relative URI material target supported for <instance_material>.");
            return false;
        }
        const TiXmlElement* material =
            child_with_id(m_root.FirstChildElement("library_materials"), "material", *target);
        if (material == nullptr) {
            m_report.error(format_message(
                "Material with id '%1' referenced by geometry material symbol '%2' not found.", *target, symbol));
            return false;
        }
        const std::string name(attribute(*material, "name"));
        if (name.empty())
            m_report.warning(format_message("Material with id '%1' has no name, its mesh parts get an empty symbol.",
                                            *target));
        for (MeshPart& part : *m_parts) {
            if (part.geometry_id == geometry_id && part.source_symbol == symbol) {
                part.material_symbol = name;
                part.material_bound = true;
            }
        }
        return true;
    }

    const TiXmlElement& m_root;
    std::vector<MeshPart>* m_parts;
    ColladaScene& m_scene;
    ColladaReport& m_report;
    std::unordered_set<std::string> m_names;
};

void report_unbound_parts(const std::vector<MeshPart>& parts, ColladaReport& report) {
    for (const MeshPart& part : parts)
        if (!part.material_bound)
            report.warning(format_message("Mesh part %1 of geometry '%2' has no material bound.",
                                          part.index_in_geometry, part.geometry_id));
}

}  // namespace

const ColladaNode* ColladaScene::node_with_id(const std::string& id) const {
    for (const ColladaNode& node : nodes)
        if (node.id == id)
            return &node;
    return nullptr;
}

bool read_collada_scene(const TiXmlElement& root, const Matrix4& up_axis, std::vector<MeshPart>* parts,
                        ColladaScene& scene, ColladaReport& report) {
    const TiXmlElement* scene_element = root.FirstChildElement("scene");
    const TiXmlElement* instance =
        scene_element != nullptr ? scene_element->FirstChildElement("instance_visual_scene") : nullptr;
    if (instance == nullptr)
        return true;
    const std::optional<std::string> id = fragment_id(attribute(*instance, "url"));
    if (!id) {
        report.error("Only relative URI fragmet id supported for visual scene instance.");
        return false;
    }
    const TiXmlElement* visual_scene = child_with_id(root.FirstChildElement("library_visual_scenes"), "visual_scene", *id);
    if (visual_scene == nullptr) {
        report.error(format_message("Visual scene '%1' not found.", *id));
        return false;
    }
    scene.found = true;
    if (!SceneWalk(root, parts, scene, report).walk_children(*visual_scene, up_axis))
        return false;
    if (parts != nullptr)
        report_unbound_parts(*parts, report);
    return true;
}

}  // namespace me
