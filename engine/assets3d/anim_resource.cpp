#include "assets3d/anim_resource.h"

#include <algorithm>

#include "assets3d/collada_document.h"
#include "assets3d/collada_report.h"
#include "core/log.h"
#include "core/std_file.h"
#include "resources/resource_class.h"
#include "resources/resource_def_reader.h"
#include "resources/resource_registry.h"

namespace me {

const ClassRecord AnimResource::kClassRecord{"AnimResource", &ResourceObject::kClassRecord};

namespace {

const ResourceClass g_anim_class(AnimResource::kClassRecord, resource_types::anim, make_resource<AnimResource>);

}  // namespace

AnimResource::AnimResource() : ResourceObject(resource_types::anim) {}

bool AnimResource::load() {
    const DefReader def(resource_vm(), get_def());
    const std::string file = def.string("file", get_name());
    std::string text;
    ColladaReport report;
    const bool loaded = StdFile::read_whole(file, text) && load_document(text, report);
    report.write_to_log();
    if (!loaded)
        log_error(format_message("Unable to load anim resource '%1'.", get_name()));
    return loaded;
}

bool AnimResource::load_document(std::string_view text, ColladaReport& report) {
    ColladaDocument document;
    if (!document.read(text, ColladaDocument::Content::Animations, report))
        return false;
    m_tracks = document.tracks();
    return true;
}

const AnimTrack* AnimResource::track_for(const std::string& node_name) const {
    const auto found = std::find_if(m_tracks.begin(), m_tracks.end(),
                                    [&](const AnimTrack& track) { return track.node_name == node_name; });
    return found != m_tracks.end() ? &*found : nullptr;
}

float AnimResource::duration() const {
    float longest = 0.0f;
    for (const AnimTrack& track : m_tracks)
        longest = std::max(longest, track.duration());
    return longest;
}

ResourceRef<AnimResource> load_anim_resource(const std::string& name) {
    return load_resource_as<AnimResource>(resource_types::anim, name);
}

}  // namespace me
