#pragma once

#include <string_view>
#include <vector>

#include "assets3d/anim_track.h"
#include "assets3d/collada_scene_reader.h"
#include "assets3d/mesh_part.h"

namespace me {

class ColladaReport;

// The accepted subset of one COLLADA 1.4 document: the mesh parts of its
// geometries and where the scene places them, or the node tracks of its
// animations. Never trusts the bytes: anything outside the subset is
// reported and refused.
class ColladaDocument {
public:
    enum class Content { Meshes, Animations };
    // Deeper element nesting is refused before parsing, since the XML parser
    // recurses once per level.
    static constexpr int kMaxNesting = 256;

    // False after reporting why the document is refused.
    bool read(std::string_view text, Content content, ColladaReport& report);

    std::vector<MeshPart>& parts() { return m_parts; }
    const std::vector<MeshPart>& parts() const { return m_parts; }
    const ColladaScene& scene() const { return m_scene; }
    const std::vector<AnimTrack>& tracks() const { return m_tracks; }

private:
    std::vector<MeshPart> m_parts;
    ColladaScene m_scene;
    std::vector<AnimTrack> m_tracks;
};

}  // namespace me
