#include "gpu/camera.h"

#include <cmath>
#include <numbers>

namespace me {

const ClassRecord Camera::kClassRecord{"Camera", &EngineObject::kClassRecord};

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

// The angle whose half-angle tangent is ratio times that of the known angle.
float derive_fov(float known, float ratio) {
    if (!std::isfinite(ratio) || ratio <= 0.0f)
        return 0.0f;
    return 2.0f * std::atan(std::tan(known * kPi) * ratio) / (2.0f * kPi);
}

// (x, y, z) to (x, z, -y): the world's depth axis becomes the eye's -z.
Matrix4 world_to_eye_axes() {
    Matrix4 result = Matrix4::scaling({1.0f, 0.0f, 0.0f});
    result.at(1, 2) = 1.0f;
    result.at(2, 1) = -1.0f;
    return result;
}

}  // namespace

float vertical_fov_from_horizontal(float horizontal, Vec2 viewport_size) {
    return derive_fov(horizontal, viewport_size.y / viewport_size.x);
}

float horizontal_fov_from_vertical(float vertical, Vec2 viewport_size) {
    return derive_fov(vertical, viewport_size.x / viewport_size.y);
}

void Camera::set_viewport_position(Vec2 position) {
    m_viewport.position = position;
    m_screen_to_device_valid = false;
}

void Camera::set_viewport_size(Vec2 size) {
    m_viewport.size = size;
    m_screen_to_device_valid = false;
}

void Camera::fit_viewport_to_screen(Vec2 screen) {
    m_viewport = me::fit_viewport_to_screen(m_viewport, screen);
    m_screen_to_device_valid = false;
}

void Camera::set_orthographic(bool orthographic) {
    m_orthographic = orthographic;
    m_projection_valid = false;
}

void Camera::set_canvas_size(Vec2 size) {
    m_orthographic_size = size;
    if (m_orthographic)
        m_projection_valid = false;
}

void Camera::set_fov_angles(float horizontal, float vertical) {
    if (vertical <= 0.0f)
        vertical = vertical_fov_from_horizontal(horizontal, m_viewport.size);
    if (horizontal <= 0.0f)
        horizontal = horizontal_fov_from_vertical(vertical, m_viewport.size);
    m_horizontal_fov = horizontal;
    m_vertical_fov = vertical;
    if (!m_orthographic)
        m_projection_valid = false;
}

void Camera::set_near_plane(float near) {
    m_near = near;
    m_projection_valid = false;
}

void Camera::set_far_plane(float far) {
    m_far = far;
    m_projection_valid = false;
}

const Matrix4& Camera::projection() const {
    if (!m_projection_valid) {
        m_projection = compute_projection();
        m_projection_valid = true;
    }
    return m_projection;
}

Vec2 Camera::half_extents() const {
    if (m_orthographic)
        return {m_orthographic_size.x / 2.0f, m_orthographic_size.y / 2.0f};
    return {std::tan(m_horizontal_fov * kPi), std::tan(m_vertical_fov * kPi)};
}

const Matrix4& Camera::screen_to_device() const {
    if (!m_screen_to_device_valid) {
        const float scale_x = 2.0f * safe_reciprocal(m_viewport.size.x);
        const float scale_y = 2.0f * safe_reciprocal(m_viewport.size.y);
        m_screen_to_device = Matrix4::scaling({scale_x, -scale_y, 1.0f});
        m_screen_to_device.at(0, 3) = -m_viewport.position.x * scale_x - 1.0f;
        m_screen_to_device.at(1, 3) = m_viewport.position.y * scale_y + 1.0f;
        m_screen_to_device_valid = true;
    }
    return m_screen_to_device;
}

Vec3 Camera::screen_to_eye(Vec2 screen, float depth) const {
    const Vec3 device = transform_point(screen_to_device(), {screen.x, screen.y, 0.0f});
    const Vec2 half = half_extents();
    const float spread = m_orthographic ? 1.0f : depth;
    return {half.x * device.x * spread, depth, half.y * device.y * spread};
}

// A zero field of view or size flattens its axis instead of producing
// infinities.
Matrix4 Camera::compute_projection() const {
    const float depth = safe_reciprocal(m_far - m_near);
    Matrix4 lens;
    if (m_orthographic) {
        lens = Matrix4::orthographic(-m_orthographic_size.x / 2.0f, m_orthographic_size.x / 2.0f,
                                     -m_orthographic_size.y / 2.0f, m_orthographic_size.y / 2.0f, m_near, m_far);
    } else {
        const Vec2 half = half_extents();
        lens = Matrix4::scaling({safe_reciprocal(half.x), safe_reciprocal(half.y), -(m_far + m_near) * depth});
        lens.at(2, 3) = -2.0f * m_far * m_near * depth;
        lens.at(3, 2) = -1.0f;
        lens.at(3, 3) = 0.0f;
    }
    return lens * world_to_eye_axes();
}

}  // namespace me
