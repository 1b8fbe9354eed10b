#pragma once

#include "core/float_vector.h"

namespace me {

// Durations at or below this end a tween on the next step instead of
// dividing by them.
inline constexpr float kInstantTweenDuration = 1.0f / 65536.0f;

// Fades the alpha from start to target; idle while the duration is negative.
struct FadeTween {
    float target = 0.0f;
    float start = 0.0f;
    float duration = -1.0f;
    float elapsed = 0.0f;

    void begin(float current_alpha, float target_alpha, float seconds);
    // Advances alpha; true on the step that ends the fade.
    bool step(float dt, float& alpha);
    void stop() { duration = -1.0f; }
};

// Turns to a target rotation, or turns continuously.
struct RotateTween {
    enum Mode { None = 0, Continuous = 1, ToTarget = 2 };

    Mode mode = None;
    float target = 0.0f;
    float start = 0.0f;
    float duration = 0.0f;
    float elapsed = 0.0f;
    float speed = 0.0f;

    // Takes the short way round and returns the signed turn in degrees.
    float begin_to(float current_turns, float target_degrees, float degrees_per_second);
    void begin_continuous(float degrees_per_second);
    // Advances rotation (turns); true on the step that reaches the target.
    bool step(float dt, float& rotation);
    void stop() { mode = None; }
};

// Moves linearly at a speed, or along a trapezoidal speed profile over a
// duration with acceleration and deceleration phases.
struct MoveTween {
    enum Mode { None = 0, Linear = 1, Accelerated = 2 };

    Mode mode = None;
    float duration = 0.0f;
    float elapsed = 0.0f;
    Vec2 target;
    Vec2 start;
    float acceleration = 0.0f;
    float deceleration = 0.0f;
    float acceleration_time = 0.0f;
    float deceleration_time = 0.0f;

    void begin_linear(Vec2 from, Vec2 to, float speed);
    void begin_eased(Vec2 from, Vec2 to, float seconds, float acceleration_seconds, float deceleration_seconds);
    // Advances position; true on the step that arrives.
    bool step(float dt, Vec2& position);
    void stop() { mode = None; }

private:
    void begin_instant(Vec2 from, Vec2 to, Mode kind);
    float eased_fraction() const;
};

}  // namespace me
