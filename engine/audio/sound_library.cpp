#include "audio/sound_library.h"

#include <algorithm>
#include <chrono>

#include "audio/sound_decoder.h"
#include "core/clock.h"

namespace me {

namespace {

// The feeder decodes this many frames at a time and wakes this often; a
// stream's ring holds half a second, far more than one wake-up consumes.
constexpr size_t kFeedFrames = 2048;
constexpr auto kFeedPeriod = std::chrono::milliseconds(10);

size_t ring_capacity(const StreamDecoder& decoder) {
    const size_t frames = std::max(static_cast<size_t>(decoder.frequency()) / 2, 4 * kFeedFrames);
    return frames * static_cast<size_t>(decoder.channels());
}

}  // namespace

SoundLibrary::SoundLibrary() : m_clock(milliseconds_now), m_feed_buffer(2 * kFeedFrames) {}

SoundLibrary::~SoundLibrary() { free(); }

bool SoundLibrary::fail(AudioError error) {
    m_error = error;
    return false;
}

uint32_t SoundLibrary::fail_with_none(AudioError error) {
    m_error = error;
    return 0;
}

bool SoundLibrary::check_voice(bool found) {
    m_error = found ? AudioError::Ok : AudioError::Handle;
    return found;
}

bool SoundLibrary::init(int32_t device) {
    if (is_initialised())
        return fail(AudioError::Already);
    if (device == 0 || device < -1)
        return fail(AudioError::Device);
    auto mixer = std::make_unique<Mixer>(kMixFrequency);
    const AudioError opened = m_device.open(device, *mixer);
    if (opened != AudioError::Ok)
        return fail(opened);
    m_mixer = std::move(mixer);
    m_feeder_stop = false;
    m_feeder = std::thread([this] { run_feeder(); });
    m_error = AudioError::Ok;
    return true;
}

bool SoundLibrary::init_offline() {
    if (is_initialised())
        return fail(AudioError::Already);
    m_mixer = std::make_unique<Mixer>(kMixFrequency);
    m_error = AudioError::Ok;
    return true;
}

void SoundLibrary::free() {
    if (m_feeder.joinable()) {
        {
            const std::lock_guard lock(m_feeder_lock);
            m_feeder_stop = true;
        }
        m_feeder_wake.notify_all();
        m_feeder.join();
    }
    // The device goes first so that the callback no longer reads any voice.
    m_device.close();
    {
        const std::lock_guard lock(m_streams_lock);
        m_streams.clear();
    }
    m_samples.clear();
    m_mixer.reset();
}

std::vector<std::string> SoundLibrary::device_names() {
    std::vector<std::string> names{"No sound"};
    for (std::string& name : AudioDevice::output_names())
        names.push_back(std::move(name));
    return names;
}

uint32_t SoundLibrary::buffer_milliseconds() const {
    if (!m_device.is_open() || m_device.frequency() <= 0)
        return 0;
    return static_cast<uint32_t>(uint64_t{m_device.buffer_frames()} * 1000 / static_cast<uint32_t>(m_device.frequency()));
}

SampleId SoundLibrary::sample_load(std::span<const uint8_t> file, uint32_t max_playbacks, std::string* detail) {
    if (!is_initialised())
        return fail_with_none(AudioError::Init);
    if (max_playbacks == 0)
        return fail_with_none(AudioError::IllegalParam);
    DecodedSound decoded = decode_sound(file);
    if (detail != nullptr)
        *detail = decoded.detail;
    if (!decoded.ok())
        return fail_with_none(decoded.error);
    const SampleId id = m_next_owner++;
    Sample& sample = m_samples[id];
    sample.sound = std::make_unique<PcmSound>(std::move(decoded.sound));
    sample.max_playbacks = max_playbacks;
    m_error = AudioError::Ok;
    return id;
}

bool SoundLibrary::sample_set_min_gap(SampleId id, uint32_t milliseconds) {
    const auto found = m_samples.find(id);
    if (found == m_samples.end())
        return fail(AudioError::Handle);
    found->second.min_gap = milliseconds;
    m_error = AudioError::Ok;
    return true;
}

std::optional<uint32_t> SoundLibrary::sample_min_gap(SampleId id) const {
    const auto found = m_samples.find(id);
    return found != m_samples.end() ? std::optional(found->second.min_gap) : std::nullopt;
}

VoiceHandle SoundLibrary::sample_get_channel(SampleId id) {
    const auto found = m_samples.find(id);
    if (found == m_samples.end() || !is_initialised())
        return fail_with_none(AudioError::Handle);
    Sample& sample = found->second;
    const uint32_t now = m_clock();
    const bool too_soon = sample.min_gap > 0 && sample.last_channel_at && now - *sample.last_channel_at < sample.min_gap;
    if (too_soon || m_mixer->count_owned(id) >= sample.max_playbacks)
        return fail_with_none(AudioError::NoChannel);
    VoiceSource source;
    source.samples = sample.sound->samples.data();
    source.frames = sample.sound->frame_count();
    source.channels = sample.sound->channels;
    source.frequency = sample.sound->frequency;
    source.owner = id;
    const VoiceHandle voice = m_mixer->allocate(source);
    if (voice == 0)
        return fail_with_none(AudioError::NoChannel);
    sample.last_channel_at = now;
    m_error = AudioError::Ok;
    return voice;
}

bool SoundLibrary::sample_free(SampleId id) {
    const auto found = m_samples.find(id);
    if (found == m_samples.end())
        return fail(AudioError::Handle);
    m_mixer->stop_owned(id);
    m_samples.erase(found);
    m_error = AudioError::Ok;
    return true;
}

VoiceHandle SoundLibrary::stream_create_file(const std::string& path) {
    if (!is_initialised())
        return fail_with_none(AudioError::Init);
    AudioError error = AudioError::Ok;
    auto stream = std::make_unique<Stream>();
    stream->decoder = open_stream_decoder(path, error);
    if (stream->decoder == nullptr)
        return fail_with_none(error);
    stream->ring = std::make_unique<SampleRing>(ring_capacity(*stream->decoder));
    VoiceSource source;
    source.ring = stream->ring.get();
    source.ring_ended = &stream->ended;
    source.channels = stream->decoder->channels();
    source.frequency = stream->decoder->frequency();
    source.owner = m_next_owner++;
    const std::lock_guard lock(m_streams_lock);
    // Filled before it can play, so that its first buffer is never silent.
    fill(*stream);
    stream->voice = m_mixer->allocate(source);
    if (stream->voice == 0)
        return fail_with_none(AudioError::NoChannel);
    m_streams.push_back(std::move(stream));
    m_error = AudioError::Ok;
    return m_streams.back()->voice;
}

bool SoundLibrary::channel_set_loop(VoiceHandle channel, bool loop) {
    if (!is_initialised() || !m_mixer->set_loop(channel, loop))
        return fail(AudioError::Handle);
    const std::lock_guard lock(m_streams_lock);
    for (const std::unique_ptr<Stream>& stream : m_streams) {
        if (stream->voice != channel)
            continue;
        stream->loop = loop;
        // A short file may have been read to its end before looping was
        // asked for; while the voice lives, the feeder can still rewind it.
        if (loop)
            stream->ended = false;
    }
    m_error = AudioError::Ok;
    return true;
}

bool SoundLibrary::channel_set_frequency(VoiceHandle channel, float frequency) {
    return check_voice(is_initialised() && m_mixer->set_frequency(channel, frequency));
}

float SoundLibrary::channel_frequency(VoiceHandle channel) const {
    return is_initialised() ? m_mixer->frequency(channel) : 0.0f;
}

bool SoundLibrary::channel_set_volume(VoiceHandle channel, float volume) {
    return check_voice(is_initialised() && m_mixer->set_volume(channel, volume));
}

bool SoundLibrary::channel_set_pan(VoiceHandle channel, float pan) {
    return check_voice(is_initialised() && m_mixer->set_pan(channel, pan));
}

bool SoundLibrary::channel_play(VoiceHandle channel) { return check_voice(is_initialised() && m_mixer->play(channel)); }

bool SoundLibrary::channel_is_active(VoiceHandle channel) const {
    return is_initialised() && m_mixer->is_active(channel);
}

bool SoundLibrary::channel_slide_volume(VoiceHandle channel, float target, uint32_t milliseconds) {
    return check_voice(is_initialised() && m_mixer->slide_volume(channel, target, milliseconds));
}

bool SoundLibrary::channel_is_sliding(VoiceHandle channel) const {
    return is_initialised() && m_mixer->is_sliding(channel);
}

bool SoundLibrary::channel_stop(VoiceHandle channel) {
    if (!check_voice(is_initialised() && m_mixer->stop(channel)))
        return false;
    free_stream(channel);
    return true;
}

void SoundLibrary::free_stream(VoiceHandle voice) {
    const std::lock_guard lock(m_streams_lock);
    std::erase_if(m_streams, [voice](const std::unique_ptr<Stream>& stream) { return stream->voice == voice; });
}

void SoundLibrary::update() {
    if (!is_initialised())
        return;
    const std::lock_guard lock(m_streams_lock);
    std::erase_if(m_streams,
                  [this](const std::unique_ptr<Stream>& stream) { return !m_mixer->is_active(stream->voice); });
}

void SoundLibrary::feed_streams() {
    const std::lock_guard lock(m_streams_lock);
    for (const std::unique_ptr<Stream>& stream : m_streams)
        fill(*stream);
}

void SoundLibrary::fill(Stream& stream) {
    const size_t channels = static_cast<size_t>(stream.decoder->channels());
    bool rewound = false;
    while (!stream.ended && stream.ring->space() >= kFeedFrames * channels) {
        const size_t frames = stream.decoder->read(m_feed_buffer.data(), kFeedFrames);
        if (frames > 0) {
            stream.ring->write(m_feed_buffer.data(), frames * channels);
            rewound = false;
            continue;
        }
        // A loop that finds nothing after rewinding would never end.
        if (stream.loop && !rewound && stream.decoder->rewind())
            rewound = true;
        else
            stream.ended.store(true, std::memory_order_release);
    }
}

void SoundLibrary::render(float* out, size_t frames) {
    if (is_initialised())
        m_mixer->mix(out, frames);
}

void SoundLibrary::run_feeder() {
    std::unique_lock lock(m_feeder_lock);
    while (!m_feeder_stop) {
        lock.unlock();
        feed_streams();
        lock.lock();
        m_feeder_wake.wait_for(lock, kFeedPeriod, [this] { return m_feeder_stop; });
    }
}

}  // namespace me
