#include "audio/audio_system.h"

#include <algorithm>
#include <string>

#include "core/builtin_cvars.h"
#include "core/cvar_registry.h"
#include "core/log.h"

namespace me {

AudioSystem* g_audio_system = nullptr;

namespace {

constexpr size_t kInitialChannelCapacity = 25;

bool is_category(int32_t category) { return category >= 0 && category < AudioSystem::kCategoryCount; }

const CVarDefault& category_variable(int32_t category) { return cvars::sound_volume[category]; }

}  // namespace

AudioSystem::AudioSystem() { m_channels.reserve(kInitialChannelCapacity); }

AudioSystem::~AudioSystem() { release(); }

void AudioSystem::start() {
    const int32_t device = cvars::sound_device.int_value();
    if (device == 0)
        return;
    if (!m_library.init(device)) {
        log_error(format_message("Unable to initialize Bass audio (error code %1)",
                                 audio_error_code(m_library.last_error())));
        return;
    }
    log_opened_device();
}

void AudioSystem::log_opened_device() const {
    const std::vector<std::string> names = SoundLibrary::device_names();
    for (size_t index = 0; index < names.size(); ++index)
        log_info(format_message("Sound device %1: %2", index, names[index]));
    log_info(format_message("Sound device count: %1", names.size()));
    const uint32_t buffer = m_library.buffer_milliseconds();
    log_info(format_message("..playback buffer length: %1", buffer));
    log_info(format_message("..playback update period: %1", buffer));
    log_info(format_message("..playback threads: %1", 1));
    log_info(format_message("..playback minimum buffer length: %1", buffer));
    log_info(format_message("..using %1 volume curve", "linear"));
    log_info("Bass audio successfully opened.");
    log_info(format_message("..mixing frequency %1", SoundLibrary::kMixFrequency));
}

void AudioSystem::update() {
    std::vector<PlayingChannel*> finished;
    std::erase_if(m_channels, [&finished](PlayingChannel* channel) {
        if (channel->update())
            return false;
        finished.push_back(channel);
        return true;
    });
    // Released only after the list is consistent again: a channel's last
    // release may run script code that starts another sound.
    for (PlayingChannel* channel : finished)
        channel->release();
    m_library.update();
}

void AudioSystem::release() {
    std::vector<PlayingChannel*> channels = std::move(m_channels);
    m_channels.clear();
    for (PlayingChannel* channel : channels)
        channel->release();
    m_library.free();
}

void AudioSystem::set_category_volume(int32_t category, float volume) {
    if (!is_category(category) || g_cvar_registry == nullptr)
        return;
    g_cvar_registry->set_float(category_variable(category).name(), volume);
    for (PlayingChannel* channel : m_channels)
        if (channel->is_playing())
            channel->apply_volume();
}

float AudioSystem::category_volume(int32_t category) const {
    if (!is_category(category))
        return 1.0f;
    const float volume = std::min(category_variable(category).float_value(), 1.0f);
    // Written so that a value that is not a number is silent as well.
    return volume >= kAudibleVolume ? volume : 0.0f;
}

bool AudioSystem::is_music_playing() const {
    return std::any_of(m_channels.begin(), m_channels.end(),
                       [this](const PlayingChannel* channel) { return is_music(*channel) && channel->is_playing(); });
}

void AudioSystem::stop_music() {
    if (m_music_category != kNoMusicCategory)
        fade_out_category(m_music_category);
}

void AudioSystem::fade_out_category(int32_t category) {
    for (PlayingChannel* channel : m_channels)
        if (channel->category() == category && channel->is_playing())
            channel->fade_out();
}

bool AudioSystem::is_music_muted() const {
    return m_music_category != kNoMusicCategory && category_volume(m_music_category) < kAudibleVolume;
}

void AudioSystem::add_playing(PlayingChannel& channel) {
    channel.acquire();
    m_channels.push_back(&channel);
}

bool AudioSystem::is_music(const PlayingChannel& channel) const {
    return m_music_category != kNoMusicCategory && channel.category() == m_music_category;
}

}  // namespace me
