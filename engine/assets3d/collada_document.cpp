#include "assets3d/collada_document.h"

#include <tinyxml.h>

#include <string>

#include "assets3d/collada_animation_reader.h"
#include "assets3d/collada_geometry_reader.h"
#include "assets3d/collada_node_transform.h"
#include "assets3d/collada_report.h"
#include "assets3d/collada_text.h"
#include "core/log_format.h"

namespace me {

namespace {

// The deepest element nesting of the text, counted from its tags; comments
// and character data may make it count high, never low.
int nesting_depth(std::string_view text) {
    int depth = 0;
    int deepest = 0;
    for (size_t at = 0; at + 1 < text.size(); ++at) {
        if (text[at] == '<' && text[at + 1] == '/') {
            --depth;
        } else if (text[at] == '<' && text[at + 1] != '!' && text[at + 1] != '?') {
            deepest = std::max(deepest, ++depth);
        } else if (text[at] == '/' && text[at + 1] == '>') {
            --depth;
        }
    }
    return deepest;
}

std::string_view up_axis_text(const TiXmlElement& root) {
    const TiXmlElement* asset = root.FirstChildElement("asset");
    const TiXmlElement* up_axis = asset != nullptr ? asset->FirstChildElement("up_axis") : nullptr;
    return up_axis != nullptr ? element_text(*up_axis) : std::string_view();
}

}  // namespace

bool ColladaDocument::read(std::string_view text, Content content, ColladaReport& report) {
    if (nesting_depth(text) > kMaxNesting) {
        report.error(format_message("COLLADA document nests elements deeper than %1 levels.", kMaxNesting));
        return false;
    }
    TiXmlDocument xml;
    xml.Parse(std::string(text).c_str());
    if (xml.Error()) {
        report.error(format_message("COLLADA document is not valid XML: %1 (line %2, column %3).", xml.ErrorDesc(),
                                    xml.ErrorRow(), xml.ErrorCol()));
        return false;
    }
    const TiXmlElement* root = xml.RootElement();
    if (root == nullptr || std::string_view(root->Value()) != "COLLADA") {
        report.error("COLLADA element not found.");
        return false;
    }
    const Matrix4 up_axis = up_axis_matrix(up_axis_text(*root));
    const bool read = content == Content::Meshes
                          ? read_collada_geometries(root->FirstChildElement("library_geometries"), m_parts, report) &&
                                read_collada_scene(*root, up_axis, &m_parts, m_scene, report)
                          : read_collada_scene(*root, up_axis, nullptr, m_scene, report) &&
                                read_collada_animations(*root, m_scene, m_tracks, report);
    // The elements go with the parsed XML.
    for (ColladaNode& node : m_scene.nodes)
        node.element = nullptr;
    return read;
}

}  // namespace me
