#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "assets3d/anim_track.h"
#include "core/resource_ref.h"
#include "resources/resource_object.h"

namespace me {

class ColladaReport;

// The "anim" resource: the node tracks of a COLLADA document's animations.
// Def key: "file" (the document, default the resource name).
class AnimResource : public ResourceObject {
public:
    static const ClassRecord kClassRecord;

    AnimResource();
    const ClassRecord& class_record() const override { return kClassRecord; }
    bool load() override;

    // Builds the tracks from a document's text. False after reporting why.
    bool load_document(std::string_view text, ColladaReport& report);

    const std::vector<AnimTrack>& tracks() const { return m_tracks; }
    // Null when no track animates the node.
    const AnimTrack* track_for(const std::string& node_name) const;
    // The end of the longest track.
    float duration() const;

private:
    std::vector<AnimTrack> m_tracks;
};

ResourceRef<AnimResource> load_anim_resource(const std::string& name);

}  // namespace me
