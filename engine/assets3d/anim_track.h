#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/float_vector.h"

namespace me {

// The six transform components a track can animate, one bit each.
enum AnimComponent : uint32_t {
    kAnimTranslateX = 1u << 0,
    kAnimTranslateY = 1u << 1,
    kAnimTranslateZ = 1u << 2,
    kAnimRotateX = 1u << 3,
    kAnimRotateY = 1u << 4,
    kAnimRotateZ = 1u << 5,
};

// Keys of one component, linearly interpolated; times never decrease from
// the first key to the last.
struct AnimChannel {
    std::vector<float> times;
    std::vector<float> values;

    // The first value before the first key, the last after the last.
    float sample(float time) const;
};

// The animation of one named node: its rest pose and the channels of the
// components it animates. Rotations are about the document's principal axes
// and compose in the order the node lists them.
struct AnimTrack {
    static constexpr size_t kMaxTracks = 256;

    struct RotationStep {
        int axis = 0;  // 0 x, 1 y, 2 z
        float rest_degrees = 0.0f;
    };

    std::string node_name;
    uint32_t components = 0;
    Vec3 rest_translation;
    Quaternion rest_rotation;
    std::vector<RotationStep> rotations;
    // Indexed by the bit number of the component.
    std::array<AnimChannel, 6> channels;

    bool animates(AnimComponent component) const { return (components & component) != 0; }
    // The time of the last key of any channel.
    float duration() const;
    Vec3 translation_at(float time) const;
    Quaternion rotation_at(float time) const;
};

// The bit number of a single component bit.
int anim_component_index(AnimComponent component);

}  // namespace me
