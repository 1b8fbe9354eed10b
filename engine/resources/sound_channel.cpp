#include "resources/sound_channel.h"

#include <algorithm>

#include "audio/audio_system.h"
#include "core/log.h"
#include "core/paths.h"

namespace me {

namespace {

// The application's way of picking one of count things.
size_t random_index(size_t count) {
    const uint64_t drawn = g_audio_system->random().next();
    return static_cast<size_t>((static_cast<uint64_t>(count) * drawn) >> 32);
}

int32_t varied_frequency(int32_t frequency, int32_t variation) {
    const int32_t percent = g_audio_system->random().next_int(-variation / 2, variation / 2);
    return static_cast<int32_t>(int64_t{frequency} * (percent + 100) / 100);
}

bool audio_ready() { return g_audio_system != nullptr && g_audio_system->is_initialised(); }

}  // namespace

const ClassRecord SoundChannel::kClassRecord{"SoundChannel", &EngineObject::kClassRecord};

SoundChannel::~SoundChannel() {
    if (m_playback != 0 && audio_ready())
        g_audio_system->library().channel_stop(m_playback);
}

bool SoundChannel::refuse_once_played(const char* message) const {
    if (m_state == State::New)
        return false;
    log_error(message);
    return true;
}

void SoundChannel::set_sound(ResourceRef<Sound> sound) {
    if (!refuse_once_played("SoundChannel: Can't set sound to sound channel once played."))
        m_sound = std::move(sound);
}

void SoundChannel::set_looping(int32_t looping) {
    if (!refuse_once_played("SoundChannel: Can't set sound channel looping once played."))
        m_looping = looping;
}

void SoundChannel::set_category(int32_t category) {
    if (!refuse_once_played("SoundChannel: Can't set sound category once played."))
        m_category = category;
}

void SoundChannel::stop_on_release() {
    if (!refuse_once_played("SoundChannel: Can't set sound channel behavior once played."))
        m_behaviour = Behaviour::StopOnRelease;
}

void SoundChannel::set_volume(float volume) {
    m_volume = std::clamp(volume, 0.0f, 1.0f);
    if (m_state == State::Playing)
        apply_volume();
}

void SoundChannel::set_panning(float panning) {
    m_panning = std::clamp(panning, -1.0f, 1.0f);
    if ((m_state == State::Playing || m_state == State::FadingOut) && audio_ready())
        g_audio_system->library().channel_set_pan(m_playback, m_panning);
}

void SoundChannel::play() {
    if (m_state != State::New) {
        log_error("SoundChannel: Can't play sound channel twice.");
        return;
    }
    if (!audio_ready())
        return;
    if (!m_sound) {
        log_error("SoundChannel: No sound to play.");
        return;
    }
    if (m_category == kCategoryOfSound)
        m_category = m_sound->category();
    if (g_audio_system->music_category() != AudioSystem::kNoMusicCategory &&
        g_audio_system->music_category() == m_category)
        g_audio_system->fade_out_category(m_category);
    SoundLibrary& library = g_audio_system->library();
    bool started = false;
    if (m_sound->type() == Sound::Sample)
        started = start_sample(library);
    else if (m_sound->type() == Sound::Stream)
        started = start_stream(library);
    else
        log_error(format_message("SoundChannel: Unexpected sound type %1.", static_cast<int32_t>(m_sound->type())));
    if (!started)
        return;
    m_state = State::Playing;
    g_audio_system->add_playing(*this);
}

bool SoundChannel::start_sample(SoundLibrary& library) {
    const std::vector<SampleId>& samples = m_sound->samples();
    m_playback = samples.empty() ? 0 : library.sample_get_channel(samples[random_index(samples.size())]);
    if (m_playback == 0) {
        log_error(format_message("SoundChannel: Can't get Bass channel to play sound '%1', error %2.",
                                 m_sound->get_name(), audio_error_code(library.last_error())));
        m_state = State::Finished;
        return false;
    }
    apply_start_attributes(library);
    if (m_sound->pitch_variation() > 0) {
        const auto frequency = static_cast<int32_t>(library.channel_frequency(m_playback));
        library.channel_set_frequency(m_playback,
                                      static_cast<float>(varied_frequency(frequency, m_sound->pitch_variation())));
    }
    if (!library.channel_play(m_playback)) {
        log_error("SoundChannel: Can't play Bass channel.");
        finish(library);
        return false;
    }
    return true;
}

bool SoundChannel::start_stream(SoundLibrary& library) {
    const std::vector<std::string>& names = m_sound->file_names();
    const std::string file = names[random_index(names.size())];
    m_playback = library.stream_create_file(paths::join(paths::kDataDir, file));
    if (m_playback == 0) {
        log_error(format_message("SoundChannel: Error creating Bass stream from file '%1' (error code %2).", file,
                                 audio_error_code(library.last_error())));
        m_state = State::Finished;
        return false;
    }
    apply_start_attributes(library);
    if (!library.channel_play(m_playback)) {
        log_error(format_message("SoundChannel: Error playing stream from file '%1' (error code %2).", file,
                                 audio_error_code(library.last_error())));
        finish(library);
        return false;
    }
    return true;
}

void SoundChannel::apply_start_attributes(SoundLibrary& library) {
    if (m_looping != kLoopingAsLoaded)
        library.channel_set_loop(m_playback, loops());
    apply_volume();
    library.channel_set_pan(m_playback, m_panning);
}

void SoundChannel::apply_volume() {
    if (m_playback == 0 || !audio_ready() || !m_sound)
        return;
    const float volume = g_audio_system->category_volume(m_category) * m_sound->volume() * m_volume;
    g_audio_system->library().channel_set_volume(m_playback, volume);
}

void SoundChannel::fade_out() {
    if (m_playback == 0 || !audio_ready())
        return;
    g_audio_system->library().channel_slide_volume(m_playback, 0.0f, kFadeOutMilliseconds);
    m_state = State::FadingOut;
}

void SoundChannel::finish(SoundLibrary& library) {
    library.channel_stop(m_playback);
    m_playback = 0;
    m_state = State::Finished;
}

bool SoundChannel::is_released() {
    return ownership().count() == 1 && !ownership().instance_referenced_elsewhere();
}

bool SoundChannel::update() {
    if (!audio_ready()) {
        m_playback = 0;
        m_state = State::Finished;
        return false;
    }
    SoundLibrary& library = g_audio_system->library();
    const bool released = is_released();
    if (m_state == State::Playing) {
        if (!library.channel_is_active(m_playback)) {
            finish(library);
        } else if (released) {
            const bool music = g_audio_system->music_category() != AudioSystem::kNoMusicCategory &&
                               g_audio_system->music_category() == m_category;
            if (loops() ? !music : m_behaviour == Behaviour::StopOnRelease)
                fade_out();
        }
    } else if (m_state == State::FadingOut) {
        if (!library.channel_is_active(m_playback) || !library.channel_is_sliding(m_playback))
            finish(library);
    }
    return m_state == State::Playing || m_state == State::FadingOut;
}

}  // namespace me
