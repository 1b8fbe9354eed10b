#include "gpu/view2d.h"

namespace me {

const ClassRecord View2d::kClassRecord{"View2d", &EngineObject::kClassRecord};

void View2d::set_viewport_position(Vec2 position) {
    m_viewport.position = position;
    invalidate_screen();
}

void View2d::set_viewport_size(Vec2 size) {
    m_viewport.size = size;
    invalidate_screen();
}

void View2d::set_canvas_size(Vec2 size) {
    m_canvas_size = size;
    invalidate_projection();
    invalidate_view();
}

void View2d::set_camera_position(Vec2 position) {
    m_camera_position = position;
    m_camera_set = true;
    invalidate_view();
}

void View2d::set_camera_zoom(Vec2 zoom) {
    m_zoom = zoom;
    invalidate_projection();
}

void View2d::set_depth_range(float near, float far) {
    m_near = near;
    m_far = far;
    invalidate_projection();
}

void View2d::fit_viewport_to_screen(Vec2 screen) {
    m_viewport = me::fit_viewport_to_screen(m_viewport, screen);
    invalidate_screen();
}

void View2d::center_viewport_on_screen(Vec2 screen) {
    m_viewport = me::center_viewport_on_screen(m_viewport, screen);
    invalidate_screen();
}

Vec2 View2d::camera_position() const {
    if (m_camera_set)
        return m_camera_position;
    return {m_canvas_size.x / 2.0f, m_canvas_size.y / 2.0f};
}

Vec2 View2d::screen_to_canvas(Vec2 screen) const {
    Vec3 point = transform_point(screen_to_device(), {screen.x, screen.y, 0.0f});
    point = transform_point(inverse_projection(), point);
    point = transform_point(inverse_view(), point);
    return {point.x, point.y};
}

Vec2 View2d::canvas_to_screen(Vec2 canvas) const {
    Vec3 point = transform_point(view(), {canvas.x, canvas.y, 0.0f});
    point = transform_point(projection(), point);
    point = transform_point(device_to_screen(), point);
    return {point.x, point.y};
}

std::array<Vec2, 2> View2d::visible_canvas_rectangle() const {
    std::array<Vec2, 2> corners;
    const float device[2] = {-1.0f, 1.0f};
    for (int i = 0; i < 2; ++i) {
        const Vec3 eye = transform_point(inverse_projection(), {device[i], device[i], 0.0f});
        const Vec3 canvas = transform_point(inverse_view(), eye);
        corners[i] = {canvas.x, canvas.y};
    }
    return corners;
}

const Matrix4& View2d::projection() const {
    return cached(kProjection, [this] { return compute_projection(false); });
}

const Matrix4& View2d::inverse_projection() const {
    return cached(kInverseProjection, [this] { return compute_projection(true); });
}

const Matrix4& View2d::view() const {
    return cached(kView, [this] {
        const Vec2 camera = camera_position();
        return Matrix4::translation({-camera.x, -camera.y, 0.0f});
    });
}

const Matrix4& View2d::inverse_view() const {
    return cached(kInverseView, [this] {
        const Vec2 camera = camera_position();
        return Matrix4::translation({camera.x, camera.y, 0.0f});
    });
}

const Matrix4& View2d::screen_to_device() const {
    return cached(kScreenToDevice, [this] {
        const Vec2 scale{2.0f * safe_reciprocal(m_viewport.size.x), 2.0f * safe_reciprocal(m_viewport.size.y)};
        Matrix4 result = Matrix4::scaling({scale.x, scale.y, 1.0f});
        result.at(0, 3) = -m_viewport.position.x * scale.x - 1.0f;
        result.at(1, 3) = -m_viewport.position.y * scale.y - 1.0f;
        return result;
    });
}

const Matrix4& View2d::device_to_screen() const {
    return cached(kDeviceToScreen, [this] {
        const Vec2 half = {m_viewport.size.x / 2.0f, m_viewport.size.y / 2.0f};
        Matrix4 result = Matrix4::scaling({half.x, half.y, 1.0f});
        result.at(0, 3) = m_viewport.position.x + half.x;
        result.at(1, 3) = m_viewport.position.y + half.y;
        return result;
    });
}

Matrix4 View2d::gl_projection() const { return Matrix4::scaling({1.0f, -1.0f, 1.0f}) * projection(); }

GLViewportRect View2d::gl_viewport(float window_height) const {
    return {m_viewport.position.x, window_height - m_viewport.position.y - m_viewport.size.y, m_viewport.size.x,
            m_viewport.size.y};
}

template <class Compute>
const Matrix4& View2d::cached(Cache which, Compute compute) const {
    CachedMatrix& entry = m_cache[which];
    if (!entry.valid) {
        entry.value = compute();
        entry.valid = true;
    }
    return entry.value;
}

void View2d::invalidate_projection() {
    m_cache[kProjection].valid = false;
    m_cache[kInverseProjection].valid = false;
}

void View2d::invalidate_view() {
    m_cache[kView].valid = false;
    m_cache[kInverseView].valid = false;
}

void View2d::invalidate_screen() {
    m_cache[kScreenToDevice].valid = false;
    m_cache[kDeviceToScreen].valid = false;
}

// A zero zoom would divide by zero; it shows nothing instead (a flat mapping).
Matrix4 View2d::compute_projection(bool inverse) const {
    const float half_width = m_canvas_size.x / 2.0f * safe_reciprocal(m_zoom.x);
    const float half_height = m_canvas_size.y / 2.0f * safe_reciprocal(m_zoom.y);
    if (inverse)
        return Matrix4::orthographic_inverse(-half_width, half_width, -half_height, half_height, m_near, m_far);
    return Matrix4::orthographic(-half_width, half_width, -half_height, half_height, m_near, m_far);
}

}  // namespace me
