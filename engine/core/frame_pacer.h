#pragma once

#include <cstdint>
#include <functional>

namespace me {

// Frames per second over windows of at least half a second of unclamped time.
struct FpsWindow {
    static constexpr float kWindowSeconds = 0.5f;

    void add_frame(float seconds);

    float frames = 0.0f;
    float time = 0.0f;
    float fps = 0.0f;
};

// Holds each frame back until the frame-rate cap allows it, and measures how
// long the frame took. The wait sleeps while more than kYieldMarginMs remain,
// which leaves the core free, and yields for the rest, because a sleep can
// overrun by a millisecond or more and the cap is met to the millisecond.
class FramePacer {
public:
    using Clock = std::function<uint32_t()>;
    using Yield = std::function<void()>;
    using Sleep = std::function<void(uint32_t milliseconds)>;

    static constexpr uint32_t kYieldMarginMs = 2;

    FramePacer(Clock clock, Yield yield, Sleep sleep);

    // Starts the next measurement from now, so that time spent elsewhere
    // (start-up) never counts as frame time.
    void restart();
    // As restart, but as if a frame at cap_fps had just ended: the next frame
    // runs at once and measures one whole frame, so the first frame after
    // start-up is not held back by a wait that paces nothing.
    void restart_one_frame_ago(float cap_fps);
    uint32_t last_frame_ms() const { return m_last_frame_ms; }

    // Waits until at least 1 / cap_fps seconds have passed since the last
    // measurement, adds the unclamped time to the fps window, and returns the
    // delta clamped to max_frame_duration.
    float wait_and_measure(float cap_fps, float max_frame_duration, FpsWindow& fps_window);

private:
    float measure();
    void wait_for(float remaining_seconds);

    Clock m_clock;
    Yield m_yield;
    Sleep m_sleep;
    uint32_t m_last_frame_ms = 0;
};

}  // namespace me
