#include "assets3d/anim_track.h"

#include <algorithm>
#include <bit>

#include "assets3d/collada_node_transform.h"

namespace me {

float AnimChannel::sample(float time) const {
    if (times.empty())
        return 0.0f;
    if (time <= times.front())
        return values.front();
    if (time >= times.back())
        return values.back();
    const size_t next = static_cast<size_t>(std::upper_bound(times.begin(), times.end(), time) - times.begin());
    const float span = times[next] - times[next - 1];
    const float t = span > 0.0f ? (time - times[next - 1]) / span : 1.0f;
    return values[next - 1] + (values[next] - values[next - 1]) * t;
}

int anim_component_index(AnimComponent component) { return std::countr_zero(static_cast<uint32_t>(component)); }

float AnimTrack::duration() const {
    float last = 0.0f;
    for (const AnimChannel& channel : channels)
        if (!channel.times.empty())
            last = std::max(last, channel.times.back());
    return last;
}

Vec3 AnimTrack::translation_at(float time) const {
    float axes[3] = {rest_translation.x, rest_translation.y, rest_translation.z};
    for (int axis = 0; axis < 3; ++axis)
        if ((components & (kAnimTranslateX << axis)) != 0)
            axes[axis] = channels[axis].sample(time);
    return {axes[0], axes[1], axes[2]};
}

Quaternion AnimTrack::rotation_at(float time) const {
    Quaternion rotation;
    for (const RotationStep& step : rotations) {
        const uint32_t bit = kAnimRotateX << step.axis;
        const float degrees = (components & bit) != 0 ? channels[3 + step.axis].sample(time) : step.rest_degrees;
        Vec3 axis;
        (step.axis == 0 ? axis.x : step.axis == 1 ? axis.y : axis.z) = 1.0f;
        rotation = rotation * rotation_quaternion(axis, degrees);
    }
    return rotation;
}

}  // namespace me
