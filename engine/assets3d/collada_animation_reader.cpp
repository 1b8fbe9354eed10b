#include "assets3d/collada_animation_reader.h"

#include <tinyxml.h>

#include <cstring>
#include <deque>
#include <optional>
#include <string>

#include "assets3d/collada_node_transform.h"
#include "assets3d/collada_report.h"
#include "assets3d/collada_scene_reader.h"
#include "assets3d/collada_source.h"
#include "assets3d/collada_text.h"
#include "core/log_format.h"

namespace me {

namespace {

// "node/element.component"
struct ChannelTarget {
    std::string node_id;
    std::string element_sid;
    std::string component;
};

std::optional<ChannelTarget> parse_target(const std::string& target) {
    const size_t slash = target.find('/');
    const size_t dot = slash == std::string::npos ? std::string::npos : target.find('.', slash);
    if (slash == 0 || slash == std::string::npos || dot == std::string::npos || dot == slash + 1 ||
        dot + 1 == target.size())
        return std::nullopt;
    return ChannelTarget{target.substr(0, slash), target.substr(slash + 1, dot - slash - 1), target.substr(dot + 1)};
}

// The principal axis (0-2) of a rotate element, or -1 for any other axis.
int principal_axis(const std::vector<float>& rotate) {
    for (int axis = 0; axis < 3; ++axis) {
        bool principal = true;
        for (int other = 0; other < 3; ++other)
            principal = principal && rotate[other] == (other == axis ? 1.0f : 0.0f);
        if (principal)
            return axis;
    }
    return -1;
}

// The component bit a channel animates, or nothing when the track cannot
// represent it.
std::optional<AnimComponent> component_of(const TiXmlElement& node, const ChannelTarget& target) {
    for (const TiXmlElement* child = node.FirstChildElement(); child != nullptr; child = child->NextSiblingElement()) {
        if (attribute(*child, "sid") != target.element_sid)
            continue;
        const std::vector<float> values = parse_float_list(element_text(*child));
        if (std::strcmp(child->Value(), "translate") == 0 && target.component.size() == 1 &&
            target.component[0] >= 'X' && target.component[0] <= 'Z')
            return static_cast<AnimComponent>(kAnimTranslateX << (target.component[0] - 'X'));
        if (std::strcmp(child->Value(), "rotate") == 0 && target.component == "ANGLE" && values.size() == 4 &&
            principal_axis(values) >= 0)
            return static_cast<AnimComponent>(kAnimRotateX << principal_axis(values));
        return std::nullopt;
    }
    return std::nullopt;
}

class AnimationReader {
public:
    AnimationReader(const ColladaScene& scene, std::vector<AnimTrack>& tracks, ColladaReport& report)
        : m_scene(scene), m_tracks(tracks), m_report(report) {}

    bool read_animation(const TiXmlElement& animation) {
        std::deque<ColladaSource> sources;
        for (const TiXmlElement* element = animation.FirstChildElement("source"); element != nullptr;
             element = element->NextSiblingElement("source")) {
            std::optional<ColladaSource> source = ColladaSource::read(*element, true, m_report);
            if (!source)
                return false;
            sources.push_back(std::move(*source));
        }
        for (const TiXmlElement* channel = animation.FirstChildElement("channel"); channel != nullptr;
             channel = channel->NextSiblingElement("channel"))
            if (!read_channel(animation, sources, *channel))
                return false;
        for (const TiXmlElement* child = animation.FirstChildElement("animation"); child != nullptr;
             child = child->NextSiblingElement("animation"))
            if (!read_animation(*child))
                return false;
        return true;
    }

private:
    const TiXmlElement* find_sampler(const TiXmlElement& animation, const TiXmlElement& channel) {
        const std::string_view reference = attribute(channel, "source");
        if (reference.empty()) {
            m_report.error("Source sampler not specified for animation channel.");
            return nullptr;
        }
        const std::optional<std::string> id = fragment_id(reference);
        if (!id) {
            m_report.error("Only local source samplers supported for animation channel.");
            return nullptr;
        }
        const TiXmlElement* sampler = child_with_id(&animation, "sampler", *id);
        if (sampler == nullptr)
            m_report.error(format_message("Can't find animation channel sampler '%1'.", *id));
        return sampler;
    }

    static const ColladaSource* sampler_input(const TiXmlElement& sampler, const std::deque<ColladaSource>& sources,
                                              const char* semantic) {
        for (const TiXmlElement* input = sampler.FirstChildElement("input"); input != nullptr;
             input = input->NextSiblingElement("input")) {
            if (attribute(*input, "semantic") != semantic)
                continue;
            const std::optional<std::string> id = fragment_id(attribute(*input, "source"));
            for (const ColladaSource& source : sources)
                if (id && source.id() == *id)
                    return &source;
        }
        return nullptr;
    }

