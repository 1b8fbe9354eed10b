#pragma once

#include <string>

#include "assets3d/model_resource.h"
#include "gpu/camera.h"
#include "script/engine_object.h"

namespace me {

class RenderDevice;

// A model placed in the world for scripts that want to look at one (the
// model viewer): its position, its rotation and the light it is drawn in.
class ModelView : public EngineObject {
public:
    static const ClassRecord kClassRecord;
    const ClassRecord& class_record() const override { return kClassRecord; }

    // False, keeping the previous model, when the model cannot be loaded.
    bool set_model(const std::string& name);
    bool has_model() const { return static_cast<bool>(m_model); }
    void set_position(Vec3 position) { m_position = position; }
    // Turns: yaw about z, pitch about x, roll about y.
    void set_rotation(Vec3 turns);
    void set_light_direction(Vec3 toward_light) { m_light = toward_light; }

    // Model space to world space.
    Matrix4 world_transform() const;
    // Draws the model as a view of its own; false without a model or when
    // its parts cannot be laid out.
    bool render(RenderDevice& device, const Camera& camera, float window_height);

private:
    ResourceRef<ModelResource> m_model;
    Vec3 m_position;
    Quaternion m_rotation;
    Vec3 m_light{-1.0f, -2.0f, 3.0f};
};

}  // namespace me
