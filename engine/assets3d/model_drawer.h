#pragma once

#include "core/matrix4.h"
#include "gpu/camera.h"

namespace me {

class ModelResource;
class RenderDevice;

// Draws models through a Camera with depth test and back-face culling, lit
// by one directional light. Shaders see the camera and model transforms in
// the GL projection and modelview matrices, and the direction toward the
// light, in the modelview's space, in the uniform property
// "light_direction" when they have one.
class ModelDrawer {
public:
    explicit ModelDrawer(RenderDevice& device) : m_device(device) {}

    // World space; need not be of unit length.
    void set_light_direction(Vec3 toward_light) { m_light = toward_light; }
    // Draws into the bound frame buffer from now on, on the camera's
    // viewport (window pixels, y down).
    void begin(const Camera& camera, float window_height);
    // False when the model's parts cannot be laid out for its shaders.
    bool draw(ModelResource& model, const Matrix4& world);

private:
    RenderDevice& m_device;
    Matrix4 m_view;
    Vec3 m_light{0.0f, -1.0f, 1.0f};
};

// The rotation of a unit quaternion.
Matrix4 rotation_matrix(Quaternion q);
// World to camera space: the inverse of the camera's position and orientation.
Matrix4 camera_view_matrix(const Camera& camera);

}  // namespace me
