#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace me {

// A whole sound decoded to interleaved floats in -1..1, mono or stereo.
struct PcmSound {
    int32_t frequency = 0;
    int32_t channels = 0;
    std::vector<float> samples;

    size_t frame_count() const { return channels > 0 ? samples.size() / static_cast<size_t>(channels) : 0; }
};

}  // namespace me
