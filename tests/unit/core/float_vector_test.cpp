#include <gtest/gtest.h>

#include <cmath>

#include "core/float_vector.h"

namespace me {
namespace {

constexpr float TOLERANCE = 1e-5f;

void expect_near(Vec3 actual, Vec3 expected) {
    EXPECT_NEAR(actual.x, expected.x, TOLERANCE);
    EXPECT_NEAR(actual.y, expected.y, TOLERANCE);
    EXPECT_NEAR(actual.z, expected.z, TOLERANCE);
}

// Rotation through the rotation matrix of a unit quaternion: an independent
// route to the same result as the vector formula.
Vec3 rotate_by_matrix(Quaternion q, Vec3 v) {
    const double x = q.x, y = q.y, z = q.z, w = q.w;
    return {
        static_cast<float>((1 - 2 * (y * y + z * z)) * v.x + 2 * (x * y - z * w) * v.y + 2 * (x * z + y * w) * v.z),
        static_cast<float>(2 * (x * y + z * w) * v.x + (1 - 2 * (x * x + z * z)) * v.y + 2 * (y * z - x * w) * v.z),
        static_cast<float>(2 * (x * z - y * w) * v.x + 2 * (y * z + x * w) * v.y + (1 - 2 * (x * x + y * y)) * v.z),
    };
}

TEST(FloatVector, AddSubtractAndLength) {
    EXPECT_EQ((Vec2{1.0f, 2.0f} + Vec2{3.0f, 4.0f}), (Vec2{4.0f, 6.0f}));
    EXPECT_EQ((Vec2{1.0f, 2.0f} - Vec2{3.0f, 5.0f}), (Vec2{-2.0f, -3.0f}));
    EXPECT_EQ((Vec3{1.0f, 2.0f, 3.0f} + Vec3{1.0f, 1.0f, 1.0f}), (Vec3{2.0f, 3.0f, 4.0f}));
    EXPECT_EQ((Vec3{1.0f, 2.0f, 3.0f} - Vec3{1.0f, 1.0f, 1.0f}), (Vec3{0.0f, 1.0f, 2.0f}));
    EXPECT_EQ(length(Vec2{3.0f, -4.0f}), 5.0f);
    EXPECT_EQ(length(Vec3{2.0f, 3.0f, -6.0f}), 7.0f);
    EXPECT_EQ(length(Vec2{}), 0.0f);
}

TEST(FloatVector, SafeNormalizeScalesToUnitLength) {
    EXPECT_EQ(safe_normalize(Vec2{3.0f, 4.0f}), (Vec2{0.6f, 0.8f}));
    EXPECT_EQ(safe_normalize(Vec3{0.0f, 0.0f, -2.0f}), (Vec3{0.0f, 0.0f, -1.0f}));
    EXPECT_NEAR(length(safe_normalize(Vec3{1e-3f, 2e-3f, 3e-3f})), 1.0f, TOLERANCE);
}

TEST(FloatVector, SafeNormalizeOfTinyVectorsIsZero) {
    EXPECT_EQ(safe_normalize(Vec2{0.00001f, 0.0f}), (Vec2{}));
    EXPECT_EQ(safe_normalize(Vec2{}), (Vec2{}));
    EXPECT_EQ(safe_normalize(Vec3{}), (Vec3{}));
    EXPECT_EQ(safe_normalize(Vec2{SAFE_NORMALIZE_MIN_LENGTH, 0.0f}), (Vec2{}));
    EXPECT_EQ(safe_normalize(Vec3{0.0f, 0.0f, -SAFE_NORMALIZE_MIN_LENGTH}), (Vec3{}));
    const float just_above = std::nextafter(SAFE_NORMALIZE_MIN_LENGTH, 1.0f);
    EXPECT_EQ(safe_normalize(Vec2{just_above, 0.0f}), (Vec2{1.0f, 0.0f}));
    const float nan = std::nanf("");
    EXPECT_EQ(safe_normalize(Vec2{nan, 0.0f}), (Vec2{}));
}

TEST(Quaternion, IdentityLeavesTheAxes) {
    const Quaternion identity;
    EXPECT_EQ(identity, (Quaternion{0.0f, 0.0f, 0.0f, 1.0f}));
    EXPECT_EQ(forward_vector(identity), (Vec3{0.0f, 1.0f, 0.0f}));
    EXPECT_EQ(right_vector(identity), (Vec3{1.0f, 0.0f, 0.0f}));
    EXPECT_EQ(up_vector(identity), (Vec3{0.0f, 0.0f, 1.0f}));
}

TEST(Quaternion, HamiltonProductOfBasisUnits) {
    const Quaternion i{1, 0, 0, 0};
    const Quaternion j{0, 1, 0, 0};
    const Quaternion k{0, 0, 1, 0};
    EXPECT_EQ(i * j, k);
    EXPECT_EQ(j * i, (Quaternion{0, 0, -1, 0}));
    EXPECT_EQ(j * k, i);
    EXPECT_EQ(k * i, j);
    EXPECT_EQ(i * i, (Quaternion{0, 0, 0, -1}));
    const Quaternion q{0.1f, -0.2f, 0.3f, 0.9f};
    EXPECT_EQ(Quaternion{} * q, q);
    EXPECT_EQ(q * Quaternion{}, q);
}

TEST(Quaternion, ProductComposesRotations) {
    const Quaternion p = quaternion_from_euler_angles({0.1f, 0.2f, 0.3f});
    const Quaternion q = quaternion_from_euler_angles({-0.35f, 0.05f, 0.6f});
    const Vec3 v{0.3f, -1.2f, 2.0f};
    expect_near(rotate(p * q, v), rotate(p, rotate(q, v)));
}

TEST(Quaternion, RotateMatchesTheRotationMatrix) {
    for (const Vec3 angles : {Vec3{0.1f, 0.2f, 0.3f}, Vec3{-0.7f, 0.45f, 0.0f}, Vec3{0.5f, -0.25f, 0.125f}}) {
        const Quaternion q = quaternion_from_euler_angles(angles);
        const Vec3 v{1.5f, -0.5f, 0.25f};
        expect_near(rotate(q, v), rotate_by_matrix(q, v));
        EXPECT_NEAR(length(rotate(q, v)), length(v), TOLERANCE);
    }
}

TEST(Quaternion, EulerAnglesAreInTurns) {
    // A quarter turn of yaw about z takes forward (0, 1, 0) to (-1, 0, 0).
    expect_near(forward_vector(quaternion_from_euler_angles({0.25f, 0.0f, 0.0f})), {-1.0f, 0.0f, 0.0f});
    // A quarter turn of pitch about x lifts forward to up.
    expect_near(forward_vector(quaternion_from_euler_angles({0.0f, 0.25f, 0.0f})), {0.0f, 0.0f, 1.0f});
    // A quarter turn about y takes right (1, 0, 0) to (0, 0, -1).
    expect_near(right_vector(quaternion_from_euler_angles({0.0f, 0.0f, 0.25f})), {0.0f, 0.0f, -1.0f});
    // A whole turn is the identity rotation, up to the sign of the quaternion.
    expect_near(up_vector(quaternion_from_euler_angles({1.0f, 1.0f, 1.0f})), {0.0f, 0.0f, 1.0f});
}

TEST(Quaternion, EulerAnglesApplyRollThenPitchThenYaw) {
    const float a = 0.13f, b = -0.21f, c = 0.34f;
    const Quaternion yaw = quaternion_from_euler_angles({a, 0.0f, 0.0f});
    const Quaternion pitch = quaternion_from_euler_angles({0.0f, b, 0.0f});
    const Quaternion roll = quaternion_from_euler_angles({0.0f, 0.0f, c});
    EXPECT_EQ(quaternion_from_euler_angles({a, b, c}), yaw * (pitch * roll));
    EXPECT_NE(quaternion_from_euler_angles({a, b, c}), roll * (pitch * yaw));
    EXPECT_NEAR(yaw.z, std::sin(a * 0.5f * TURNS_TO_RADIANS), TOLERANCE);
    EXPECT_NEAR(yaw.w, std::cos(a * 0.5f * TURNS_TO_RADIANS), TOLERANCE);
}

TEST(Quaternion, FromForwardVectorPointsForwardAlongIt) {
    for (const Vec3 direction : {Vec3{0.0f, 1.0f, 0.0f}, Vec3{1.0f, 0.0f, 0.0f}, Vec3{0.0f, -1.0f, 0.0f},
                                 Vec3{0.6f, 0.0f, 0.8f}, Vec3{-0.48f, 0.64f, -0.6f}, Vec3{0.0f, 0.0f, 1.0f}}) {
        expect_near(forward_vector(quaternion_from_forward_vector(direction)), direction);
    }
}

TEST(Quaternion, FromForwardVectorKeepsTheHorizonLevel) {
    const Quaternion q = quaternion_from_forward_vector({0.6f, 0.0f, 0.8f});
    EXPECT_NEAR(right_vector(q).z, 0.0f, TOLERANCE);
}

TEST(Quaternion, FromForwardVectorOfNonUnitVectorDoesNotCrash) {
    const Quaternion q = quaternion_from_forward_vector({0.0f, 0.0f, 3.0f});
    EXPECT_TRUE(std::isnan(q.w));
}

}  // namespace
}  // namespace me
