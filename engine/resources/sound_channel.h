#pragma once

#include <cstdint>

#include "audio/playing_channel.h"
#include "audio/sound_library.h"
#include "core/resource_ref.h"
#include "resources/sound.h"
#include "script/engine_object.h"

namespace me {

// One playback of a sound that a script configures once and plays once.
// While it plays, the audio system's list holds it, so that a script may
// drop it: dropped effects that loop fade out, dropped music plays on.
class SoundChannel final : public EngineObject, public PlayingChannel {
public:
    enum class State : int32_t { New = 0, Playing = 2, FadingOut = 3, Finished = 4 };
    enum class Behaviour : int32_t { Default = 0, StopOnRelease = 1 };
    static constexpr int32_t kCategoryOfSound = -1;
    static constexpr int32_t kLoopingAsLoaded = -1;
    static constexpr uint32_t kFadeOutMilliseconds = 500;

    static const ClassRecord kClassRecord;

    SoundChannel() = default;
    ~SoundChannel() override;
    const ClassRecord& class_record() const override { return kClassRecord; }

    // Each refuses with a logged line once the channel has been played.
    void set_sound(ResourceRef<Sound> sound);
    void set_looping(int32_t looping);
    void set_category(int32_t category);
    void stop_on_release();
    // Clamped to 0-1, and heard at once while playing.
    void set_volume(float volume);
    // Clamped to -1-1, and heard at once while playing or fading out.
    void set_panning(float panning);
    void play();

    State state() const { return m_state; }
    VoiceHandle playback() const { return m_playback; }
    float volume() const { return m_volume; }
    float panning() const { return m_panning; }

    int32_t category() const override { return m_category; }
    bool is_playing() const override { return m_state == State::Playing; }
    void apply_volume() override;
    void fade_out() override;
    bool update() override;
    void acquire() override { EngineObject::acquire(); }
    void release() override { EngineObject::release(); }

private:
    bool refuse_once_played(const char* message) const;
    // The list's reference is the only one left.
    bool is_released();
    bool loops() const { return m_looping > 0; }
    bool start_sample(SoundLibrary& library);
    bool start_stream(SoundLibrary& library);
    void apply_start_attributes(SoundLibrary& library);
    void finish(SoundLibrary& library);

    ResourceRef<Sound> m_sound;
    int32_t m_category = kCategoryOfSound;
    Behaviour m_behaviour = Behaviour::Default;
    int32_t m_looping = kLoopingAsLoaded;
    float m_volume = 1.0f;
    float m_panning = 0.0f;
    State m_state = State::New;
    VoiceHandle m_playback = 0;
};

}  // namespace me
