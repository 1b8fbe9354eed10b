#include "audio/mixer_voice.h"

#include <algorithm>
#include <cmath>

namespace me {

namespace {

constexpr uint64_t kOne = uint64_t{1} << 32;
constexpr float kFractionScale = 1.0f / static_cast<float>(kOne);

float fraction_of(uint64_t position) { return static_cast<float>(position & (kOne - 1)) * kFractionScale; }

}  // namespace

void MixerVoice::start(const VoiceSource& voice_source, uint32_t output_frequency) {
    source = voice_source;
    m_output_frequency = output_frequency;
    state = State::Ready;
    volume = 1.0f;
    pan = 0.0f;
    loop = false;
    m_position = 0;
    m_slide_frames = 0;
    m_stream_primed = false;
    set_frequency(static_cast<float>(voice_source.frequency));
}

void MixerVoice::set_frequency(float frequency) {
    m_frequency = frequency;
    m_step = static_cast<uint64_t>(static_cast<double>(frequency) / m_output_frequency * static_cast<double>(kOne));
}

void MixerVoice::slide_volume(float target, uint32_t frames) {
    m_slide_target = target;
    m_slide_frames = frames;
    if (frames == 0)
        volume = target;
    else
        m_slide_step = (target - volume) / static_cast<float>(frames);
}

float MixerVoice::next_volume() {
    if (m_slide_frames > 0) {
        volume += m_slide_step;
        if (--m_slide_frames == 0)
            volume = m_slide_target;
    }
    return volume;
}

void MixerVoice::render(float* out, size_t frames) {
    // Balance: the side away from the pan loses gain, the near side keeps it.
    const float left_gain = std::min(1.0f, 1.0f - pan);
    const float right_gain = std::min(1.0f, 1.0f + pan);
    for (size_t i = 0; i < frames; ++i) {
        float left = 0.0f;
        float right = 0.0f;
        const bool more = source.ring != nullptr ? render_stream_frame(left, right) : render_sample_frame(left, right);
        if (!more) {
            state = State::Free;
            return;
        }
        const float gain = next_volume();
        out[2 * i] += left * gain * left_gain;
        out[2 * i + 1] += right * gain * right_gain;
    }
}

bool MixerVoice::render_sample_frame(float& left, float& right) {
    size_t index = static_cast<size_t>(m_position >> 32);
    if (index >= source.frames) {
        if (!loop || source.frames == 0)
            return false;
        m_position %= static_cast<uint64_t>(source.frames) << 32;
        index = static_cast<size_t>(m_position >> 32);
    }
    const size_t next = index + 1 < source.frames ? index + 1 : (loop ? 0 : index);
    const float t = fraction_of(m_position);
    const size_t channels = static_cast<size_t>(source.channels);
    const float* a = source.samples + index * channels;
    const float* b = source.samples + next * channels;
    left = a[0] + (b[0] - a[0]) * t;
    right = channels == 2 ? a[1] + (b[1] - a[1]) * t : left;
    m_position += m_step;
    return true;
}

bool MixerVoice::pull_stream_frame(float (&frame)[2]) {
    const size_t channels = static_cast<size_t>(source.channels);
    if (source.ring->available() < channels)
        return false;
    source.ring->read(frame, channels);
    if (channels == 1)
        frame[1] = frame[0];
    return true;
}

bool MixerVoice::render_stream_frame(float& left, float& right) {
    // The ended flag is read before the ring, so that frames written before
    // it was set are never mistaken for missing.
    const bool ended = source.ring_ended->load(std::memory_order_acquire);
    if (!m_stream_primed) {
        if (source.ring->available() < 2 * static_cast<size_t>(source.channels))
            return !ended;
        pull_stream_frame(m_stream_current);
        pull_stream_frame(m_stream_next);
        m_stream_primed = true;
    }
    const float t = fraction_of(m_position);
    left = m_stream_current[0] + (m_stream_next[0] - m_stream_current[0]) * t;
    right = m_stream_current[1] + (m_stream_next[1] - m_stream_current[1]) * t;
    m_position += m_step;
    while (m_position >= kOne) {
        float pulled[2];
        if (!pull_stream_frame(pulled)) {
            // An underrun holds the position; the end of the file ends the voice.
            m_position = std::min(m_position, kOne - 1);
            return !ended;
        }
        std::copy(std::begin(m_stream_next), std::end(m_stream_next), std::begin(m_stream_current));
        std::copy(std::begin(pulled), std::end(pulled), std::begin(m_stream_next));
        m_position -= kOne;
    }
    return true;
}

}  // namespace me
