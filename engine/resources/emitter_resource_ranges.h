#pragma once

#include <cstdint>

namespace me {

// A range of an emitter's timing: a draw is min + u * (max - min).
struct EmitterRange {
    float min;
    float max;
};

// A range of counts: a draw is an integer of [min, max], both included.
struct EmitterIntRange {
    int32_t min;
    int32_t max;
};

// A range of a particle's properties: a draw is start + u * extent.
struct ParticleRange {
    float start;
    float extent;
};

}  // namespace me
