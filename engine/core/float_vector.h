#pragma once

namespace me {

// Presentation-side vectors in single precision; game state never uses them.
// Rotations are measured in turns: 1.0 is one full revolution.

inline constexpr float TURNS_TO_RADIANS = 6.2831855f;
inline constexpr float RADIANS_TO_TURNS = 0.15915494f;

// Lengths at or below this count as zero when normalizing.
inline constexpr float SAFE_NORMALIZE_MIN_LENGTH = 0.0000152587890625f;

struct Vec2 {
    float x = 0.0f;
    float y = 0.0f;

    friend constexpr bool operator==(Vec2, Vec2) = default;
};

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    friend constexpr bool operator==(Vec3, Vec3) = default;
};

// (x, y, z) is the vector part, w the scalar part.
struct Quaternion {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;

    friend constexpr bool operator==(Quaternion, Quaternion) = default;
};

constexpr Vec2 operator+(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
constexpr Vec2 operator-(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
constexpr Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
constexpr Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

float length(Vec2 v);
float length(Vec3 v);

// All zeros when the length is too small to divide by.
Vec2 safe_normalize(Vec2 v);
Vec3 safe_normalize(Vec3 v);

// The Hamilton product p * q: rotating by the result rotates by q, then p.
Quaternion operator*(Quaternion p, Quaternion q);

Vec3 rotate(Quaternion q, Vec3 v);

Vec3 forward_vector(Quaternion q);
Vec3 right_vector(Quaternion q);
Vec3 up_vector(Quaternion q);

// turns holds (yaw about z, pitch about x, roll about y); the roll applies
// first and the yaw last.
Quaternion quaternion_from_euler_angles(Vec3 turns);

// forward_vector of the result points along the unit vector `forward`.
// A vector longer than one in z gives NaN components.
Quaternion quaternion_from_forward_vector(Vec3 forward);

}  // namespace me
