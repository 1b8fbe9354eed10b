#include "assets3d/model_drawer.h"

#include <GL/glew.h>

#include <array>
#include <cmath>

#include "assets3d/model_resource.h"
#include "gpu/render_device.h"

namespace me {

namespace {

Vec3 rotate_by(const Matrix4& m, Vec3 v) {
    return {m.at(0, 0) * v.x + m.at(0, 1) * v.y + m.at(0, 2) * v.z,
            m.at(1, 0) * v.x + m.at(1, 1) * v.y + m.at(1, 2) * v.z,
            m.at(2, 0) * v.x + m.at(2, 1) * v.y + m.at(2, 2) * v.z};
}

}  // namespace

Matrix4 rotation_matrix(Quaternion q) {
    Matrix4 m;
    m.at(0, 0) = 1 - 2 * (q.y * q.y + q.z * q.z);
    m.at(0, 1) = 2 * (q.x * q.y - q.z * q.w);
    m.at(0, 2) = 2 * (q.x * q.z + q.y * q.w);
    m.at(1, 0) = 2 * (q.x * q.y + q.z * q.w);
    m.at(1, 1) = 1 - 2 * (q.x * q.x + q.z * q.z);
    m.at(1, 2) = 2 * (q.y * q.z - q.x * q.w);
    m.at(2, 0) = 2 * (q.x * q.z - q.y * q.w);
    m.at(2, 1) = 2 * (q.y * q.z + q.x * q.w);
    m.at(2, 2) = 1 - 2 * (q.x * q.x + q.y * q.y);
    return m;
}

Matrix4 camera_view_matrix(const Camera& camera) {
    const Quaternion o = camera.orientation();
    const Matrix4 inverse_rotation = rotation_matrix({-o.x, -o.y, -o.z, o.w});
    const Vec3 p = camera.position();
    return inverse_rotation * Matrix4::translation({-p.x, -p.y, -p.z});
}

void ModelDrawer::begin(const Camera& camera, float window_height) {
    const Viewport& viewport = camera.viewport();
    m_device.set_viewport(static_cast<int>(std::lround(viewport.position.x)),
                          static_cast<int>(std::lround(window_height - viewport.position.y - viewport.size.y)),
                          static_cast<int>(std::lround(viewport.size.x)), static_cast<int>(std::lround(viewport.size.y)));
    m_view = camera_view_matrix(camera);
    if (m_device.has_gl_context()) {
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(camera.projection().elements.data());
        glMatrixMode(GL_MODELVIEW);
    }
    m_device.set_render_state(m_device.render_state(kDepthTestLess, true, CullMode::Back, 0));
}

bool ModelDrawer::draw(ModelResource& model, const Matrix4& world) {
    if (!model.prepare_geometry(m_device))
        return false;
    const Vec3 light = safe_normalize(rotate_by(m_view, m_light));
    const std::array<float, 3> light_values{light.x, light.y, light.z};
    for (const ModelDrawEntry& entry : model.draw_entries()) {
        entry.material->apply(m_device);
        if (const Shader* shader = entry.material->shader())
            shader->set_uniform("light_direction", light_values);
        if (m_device.has_gl_context())
            glLoadMatrixf((m_view * world * entry.transform).elements.data());
        m_device.set_geometry(entry.geometry);
        m_device.draw_indexed_triangles(entry.index_count);
    }
    return true;
}

}  // namespace me
