#pragma once

#include <array>

#include "core/matrix4.h"
#include "gpu/view2d_viewport.h"
#include "script/engine_object.h"

namespace me {

// The window rectangle OpenGL draws into, y up from the window's bottom.
struct GLViewportRect {
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
};

// Maps a 2D canvas (the game's virtual resolution) onto a viewport of the
// window, with a camera position and zoom. Matrices are derived on demand and
// cached until a setting they depend on changes.
class View2d : public EngineObject {
public:
    static const ClassRecord kClassRecord;
    const ClassRecord& class_record() const override { return kClassRecord; }

    void set_viewport_position(Vec2 position);
    void set_viewport_size(Vec2 size);
    void set_canvas_size(Vec2 size);
    void set_camera_position(Vec2 position);
    void set_camera_zoom(Vec2 zoom);
    void set_depth_range(float near, float far);
    void fit_viewport_to_screen(Vec2 screen);
    void center_viewport_on_screen(Vec2 screen);

    const Viewport& viewport() const { return m_viewport; }
    Vec2 canvas_size() const { return m_canvas_size; }
    Vec2 zoom() const { return m_zoom; }
    // The canvas centre until a camera position is set.
    Vec2 camera_position() const;

    Vec2 screen_to_canvas(Vec2 screen) const;
    Vec2 canvas_to_screen(Vec2 canvas) const;
    // The canvas points at device (-1, -1) and (1, 1).
    std::array<Vec2, 2> visible_canvas_rectangle() const;

    const Matrix4& projection() const;
    const Matrix4& inverse_projection() const;
    const Matrix4& view() const;
    const Matrix4& inverse_view() const;
    const Matrix4& screen_to_device() const;
    const Matrix4& device_to_screen() const;

    // What the render device loads: the projection flipped so that canvas y
    // points down, and the viewport measured from the window's bottom.
    Matrix4 gl_projection() const;
    GLViewportRect gl_viewport(float window_height) const;

private:
    struct CachedMatrix {
        Matrix4 value;
        bool valid = false;
    };
    enum Cache { kProjection, kInverseProjection, kView, kInverseView, kScreenToDevice, kDeviceToScreen, kCacheCount };

    template <class Compute>
    const Matrix4& cached(Cache which, Compute compute) const;
    void invalidate_projection();
    void invalidate_view();
    void invalidate_screen();
    Matrix4 compute_projection(bool inverse) const;

    Viewport m_viewport;
    Vec2 m_canvas_size;
    bool m_camera_set = false;
    Vec2 m_camera_position;
    Vec2 m_zoom{1.0f, 1.0f};
    float m_near = -1.0f;
    float m_far = 1.0f;
    mutable std::array<CachedMatrix, kCacheCount> m_cache;
};

}  // namespace me
