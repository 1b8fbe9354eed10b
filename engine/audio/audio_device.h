#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include "audio/audio_error.h"
#include "audio/mixer.h"

namespace me {

// The SDL output device that pulls float stereo buffers from a mixer. SDL
// converts them to whatever the hardware wants.
class AudioDevice {
public:
    // The buffer SDL is asked for, in frames: about 12 ms at 22050 Hz, so
    // that a sound starts within two buffers (under 25 ms) of its play call.
    static constexpr uint16_t kBufferFrames = 256;

    AudioDevice() = default;
    ~AudioDevice() { close(); }
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    // The output devices SDL reports, in its order. Starts SDL's audio
    // subsystem if it is not running.
    static std::vector<std::string> output_names();

    // device: -1 the default output, n > 0 the n-th of output_names().
    AudioError open(int32_t device, Mixer& mixer);
    void close();
    bool is_open() const { return m_device != 0; }

    uint32_t buffer_frames() const { return m_obtained.samples; }
    int32_t frequency() const { return m_obtained.freq; }

private:
    static void callback(void* mixer, Uint8* stream, int length);

    SDL_AudioDeviceID m_device = 0;
    SDL_AudioSpec m_obtained{};
    bool m_started_subsystem = false;
};

}  // namespace me
