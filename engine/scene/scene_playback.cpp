#include "scene/scene_playback.h"

#include <cmath>

namespace me {

void SpritePlayback::reset() {
    m_flags &= kLooping | kLoopingSetByScript;
    m_frame = 0;
    m_remaining = 0.0f;
}

void SpritePlayback::set_looping(bool looping) {
    set(kLooping, looping);
    m_flags |= kLoopingSetByScript;
}

bool SpritePlayback::times_whole_sprite(const PlaybackTimeline& timeline) const {
    return !timeline.animated() || timeline.frame_count() <= 0 || has(kWholeSpriteTiming);
}

float SpritePlayback::whole_duration(const PlaybackTimeline& timeline) const { return timeline.duration(); }

void SpritePlayback::play(const PlaybackTimeline& timeline, bool backward, Xorshift128& random) {
    m_flags &= ~(kPlaying | kWholeSpriteTiming);
    set(kBackward, backward);
    if (!has(kLoopingSetByScript))
        set(kLooping, timeline.loops());
    // A looping animation without duration would step frames forever.
    if (has(kLooping) && timeline.duration() <= 0.0f)
        m_flags |= kWholeSpriteTiming;
    m_flags |= kPlaying;
    m_frame = backward && timeline.animated() && timeline.frame_count() > 0 ? timeline.frame_count() - 1 : 0;
    m_remaining = times_whole_sprite(timeline) ? whole_duration(timeline) : timeline.enter_frame(m_frame, random);
}

void SpritePlayback::play_random(const PlaybackTimeline& timeline, bool backward, Xorshift128& random) {
    play(timeline, backward, random);
    const float total = timeline.duration() + timeline.duration_range();
    if (total > 0.0f)
        seek(timeline, random.next_float(0.0f, total), random);
}

bool SpritePlayback::advance(const PlaybackTimeline& timeline, float seconds, Xorshift128& random) {
    if (!playing())
        return false;
    return advance_time(timeline, seconds * m_speed, random);
}

bool SpritePlayback::seek(const PlaybackTimeline& timeline, float offset, Xorshift128& random) {
    if (!playing())
        return false;
    const float total = timeline.duration() + timeline.duration_range();
    if (offset > total) {
        if (!has(kLooping)) {
            end_at_final_frame(timeline);
            return true;
        }
        offset = total > 0.0f ? std::fmod(offset, total) : 0.0f;
    }
    return advance_time(timeline, offset, random);
}

bool SpritePlayback::advance_time(const PlaybackTimeline& timeline, float seconds, Xorshift128& random) {
    if (times_whole_sprite(timeline))
        return advance_whole(timeline, seconds);
    return advance_frames(timeline, seconds, random);
}

bool SpritePlayback::advance_whole(const PlaybackTimeline& timeline, float seconds) {
    m_remaining -= seconds;
    if (m_remaining > 0.0f)
        return false;
    if (has(kLooping)) {
        m_remaining = whole_duration(timeline);
        return false;
    }
    stop();
    return true;
}

bool SpritePlayback::advance_frames(const PlaybackTimeline& timeline, float seconds, Xorshift128& random) {
    m_remaining -= seconds;
    // Whole laps change nothing in a loop; dropping them keeps a long step
    // from walking every frame of every lap.
    const float total = timeline.duration() + timeline.duration_range();
    if (has(kLooping) && total > 0.0f && -m_remaining > total)
        m_remaining = -std::fmod(-m_remaining, total);
    while (m_remaining <= 0.0f) {
        if (!step_frame(timeline)) {
            stop();
            return true;
        }
        m_remaining += timeline.enter_frame(m_frame, random);
    }
    return false;
}

bool SpritePlayback::step_frame(const PlaybackTimeline& timeline) {
    const int last = timeline.frame_count() - 1;
    if (has(kBackward)) {
        if (m_frame > 0)
            --m_frame;
        else if (has(kLooping))
            m_frame = last;
        else
            return false;
        return true;
    }
    if (m_frame < last)
        ++m_frame;
    else if (has(kLooping))
        m_frame = 0;
    else
        return false;
    return true;
}

void SpritePlayback::end_at_final_frame(const PlaybackTimeline& timeline) {
    const int last = timeline.animated() && timeline.frame_count() > 0 ? timeline.frame_count() - 1 : 0;
    m_frame = has(kBackward) ? 0 : last;
    m_remaining = 0.0f;
    stop();
}

}  // namespace me
