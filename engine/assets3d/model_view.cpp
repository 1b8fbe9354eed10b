#include "assets3d/model_view.h"

#include "assets3d/model_drawer.h"
#include "gpu/render_device.h"

namespace me {

const ClassRecord ModelView::kClassRecord{"ModelView", &EngineObject::kClassRecord};

bool ModelView::set_model(const std::string& name) {
    ResourceRef<ModelResource> model = load_model(name);
    if (!model)
        return false;
    m_model = std::move(model);
    return true;
}

void ModelView::set_rotation(Vec3 turns) { m_rotation = quaternion_from_euler_angles(turns); }

Matrix4 ModelView::world_transform() const { return Matrix4::translation(m_position) * rotation_matrix(m_rotation); }

bool ModelView::render(RenderDevice& device, const Camera& camera, float window_height) {
    if (!m_model)
        return false;
    // The frame's first view clears the screen when clearing is on.
    device.begin_view();
    ModelDrawer drawer(device);
    drawer.set_light_direction(m_light);
    drawer.begin(camera, window_height);
    return drawer.draw(*m_model.get(), world_transform());
}

}  // namespace me