    bool read_keys(const TiXmlElement& sampler, const std::deque<ColladaSource>& sources, const std::string& target,
                   AnimChannel& keys) {
        const ColladaSource* input = sampler_input(sampler, sources, "INPUT");
        const ColladaSource* output = sampler_input(sampler, sources, "OUTPUT");
        const ColladaSource* interpolation = sampler_input(sampler, sources, "INTERPOLATION");
        if (input == nullptr || output == nullptr)
            return fail(format_message("Missing INPUT and/or OUTPUT source for animation channel '%1'.", target));
        if (interpolation == nullptr)
            return fail(format_message("Missing INTERPOLATION source for animation channel '%1'.", target));
        const size_t keys_count = input->value_count();
        if (input->kind() != ColladaSource::Kind::Floats || input->stride() != 1 || keys_count == 0)
            return fail(format_message("Invalid number of INPUT source values for animation channel '%1'.", target));
        if (output->kind() != ColladaSource::Kind::Floats || output->value_count() != keys_count)
            return fail(format_message("Invalid number of OUTPUT source values for animation channel '%1'.", target));
        if (interpolation->kind() != ColladaSource::Kind::Names || interpolation->value_count() != keys_count)
            return fail(
                format_message("Invalid number of INTERPOLATION source values for animation channel '%1'.", target));
        for (const std::string& name : interpolation->names())
            if (name != "LINEAR")
                return fail(format_message("Unsupported interpolation %1 for animation channel '%2'.", name, target));
        if (input->floats().back() - input->floats().front() < 0.0f)
            return fail(format_message("Negative duration for animation channel '%1'.", target));
        keys.times = input->floats();
        keys.values = output->floats();
        return true;
    }

    bool read_channel(const TiXmlElement& animation, const std::deque<ColladaSource>& sources,
                      const TiXmlElement& channel) {
        const TiXmlElement* sampler = find_sampler(animation, channel);
        if (sampler == nullptr)
            return false;
        const std::string target_text(attribute(channel, "target"));
        if (target_text.empty())
            return fail("Target of animation channel not specified.");
        const std::optional<ChannelTarget> target = parse_target(target_text);
        if (!target)
            return fail("Invalid target of animation channel, expected 'box/translate.X' format.");
        const ColladaNode* node = m_scene.node_with_id(target->node_id);
        if (node == nullptr)
            return fail(format_message("Can't find animation channel target node '%1'.", target->node_id));
        if (node->name.empty()) {
            m_report.warning(format_message("Anim: Animation channel target node '%1' has no name, channel ignored.",
                                            target->node_id));
            return true;
        }
        AnimChannel keys;
        if (!read_keys(*sampler, sources, target_text, keys))
            return false;
        const std::optional<AnimComponent> component = component_of(*node->element, *target);
        if (!component) {
            m_report.warning(
                format_message("Anim: Ignoring unsupported transformations from COLLADA node '%1'.", node->name));
            return true;
        }
        AnimTrack* track = track_for(*node);
        if (track == nullptr)
            return false;
        track->components |= *component;
        track->channels[anim_component_index(*component)] = std::move(keys);
        return true;
    }

    AnimTrack* track_for(const ColladaNode& node) {
        for (AnimTrack& track : m_tracks)
            if (track.node_name == node.name)
                return &track;
        if (m_tracks.size() == AnimTrack::kMaxTracks) {
            fail(format_message("Too many animation tracks, only %1 allowed at maximum.", AnimTrack::kMaxTracks));
            return nullptr;
        }
        m_tracks.push_back(rest_track(node));
        return &m_tracks.back();
    }

    // The node's rest pose in the terms a track keeps: translations and
    // rotations about principal axes; anything else is left out with a
    // warning.
    AnimTrack rest_track(const ColladaNode& node) {
        AnimTrack track;
        track.node_name = node.name;
        bool ignored = false;
        for (const TiXmlElement* child = node.element->FirstChildElement(); child != nullptr;
             child = child->NextSiblingElement()) {
            const std::vector<float> values = parse_float_list(element_text(*child));
            if (std::strcmp(child->Value(), "translate") == 0 && values.size() == 3) {
                track.rest_translation = track.rest_translation + Vec3{values[0], values[1], values[2]};
            } else if (std::strcmp(child->Value(), "rotate") == 0 && values.size() == 4 &&
                       principal_axis(values) >= 0) {
                track.rotations.push_back({principal_axis(values), values[3]});
            } else {
                ignored = ignored || is_transform_element(child->Value());
            }
        }
        if (ignored)
            m_report.warning(
                format_message("Anim: Ignoring unsupported transformations from COLLADA node '%1'.", node.name));
        track.rest_rotation = track.rotation_at(-1.0f);
        return track;
    }

    bool fail(std::string message) {
        m_report.error(std::move(message));
        return false;
    }

    const ColladaScene& m_scene;
    std::vector<AnimTrack>& m_tracks;
    ColladaReport& m_report;
};

}  // namespace

bool read_collada_animations(const TiXmlElement& root, const ColladaScene& scene, std::vector<AnimTrack>& tracks,
                             ColladaReport& report) {
    const TiXmlElement* library = root.FirstChildElement("library_animations");
    if (library == nullptr)
        return true;
    AnimationReader reader(scene, tracks, report);
    for (const TiXmlElement* animation = library->FirstChildElement("animation"); animation != nullptr;
         animation = animation->NextSiblingElement("animation"))
        if (!reader.read_animation(*animation))
            return false;
    return true;
}

}  // namespace me
