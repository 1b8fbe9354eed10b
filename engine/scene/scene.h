#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/resource_ref.h"
#include "scene/scene_layer.h"
#include "scene/scene_object.h"
#include "script/engine_object.h"

namespace me {

class QuadBatch;
class RenderDevice;
class View2d;

// A 2D scene: 33 layers (-16 to 16) of objects that it steps and draws
// through a view. The scene holds a reference to each of its objects.
class Scene : public EngineObject {
public:
    static constexpr int kLayerCount = SceneObject::kHighestLayer - SceneObject::kLowestLayer + 1;

    static const ClassRecord kClassRecord;

    Scene() = default;
    ~Scene() override;
    const ClassRecord& class_record() const override { return kClassRecord; }

    // Appends the object to the end of its layer; the scene takes a reference.
    void add(SceneObject& object);
    // Unlinks the object and drops the scene's reference, which may destroy it.
    void remove(SceneObject& object);
    static bool is_layer(int layer);
    const SceneLayer& layer(int layer) const { return m_layers[index_of(layer)]; }

    void set_view(View2d* view);
    View2d* view() const { return m_view.get(); }

    // Steps every object, then calls the script callbacks the steps raised,
    // then runs the collision pass.
    void update(float dt);
    // Stable sort of the layer by the world y of each object's topmost
    // parent.
    void sort_layer(int layer);
    // Draws the enabled objects layer by layer through the batch; nothing
    // without a view.
    void render_2d(RenderDevice& device, QuadBatch& batch, float window_height);

private:
    struct RecordedEvents {
        SceneObject* object;
        SceneObjectEvents events;
    };
    struct Sighting {
        SceneObject* seer;
        SceneObject* seen;
    };

    static int index_of(int layer) { return layer - SceneObject::kLowestLayer; }
    void step_layer(SceneLayer& layer, float dt);
    void call_event_callbacks();
    void find_collisions();
    void call_collision_callbacks();

    std::array<SceneLayer, kLayerCount> m_layers;
    ResourceRef<View2d> m_view;
    // Working lists kept between updates so that steady updates allocate
    // nothing.
    std::vector<RecordedEvents> m_recorded;
    std::vector<SceneObject*> m_colliders;
    std::vector<Sighting> m_sightings;
    std::vector<std::pair<float, SceneObject*>> m_sort_keys;
    std::vector<SceneObject*> m_sort_order;
    bool m_updating = false;
};

}  // namespace me
