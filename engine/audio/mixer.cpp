#include "audio/mixer.h"

#include <algorithm>

namespace me {

namespace {

constexpr uint32_t kSlotBits = 9;
constexpr uint32_t kSlotMask = (1u << kSlotBits) - 1;
static_assert(Mixer::kMaxVoices < kSlotMask, "slot numbers start at 1 so that no handle is 0");

VoiceHandle handle_of(size_t slot, uint32_t generation) {
    return (generation << kSlotBits) | static_cast<uint32_t>(slot + 1);
}

}  // namespace

Mixer::Mixer(int32_t output_frequency) : m_output_frequency(output_frequency) {}

MixerVoice* Mixer::find(VoiceHandle handle) {
    const uint32_t slot = handle & kSlotMask;
    if (slot == 0 || slot > kMaxVoices)
        return nullptr;
    MixerVoice& voice = m_voices[slot - 1];
    const bool alive = voice.state != MixerVoice::State::Free &&
                       (voice.generation & (~0u >> kSlotBits)) == handle >> kSlotBits;
    return alive ? &voice : nullptr;
}

const MixerVoice* Mixer::find(VoiceHandle handle) const { return const_cast<Mixer*>(this)->find(handle); }

VoiceHandle Mixer::allocate(const VoiceSource& source) {
    const std::lock_guard lock(m_lock);
    for (size_t slot = 0; slot < kMaxVoices; ++slot) {
        MixerVoice& voice = m_voices[slot];
        if (voice.state != MixerVoice::State::Free)
            continue;
        voice.generation = (voice.generation + 1) & (~0u >> kSlotBits);
        voice.start(source, static_cast<uint32_t>(m_output_frequency));
        return handle_of(slot, voice.generation);
    }
    return 0;
}

bool Mixer::play(VoiceHandle handle) {
    const std::lock_guard lock(m_lock);
    MixerVoice* voice = find(handle);
    if (voice != nullptr)
        voice->state = MixerVoice::State::Playing;
    return voice != nullptr;
}

bool Mixer::stop(VoiceHandle handle) {
    const std::lock_guard lock(m_lock);
    MixerVoice* voice = find(handle);
    if (voice != nullptr)
        voice->state = MixerVoice::State::Free;
    return voice != nullptr;
}

bool Mixer::is_active(VoiceHandle handle) const {
    const std::lock_guard lock(m_lock);
    return find(handle) != nullptr;
}

bool Mixer::is_sliding(VoiceHandle handle) const {
    const std::lock_guard lock(m_lock);
    const MixerVoice* voice = find(handle);
    return voice != nullptr && voice->is_sliding();
}

bool Mixer::set_volume(VoiceHandle handle, float volume) {
    const std::lock_guard lock(m_lock);
    MixerVoice* voice = find(handle);
    if (voice != nullptr)
        voice->slide_volume(std::clamp(volume, 0.0f, 1.0f), 0);
    return voice != nullptr;
}

bool Mixer::set_pan(VoiceHandle handle, float pan) {
    const std::lock_guard lock(m_lock);
    MixerVoice* voice = find(handle);
    if (voice != nullptr)
        voice->pan = std::clamp(pan, -1.0f, 1.0f);
    return voice != nullptr;
}

bool Mixer::set_frequency(VoiceHandle handle, float frequency) {
    const std::lock_guard lock(m_lock);
    MixerVoice* voice = find(handle);
    if (voice != nullptr)
        voice->set_frequency(std::max(frequency, 0.0f));
    return voice != nullptr;
}

bool Mixer::set_loop(VoiceHandle handle, bool loop) {
    const std::lock_guard lock(m_lock);
    MixerVoice* voice = find(handle);
    if (voice != nullptr)
        voice->loop = loop;
    return voice != nullptr;
}

bool Mixer::slide_volume(VoiceHandle handle, float target, uint32_t milliseconds) {
    const std::lock_guard lock(m_lock);
    MixerVoice* voice = find(handle);
    if (voice != nullptr) {
        const uint64_t frames = uint64_t{milliseconds} * static_cast<uint64_t>(m_output_frequency) / 1000;
        voice->slide_volume(std::clamp(target, 0.0f, 1.0f), static_cast<uint32_t>(frames));
    }
    return voice != nullptr;
}

float Mixer::frequency(VoiceHandle handle) const {
    const std::lock_guard lock(m_lock);
    const MixerVoice* voice = find(handle);
    return voice != nullptr ? voice->frequency() : 0.0f;
}

size_t Mixer::count_owned(uint32_t owner) const {
    const std::lock_guard lock(m_lock);
    return static_cast<size_t>(std::count_if(m_voices.begin(), m_voices.end(), [owner](const MixerVoice& voice) {
        return voice.state != MixerVoice::State::Free && voice.source.owner == owner;
    }));
}

void Mixer::stop_owned(uint32_t owner) {
    const std::lock_guard lock(m_lock);
    for (MixerVoice& voice : m_voices)
        if (voice.source.owner == owner)
            voice.state = MixerVoice::State::Free;
}

void Mixer::stop_all() {
    const std::lock_guard lock(m_lock);
    for (MixerVoice& voice : m_voices)
        voice.state = MixerVoice::State::Free;
}

void Mixer::mix(float* out, size_t frames) {
    std::fill(out, out + 2 * frames, 0.0f);
    {
        const std::lock_guard lock(m_lock);
        for (MixerVoice& voice : m_voices)
            if (voice.state == MixerVoice::State::Playing)
                voice.render(out, frames);
    }
    m_frames_mixed.fetch_add(frames, std::memory_order_relaxed);
}

}  // namespace me
