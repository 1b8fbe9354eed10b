#include "audio/audio_system.h"

#include <algorithm>

#include "core/builtin_cvars.h"
#include "core/cvar_registry.h"

namespace me {

AudioSystem* g_audio_system = nullptr;

namespace {

constexpr size_t kInitialChannelCapacity = 25;

bool is_category(int32_t category) { return category >= 0 && category < AudioSystem::kCategoryCount; }

const CVarDefault& category_variable(int32_t category) { return cvars::sound_volume[category]; }

}  // namespace

AudioSystem::AudioSystem() { m_channels.reserve(kInitialChannelCapacity); }

AudioSystem::~AudioSystem() { release(); }

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
}

void AudioSystem::release() {
    std::vector<PlayingChannel*> channels = std::move(m_channels);
    m_channels.clear();
    for (PlayingChannel* channel : channels)
        channel->release();
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
    for (PlayingChannel* channel : m_channels)
        if (is_music(*channel) && channel->is_playing())
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
