#include "audio/audio_device.h"

namespace me {

namespace {

constexpr int kOutputs = 0;
constexpr int kStereo = 2;

bool start_subsystem() { return SDL_WasInit(SDL_INIT_AUDIO) != 0 || SDL_InitSubSystem(SDL_INIT_AUDIO) == 0; }

}  // namespace

std::vector<std::string> AudioDevice::output_names() {
    std::vector<std::string> names;
    if (!start_subsystem())
        return names;
    const int count = SDL_GetNumAudioDevices(kOutputs);
    for (int i = 0; i < count; ++i) {
        const char* name = SDL_GetAudioDeviceName(i, kOutputs);
        names.emplace_back(name != nullptr ? name : "");
    }
    return names;
}

AudioError AudioDevice::open(int32_t device, Mixer& mixer) {
    if (is_open())
        return AudioError::Already;
    m_started_subsystem = SDL_WasInit(SDL_INIT_AUDIO) == 0;
    if (!start_subsystem())
        return AudioError::Driver;
    const char* name = nullptr;
    if (device > 0) {
        if (device > SDL_GetNumAudioDevices(kOutputs)) {
            close();
            return AudioError::Device;
        }
        name = SDL_GetAudioDeviceName(device - 1, kOutputs);
    }
    SDL_AudioSpec wanted{};
    wanted.freq = mixer.output_frequency();
    wanted.format = AUDIO_F32SYS;
    wanted.channels = kStereo;
    wanted.samples = kBufferFrames;
    wanted.callback = callback;
    wanted.userdata = &mixer;
    m_device = SDL_OpenAudioDevice(name, kOutputs, &wanted, &m_obtained, 0);
    if (m_device == 0) {
        close();
        return AudioError::Device;
    }
    SDL_PauseAudioDevice(m_device, 0);
    return AudioError::Ok;
}

void AudioDevice::close() {
    if (m_device != 0)
        SDL_CloseAudioDevice(m_device);
    m_device = 0;
    if (m_started_subsystem)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_started_subsystem = false;
}

void AudioDevice::callback(void* mixer, Uint8* stream, int length) {
    static_cast<Mixer*>(mixer)->mix(reinterpret_cast<float*>(stream),
                                    static_cast<size_t>(length) / (kStereo * sizeof(float)));
}

}  // namespace me
