#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "audio/mixer_voice.h"

namespace me {

// A voice handle: the slot in its low bits and the slot's generation above,
// so that a handle to a voice that has ended never reaches its successor.
// 0 is never a handle.
using VoiceHandle = uint32_t;

// The float stereo mixer that the audio callback runs. Every call takes the
// one lock for a short, bounded time; mix() holds it while it renders one
// buffer, which touches only memory allocated before playback started.
class Mixer {
public:
    static constexpr size_t kMaxVoices = 256;

    explicit Mixer(int32_t output_frequency);
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    int32_t output_frequency() const { return m_output_frequency; }

    // A voice that is ready but silent until play; 0 when every slot is taken.
    VoiceHandle allocate(const VoiceSource& source);
    bool play(VoiceHandle handle);
    // Frees the voice; its handle is dead afterwards.
    bool stop(VoiceHandle handle);
    // Allocated and not yet ended.
    bool is_active(VoiceHandle handle) const;
    bool is_sliding(VoiceHandle handle) const;

    bool set_volume(VoiceHandle handle, float volume);
    bool set_pan(VoiceHandle handle, float pan);
    bool set_frequency(VoiceHandle handle, float frequency);
    bool set_loop(VoiceHandle handle, bool loop);
    // Changes the volume linearly to target over milliseconds of output.
    bool slide_volume(VoiceHandle handle, float target, uint32_t milliseconds);
    // The frequency a voice starts with, or 0 for a dead handle.
    float frequency(VoiceHandle handle) const;

    // How many voices of owner are active.
    size_t count_owned(uint32_t owner) const;
    void stop_owned(uint32_t owner);
    void stop_all();

    // Renders frames stereo frames into out, replacing what was there.
    void mix(float* out, size_t frames);
    uint64_t frames_mixed() const { return m_frames_mixed.load(std::memory_order_relaxed); }

private:
    MixerVoice* find(VoiceHandle handle);
    const MixerVoice* find(VoiceHandle handle) const;

    const int32_t m_output_frequency;
    mutable std::mutex m_lock;
    std::array<MixerVoice, kMaxVoices> m_voices{};
    std::atomic<uint64_t> m_frames_mixed{0};
};

}  // namespace me
