#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "audio/audio_device.h"
#include "audio/audio_error.h"
#include "audio/mixer.h"
#include "audio/pcm_sound.h"
#include "audio/sample_ring.h"
#include "audio/stream_decoder.h"

namespace me {

// 0 is never a sample.
using SampleId = uint32_t;

// The engine's sound library: an output device, decoded samples that hand
// out playbacks, streams decoded from files while they play, and the
// attributes of each playback. Every call is made from the engine's thread;
// a failed call answers false or 0 and leaves its reason in last_error().
class SoundLibrary {
public:
    static constexpr int32_t kMixFrequency = 22050;
    // Milliseconds on a steady clock; replaceable so that tests control time.
    using Clock = uint32_t (*)();

    SoundLibrary();
    ~SoundLibrary();
    SoundLibrary(const SoundLibrary&) = delete;
    SoundLibrary& operator=(const SoundLibrary&) = delete;

    // device: -1 the default output, n > 0 the n-th output device.
    bool init(int32_t device);
    // Mixing without an output device: the owner pulls buffers through
    // render() and feeds streams itself. For tests and measurements.
    bool init_offline();
    // Stops everything, frees every sample and stream, closes the device.
    void free();
    bool is_initialised() const { return m_mixer != nullptr; }
    AudioError last_error() const { return m_error; }
    void set_clock(Clock clock) { m_clock = clock; }

    // Index 0 is "No sound"; index n is the n-th output device.
    static std::vector<std::string> device_names();
    uint32_t buffer_milliseconds() const;

    // A sample that allows at most max_playbacks voices at once.
    SampleId sample_load(std::span<const uint8_t> file, uint32_t max_playbacks, std::string* detail = nullptr);
    bool sample_set_min_gap(SampleId sample, uint32_t milliseconds);
    std::optional<uint32_t> sample_min_gap(SampleId sample) const;
    // A new voice of the sample; NoChannel while max_playbacks are active
    // or the minimum gap since the last one has not passed.
    VoiceHandle sample_get_channel(SampleId sample);
    bool sample_free(SampleId sample);
    // A stream voice for a file, freed once it has played to its end.
    VoiceHandle stream_create_file(const std::string& path);

    bool channel_set_loop(VoiceHandle channel, bool loop);
    bool channel_set_frequency(VoiceHandle channel, float frequency);
    float channel_frequency(VoiceHandle channel) const;
    bool channel_set_volume(VoiceHandle channel, float volume);
    bool channel_set_pan(VoiceHandle channel, float pan);
    bool channel_play(VoiceHandle channel);
    bool channel_is_active(VoiceHandle channel) const;
    bool channel_slide_volume(VoiceHandle channel, float target, uint32_t milliseconds);
    bool channel_is_sliding(VoiceHandle channel) const;
    bool channel_stop(VoiceHandle channel);

    // Frees the streams that have ended; once per frame.
    void update();
    // Decodes ahead for every stream; the feeder thread calls it, offline
    // owners call it themselves.
    void feed_streams();
    // Mixes frames stereo frames (offline only).
    void render(float* out, size_t frames);
    // Frames the mixer has produced so far, by the device or by render().
    uint64_t frames_mixed() const { return is_initialised() ? m_mixer->frames_mixed() : 0; }

private:
    struct Sample {
        std::unique_ptr<PcmSound> sound;
        uint32_t max_playbacks = 0;
        uint32_t min_gap = 0;
        std::optional<uint32_t> last_channel_at;
    };
    struct Stream {
        std::unique_ptr<StreamDecoder> decoder;
        std::unique_ptr<SampleRing> ring;
        std::atomic<bool> ended{false};
        std::atomic<bool> loop{false};
        VoiceHandle voice = 0;
    };

    bool fail(AudioError error);
    // The failed call's answer when it hands out samples or voices.
    uint32_t fail_with_none(AudioError error);
    bool check_voice(bool found);
    void fill(Stream& stream);
    void free_stream(VoiceHandle voice);
    void run_feeder();

    AudioError m_error = AudioError::Ok;
    Clock m_clock;
    std::unique_ptr<Mixer> m_mixer;
    AudioDevice m_device;
    uint32_t m_next_owner = 1;
    std::unordered_map<SampleId, Sample> m_samples;

    // Held by the engine's thread and the feeder, never by the callback.
    std::mutex m_streams_lock;
    std::vector<std::unique_ptr<Stream>> m_streams;
    std::vector<float> m_feed_buffer;

    std::thread m_feeder;
    std::mutex m_feeder_lock;
    std::condition_variable m_feeder_wake;
    bool m_feeder_stop = false;
};

}  // namespace me
