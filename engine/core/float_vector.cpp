#include "core/float_vector.h"

#include <cmath>

namespace me {

namespace {

float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vec3 scaled(Vec3 v, float s) { return {v.x * s, v.y * s, v.z * s}; }

Quaternion rotation_about_axis(float turns, Vec3 axis) {
    const float half_angle = turns * 0.5f * TURNS_TO_RADIANS;
    const float s = std::sin(half_angle);
    return {axis.x * s, axis.y * s, axis.z * s, std::cos(half_angle)};
}

}  // namespace

float length(Vec2 v) { return std::sqrt(v.x * v.x + v.y * v.y); }

float length(Vec3 v) { return std::sqrt(dot(v, v)); }

Vec2 safe_normalize(Vec2 v) {
    const float l = length(v);
    if (!(l > SAFE_NORMALIZE_MIN_LENGTH)) return {};
    return {v.x / l, v.y / l};
}

Vec3 safe_normalize(Vec3 v) {
    const float l = length(v);
    if (!(l > SAFE_NORMALIZE_MIN_LENGTH)) return {};
    return {v.x / l, v.y / l, v.z / l};
}

Quaternion operator*(Quaternion p, Quaternion q) {
    return {
        p.w * q.x + p.x * q.w + p.y * q.z - p.z * q.y,
        p.w * q.y + p.y * q.w + p.z * q.x - p.x * q.z,
        p.w * q.z + p.z * q.w + p.x * q.y - p.y * q.x,
        p.w * q.w - (p.x * q.x + p.y * q.y + p.z * q.z),
    };
}

Vec3 rotate(Quaternion q, Vec3 v) {
    const Vec3 u{q.x, q.y, q.z};
    return scaled(u, 2.0f * dot(u, v)) + scaled(v, q.w * q.w - dot(u, u)) + scaled(cross(u, v), 2.0f * q.w);
}

Vec3 forward_vector(Quaternion q) { return rotate(q, {0.0f, 1.0f, 0.0f}); }

Vec3 right_vector(Quaternion q) { return rotate(q, {1.0f, 0.0f, 0.0f}); }

Vec3 up_vector(Quaternion q) { return rotate(q, {0.0f, 0.0f, 1.0f}); }

Quaternion quaternion_from_euler_angles(Vec3 turns) {
    const Quaternion about_z = rotation_about_axis(turns.x, {0.0f, 0.0f, 1.0f});
    const Quaternion about_x = rotation_about_axis(turns.y, {1.0f, 0.0f, 0.0f});
    const Quaternion about_y = rotation_about_axis(turns.z, {0.0f, 1.0f, 0.0f});
    return about_z * (about_x * about_y);
}

Quaternion quaternion_from_forward_vector(Vec3 forward) {
    const float yaw = std::atan2(-forward.x, forward.y) * RADIANS_TO_TURNS;
    const float pitch = std::asin(forward.z) * RADIANS_TO_TURNS;
    return quaternion_from_euler_angles({yaw, pitch, 0.0f});
}

}  // namespace me
