#pragma once

#include "core/matrix4.h"
#include "gpu/view2d_viewport.h"
#include "script/engine_object.h"

namespace me {

// The 3D counterpart of View2d, perspective or orthographic. The world is
// z-up with y pointing into the screen; angles are in turns.
class Camera : public EngineObject {
public:
    static const ClassRecord kClassRecord;
    static constexpr float kDefaultFieldOfView = 1.0f / 6.0f;
    const ClassRecord& class_record() const override { return kClassRecord; }

    void set_viewport_position(Vec2 position);
    void set_viewport_size(Vec2 size);
    void fit_viewport_to_screen(Vec2 screen);
    void set_orthographic(bool orthographic);
    // The orthographic width and height.
    void set_canvas_size(Vec2 size);
    // A value at or below zero is derived from the other and the viewport's
    // aspect ratio.
    void set_fov_angles(float horizontal, float vertical);
    void set_near_plane(float near);
    void set_far_plane(float far);
    void set_position(Vec3 position) { m_position = position; }
    void set_orientation(Quaternion orientation) { m_orientation = orientation; }

    const Viewport& viewport() const { return m_viewport; }
    bool orthographic() const { return m_orthographic; }
    float horizontal_fov() const { return m_horizontal_fov; }
    float vertical_fov() const { return m_vertical_fov; }
    float near_plane() const { return m_near; }
    float far_plane() const { return m_far; }
    Vec3 position() const { return m_position; }
    Quaternion orientation() const { return m_orientation; }

    const Matrix4& projection() const;
    // Half the visible width and height: at unit depth in perspective, in
    // world units when orthographic.
    Vec2 half_extents() const;
    // Screen pixels (y down) to device coordinates (y up).
    const Matrix4& screen_to_device() const;
    // The eye-space point under a screen point at the given depth along y.
    Vec3 screen_to_eye(Vec2 screen, float depth) const;

private:
    Matrix4 compute_projection() const;

    Viewport m_viewport;
    Vec3 m_position;
    Quaternion m_orientation;
    bool m_orthographic = false;
    Vec2 m_orthographic_size;
    float m_horizontal_fov = kDefaultFieldOfView;
    float m_vertical_fov = kDefaultFieldOfView;
    float m_near = 0.1f;
    float m_far = 1000.0f;
    mutable Matrix4 m_projection;
    mutable bool m_projection_valid = false;
    mutable Matrix4 m_screen_to_device;
    mutable bool m_screen_to_device_valid = false;
};

// The vertical field of view matching a horizontal one on a viewport of the
// given width / height, and the converse; both in turns. A degenerate
// viewport leaves nothing to derive from and gives 0.
float vertical_fov_from_horizontal(float horizontal, Vec2 viewport_size);
float horizontal_fov_from_vertical(float vertical, Vec2 viewport_size);

}  // namespace me
