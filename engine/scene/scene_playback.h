#pragma once

#include <cstdint>

#include "core/random.h"

namespace me {

// What playback reads of a sprite: whether it has frames, how long each lasts
// and whether it repeats.
class PlaybackTimeline {
public:
    virtual ~PlaybackTimeline() = default;
    virtual bool animated() const = 0;
    virtual int frame_count() const = 0;
    // How long the frame lasts when it is entered now, a random extra
    // included for frames with a duration range.
    virtual float enter_frame(int index, Xorshift128& random) const = 0;
    // The sum of the minimum durations, and of the random extras.
    virtual float duration() const = 0;
    virtual float duration_range() const = 0;
    virtual bool loops() const = 0;
};

// The playing position in a sprite animation: frame, time left in it, speed
// and the playback flags.
class SpritePlayback {
public:
    static constexpr uint32_t kPlaying = 1;
    static constexpr uint32_t kBackward = 2;
    static constexpr uint32_t kLooping = 4;
    static constexpr uint32_t kLoopingSetByScript = 8;
    static constexpr uint32_t kWholeSpriteTiming = 16;

    // Back to the first frame, stopped; speed and a script's looping choice
    // stay.
    void reset();
    void play(const PlaybackTimeline& timeline, bool backward, Xorshift128& random);
    // play, then a seek by a random offset within the total duration.
    void play_random(const PlaybackTimeline& timeline, bool backward, Xorshift128& random);
    // Advances by seconds (before the speed applies); true when playback ended
    // during this advance.
    bool advance(const PlaybackTimeline& timeline, float seconds, Xorshift128& random);
    // Moves forward in play direction by offset seconds; true when it ended.
    bool seek(const PlaybackTimeline& timeline, float offset, Xorshift128& random);
    void stop() { m_flags &= ~kPlaying; }

    void set_looping(bool looping);
    void set_speed(float speed) { m_speed = speed; }
    float speed() const { return m_speed; }
    bool playing() const { return (m_flags & kPlaying) != 0; }
    uint32_t flags() const { return m_flags; }
    int frame() const { return m_frame; }
    float remaining() const { return m_remaining; }

private:
    bool advance_time(const PlaybackTimeline& timeline, float seconds, Xorshift128& random);
    bool has(uint32_t flag) const { return (m_flags & flag) != 0; }
    void set(uint32_t flag, bool on) { m_flags = on ? (m_flags | flag) : (m_flags & ~flag); }
    bool times_whole_sprite(const PlaybackTimeline& timeline) const;
    float whole_duration(const PlaybackTimeline& timeline) const;
    bool advance_whole(const PlaybackTimeline& timeline, float seconds);
    bool advance_frames(const PlaybackTimeline& timeline, float seconds, Xorshift128& random);
    // False when the animation has no next frame in its direction.
    bool step_frame(const PlaybackTimeline& timeline);
    void end_at_final_frame(const PlaybackTimeline& timeline);

    int m_frame = 0;
    float m_remaining = 0.0f;
    float m_speed = 1.0f;
    uint32_t m_flags = 0;
};

}  // namespace me
