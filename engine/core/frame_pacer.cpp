#include "core/frame_pacer.h"

#include <cmath>
#include <utility>


namespace me {

FramePacer::FramePacer(Clock clock, Yield yield, Sleep sleep)
    : m_clock(std::move(clock)), m_yield(std::move(yield)), m_sleep(std::move(sleep)) {}

void FramePacer::restart() { m_last_frame_ms = m_clock(); }

void FramePacer::restart_one_frame_ago(float cap_fps) {
    const uint32_t frame_ms = cap_fps > 0.0f ? static_cast<uint32_t>(std::ceil(1000.0f / cap_fps)) : 0;
    m_last_frame_ms = m_clock() - frame_ms;
}

float FramePacer::measure() {
    const uint32_t now = m_clock();
    const uint32_t elapsed = now - m_last_frame_ms;
    m_last_frame_ms = now;
    return static_cast<float>(elapsed) * 0.001f;
}

void FramePacer::wait_for(float remaining_seconds) {
    const auto whole_ms = static_cast<uint32_t>(remaining_seconds * 1000.0f);
    if (whole_ms > kYieldMarginMs)
        m_sleep(whole_ms - kYieldMarginMs);
    else
        m_yield();
}

float FramePacer::wait_and_measure(float cap_fps, float max_frame_duration, FpsWindow& fps_window) {
    float dt = measure();
    // A cap that is zero, negative or not a number means no cap, never a
    // wait without end.
    const float min_dt = cap_fps > 0.0f ? 1.0f / cap_fps : 0.0f;
    while (dt < min_dt) {
        wait_for(min_dt - dt);
        dt += measure();
    }
    fps_window.add_frame(dt);
    return dt < max_frame_duration ? dt : max_frame_duration;
}

void FpsWindow::add_frame(float seconds) {
    time += seconds;
    frames += 1.0f;
    if (time > kWindowSeconds) {
        fps = frames / time;
        frames = 0.0f;
        time = 0.0f;
    }
}

}  // namespace me
