#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/playing_channel.h"
#include "audio/sound_library.h"
#include "core/random.h"

namespace me {

// The one owner of sound playback: the eight volume categories (each read
// from its sound_volume_N variable), the category that music plays in, and
// the channels that are playing.
class AudioSystem {
public:
    static constexpr int32_t kCategoryCount = 8;
    static constexpr int32_t kNoMusicCategory = -1;
    // Quieter categories than this are silent, so that a slider's last step
    // really mutes.
    static constexpr float kAudibleVolume = 0.01f;

    AudioSystem();
    ~AudioSystem();
    AudioSystem(const AudioSystem&) = delete;
    AudioSystem& operator=(const AudioSystem&) = delete;

    // Start-up: opens the output device that sound_device names, unless it
    // is 0, and logs the devices and the buffer settings.
    void start();
    // Once per frame: lets every channel advance and drops the finished ones.
    void update();
    // Teardown: stops and lets go of every channel, frees every sample and
    // closes the device.
    void release();

    bool is_initialised() const { return m_library.is_initialised(); }
    SoundLibrary& library() { return m_library; }
    // Random choices of files and pitches; the application's generator once
    // start-up has wired it, a private one before.
    Xorshift128& random() { return *m_random; }
    void set_random(Xorshift128& random) { m_random = &random; }

    // Categories outside 0-7 are ignored.
    void set_category_volume(int32_t category, float volume);
    // 1.0 outside 0-7; otherwise the category's variable clamped to 0-1, and
    // 0 below kAudibleVolume.
    float category_volume(int32_t category) const;

    // kNoMusicCategory clears it.
    void set_music_category(int32_t category) { m_music_category = category; }
    int32_t music_category() const { return m_music_category; }
    bool is_music_playing() const;
    // Fades out every playing channel of the music category.
    void stop_music();
    // Fades out every playing channel of the category, as a new music
    // channel of it starts.
    void fade_out_category(int32_t category);
    bool is_music_muted() const;

    // A channel that started playing; the list keeps it alive until it ends.
    void add_playing(PlayingChannel& channel);
    size_t playing_count() const { return m_channels.size(); }

private:
    bool is_music(const PlayingChannel& channel) const;

    void log_opened_device() const;

    SoundLibrary m_library;
    Xorshift128 m_own_random;
    Xorshift128* m_random = &m_own_random;
    std::vector<PlayingChannel*> m_channels;
    int32_t m_music_category = kNoMusicCategory;
};

// The process-wide audio system.
extern AudioSystem* g_audio_system;

}  // namespace me
