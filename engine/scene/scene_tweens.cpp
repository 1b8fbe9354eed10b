#include "scene/scene_tweens.h"

#include <cmath>

namespace me {

namespace {

constexpr float kDegreesPerTurn = 360.0f;

float fraction_of_turn(float turns) { return turns - std::floor(turns); }

}  // namespace

void FadeTween::begin(float current_alpha, float target_alpha, float seconds) {
    start = current_alpha;
    target = target_alpha;
    if (seconds <= kInstantTweenDuration) {
        duration = 1.0f;
        elapsed = 1.0f;
        return;
    }
    duration = seconds;
    elapsed = 0.0f;
}

bool FadeTween::step(float dt, float& alpha) {
    if (duration <= 0.0f)
        return false;
    elapsed += dt;
    if (elapsed >= duration) {
        alpha = target;
        duration = -1.0f;
        return true;
    }
    alpha = start + elapsed / duration * (target - start);
    return false;
}

float RotateTween::begin_to(float current_turns, float target_degrees, float degrees_per_second) {
    start = fraction_of_turn(current_turns);
    target = fraction_of_turn(target_degrees / kDegreesPerTurn);
    if (target - start > 0.5f)
        start += 1.0f;
    else if (start - target > 0.5f)
        target += 1.0f;
    const float distance = std::fabs(target - start);
    const float speed_turns = std::fabs(degrees_per_second / kDegreesPerTurn);
    mode = ToTarget;
    // A zero speed cannot cover any distance: the turn completes at once.
    if (distance <= kInstantTweenDuration || speed_turns <= 0.0f) {
        duration = 1.0f;
        elapsed = 1.0f;
    } else {
        duration = distance / speed_turns;
        elapsed = 0.0f;
    }
    return (target - start) * kDegreesPerTurn;
}

void RotateTween::begin_continuous(float degrees_per_second) {
    mode = Continuous;
    speed = degrees_per_second / kDegreesPerTurn;
}

bool RotateTween::step(float dt, float& rotation) {
    if (mode == Continuous) {
        rotation = fraction_of_turn(rotation + dt * speed);
        return false;
    }
    if (mode != ToTarget)
        return false;
    elapsed += dt;
    if (elapsed >= duration) {
        rotation = target;
        mode = None;
        return true;
    }
    rotation = start + elapsed / duration * (target - start);
    return false;
}

void MoveTween::begin_instant(Vec2 from, Vec2 to, Mode kind) {
    mode = kind;
    start = from;
    target = to;
    duration = 1.0f;
    elapsed = 1.0f;
}

void MoveTween::begin_linear(Vec2 from, Vec2 to, float speed) {
    const float distance = std::hypot(to.x - from.x, to.y - from.y);
    // A zero distance or a speed that cannot cover it would divide by zero:
    // the move ends on the next step instead.
    if (distance <= 0.0f || !(std::fabs(speed) > 0.0f)) {
        begin_instant(from, to, Linear);
        return;
    }
    mode = Linear;
    start = from;
    target = to;
    duration = distance / std::fabs(speed);
    elapsed = 0.0f;
}

void MoveTween::begin_eased(Vec2 from, Vec2 to, float seconds, float acceleration_seconds,
                            float deceleration_seconds) {
    const float t1 = acceleration_seconds;
    const float t2 = deceleration_seconds;
    const float total = std::fmax(seconds, t1 + t2);
    // Without both phases (or without time) the profile's constants are
    // divisions by zero: the move ends on the next step instead.
    if (!(t1 > 0.0f) || !(t2 > 0.0f) || !(total > 0.0f)) {
        begin_instant(from, to, Accelerated);
        return;
    }
    mode = Accelerated;
    start = from;
    target = to;
    duration = total;
    elapsed = 0.0f;
    acceleration_time = t1;
    deceleration_time = t2;
    deceleration = 1.0f / (t2 * (total - t1 / 2.0f - t2 / 2.0f));
    acceleration = t2 * deceleration / t1;
}

float MoveTween::eased_fraction() const {
    const float l = elapsed;
    const float t1 = acceleration_time;
    const float t2 = deceleration_time;
    const float a = acceleration;
    const float cruise_end = duration - t2;
    const float accelerated = a * t1 * t1 / 2.0f;
    if (l <= t1)
        return a * l * l / 2.0f;
    if (l <= cruise_end)
        return a * t1 * (l - t1) + accelerated;
    const float braking = l - cruise_end;
    return a * t1 * (duration - t1 - t2) + accelerated + braking * a * t1 - braking * braking * deceleration / 2.0f;
}

bool MoveTween::step(float dt, Vec2& position) {
    if (mode == None)
        return false;
    elapsed += dt;
    if (elapsed >= duration) {
        position = target;
        mode = None;
        return true;
    }
    const float f = mode == Linear ? elapsed / duration : eased_fraction();
    position = {start.x + (target.x - start.x) * f, start.y + (target.y - start.y) * f};
    return false;
}

}  // namespace me
