#include "audio/wav_decoder.h"

#include <SDL.h>

#include <climits>
#include <cstring>
#include <memory>

#include "audio/sound_decoder.h"

namespace me {

namespace {

struct SdlFree {
    void operator()(Uint8* buffer) const { SDL_FreeWAV(buffer); }
};

// SDL keeps its output format; everything with more than one channel is
// mixed as stereo.
int output_channels(int channels) { return channels == 1 ? 1 : 2; }

DecodedSound convert_to_float(const SDL_AudioSpec& spec, const Uint8* data, Uint32 length) {
    SDL_AudioCVT cvt;
    const int channels = output_channels(spec.channels);
    if (SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, AUDIO_F32SYS, static_cast<Uint8>(channels),
                          spec.freq) < 0)
        return decode_failure(AudioError::Format, SDL_GetError());
    const size_t converted_bytes = static_cast<size_t>(length) * static_cast<size_t>(cvt.len_mult);
    if (converted_bytes / sizeof(float) > kMaxDecodedSamples * 2 || length > INT_MAX / 8)
        return decode_failure(AudioError::Memory, "the sound is too long");
    std::unique_ptr<Uint8[]> buffer(new Uint8[converted_bytes]);
    std::memcpy(buffer.get(), data, length);
    cvt.buf = buffer.get();
    cvt.len = static_cast<int>(length);
    if (cvt.needed && SDL_ConvertAudio(&cvt) < 0)
        return decode_failure(AudioError::Format, SDL_GetError());
    const size_t bytes = cvt.needed ? static_cast<size_t>(cvt.len_cvt) : length;
    DecodedSound decoded;
    decoded.sound.frequency = spec.freq;
    decoded.sound.channels = channels;
    decoded.sound.samples.resize(bytes / sizeof(float));
    std::memcpy(decoded.sound.samples.data(), buffer.get(), decoded.sound.samples.size() * sizeof(float));
    return decoded;
}

}  // namespace

DecodedSound decode_wav(std::span<const uint8_t> file) {
    if (file.size() > static_cast<size_t>(INT_MAX))
        return decode_failure(AudioError::Memory, "the file is too large");
    // A data chunk shorter than its header says is an error rather than a
    // silently shortened sound.
    SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "strict");
    SDL_RWops* source = SDL_RWFromConstMem(file.data(), static_cast<int>(file.size()));
    if (source == nullptr)
        return decode_failure(AudioError::Memory, SDL_GetError());
    SDL_AudioSpec spec{};
    Uint8* data = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV_RW(source, 1, &spec, &data, &length) == nullptr)
        return decode_failure(AudioError::FileForm, SDL_GetError());
    const std::unique_ptr<Uint8, SdlFree> owned(data);
    if (spec.freq <= 0 || spec.channels == 0)
        return decode_failure(AudioError::Format, "no frequency or no channels");
    return convert_to_float(spec, data, length);
}

}  // namespace me
