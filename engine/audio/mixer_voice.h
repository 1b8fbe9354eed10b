#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "audio/sample_ring.h"

namespace me {

// What a voice plays: a whole decoded sample (samples and frames), or a
// stream's ring that its feeder fills until ended is set.
struct VoiceSource {
    const float* samples = nullptr;
    size_t frames = 0;
    SampleRing* ring = nullptr;
    const std::atomic<bool>* ring_ended = nullptr;
    int32_t channels = 1;
    int32_t frequency = 0;
    // The sample or stream the voice belongs to.
    uint32_t owner = 0;
};

// One playback slot of the mixer. Only the mixer touches it, under its lock.
class MixerVoice {
public:
    enum class State : uint8_t { Free, Ready, Playing };

    void start(const VoiceSource& source, uint32_t output_frequency);
    // Adds frames stereo frames to out; the voice frees itself when its
    // source ends.
    void render(float* out, size_t frames);

    void set_frequency(float frequency);
    float frequency() const { return m_frequency; }
    void slide_volume(float target, uint32_t frames);
    bool is_sliding() const { return m_slide_frames > 0; }

    State state = State::Free;
    uint32_t generation = 0;
    float volume = 1.0f;
    float pan = 0.0f;
    bool loop = false;
    VoiceSource source;

private:
    float next_volume();
    bool render_sample_frame(float& left, float& right);
    bool render_stream_frame(float& left, float& right);
    bool pull_stream_frame(float (&frame)[2]);

    uint32_t m_output_frequency = 1;
    float m_frequency = 0.0f;
    // Source position and step in frames, 32.32 fixed point.
    uint64_t m_position = 0;
    uint64_t m_step = 0;
    float m_slide_step = 0.0f;
    float m_slide_target = 0.0f;
    uint32_t m_slide_frames = 0;
    // A stream's two frames around the position; primed once both are read.
    float m_stream_current[2] = {};
    float m_stream_next[2] = {};
    bool m_stream_primed = false;
};

}  // namespace me
