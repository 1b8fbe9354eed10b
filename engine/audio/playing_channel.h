#pragma once

#include <cstdint>

namespace me {

// What the audio system needs of a channel that has started playing. Sound
// channels implement it; the audio system's list holds a native reference on
// each one until it has finished.
class PlayingChannel {
public:
    virtual ~PlayingChannel() = default;

    // The category the channel plays in (0-7), fixed once it plays.
    virtual int32_t category() const = 0;
    // Playing and not fading out.
    virtual bool is_playing() const = 0;
    // Sends the channel's volume, with its category's, to the mixer again.
    virtual void apply_volume() = 0;
    // Slides the volume to silence, then stops.
    virtual void fade_out() = 0;
    // One frame of the channel's life; false once it has finished, which
    // takes it off the list.
    virtual bool update() = 0;

    virtual void acquire() = 0;
    virtual void release() = 0;
};

}  // namespace me
