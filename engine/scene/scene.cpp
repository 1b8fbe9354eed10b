#include "scene/scene.h"

#include <algorithm>

#include "core/log.h"
#include "gpu/quad_batch.h"
#include "gpu/render_device.h"
#include "gpu/view2d.h"
#include "gpu/view2d_gl.h"
#include "scene/scene_callbacks.h"

namespace me {

const ClassRecord Scene::kClassRecord{"Scene", &EngineObject::kClassRecord};

Scene::~Scene() {
    for (SceneLayer& layer : m_layers)
        while (layer.first() != nullptr)
            remove(*layer.first());
}

bool Scene::is_layer(int layer) { return layer >= SceneObject::kLowestLayer && layer <= SceneObject::kHighestLayer; }

void Scene::add(SceneObject& object) {
    object.m_scene = this;
    m_layers[index_of(object.m_layer)].append(object);
    object.acquire();
}

void Scene::remove(SceneObject& object) {
    if (object.m_scene != this)
        return;
    m_layers[index_of(object.m_layer)].unlink(object);
    object.m_scene = nullptr;
    object.release();
}

void Scene::set_view(View2d* view) { m_view = ResourceRef<View2d>(view); }

void Scene::update(float dt) {
    // The working lists belong to the update in progress.
    if (m_updating) {
        log_error("Scene.update called from one of its own callbacks is ignored.");
        return;
    }
    m_updating = true;
    m_recorded.clear();
    for (SceneLayer& layer : m_layers)
        step_layer(layer, dt);
    call_event_callbacks();
    find_collisions();
    call_collision_callbacks();
    m_updating = false;
}

void Scene::step_layer(SceneLayer& layer, float dt) {
    // References on the object being stepped and on its successor keep both
    // alive when a callback removes them from the scene.
    SceneObject* object = layer.first();
    if (object != nullptr)
        object->acquire();
    while (object != nullptr) {
        SceneObject* next = object->next_in_layer();
        if (next != nullptr)
            next->acquire();
        const SceneObjectEvents events = object->step(dt);
        if (events.any() && has_script_instance(*object)) {
            object->acquire();
            m_recorded.push_back({object, events});
        }
        object->release();
        object = next;
    }
}

void Scene::call_event_callbacks() {
    for (const RecordedEvents& recorded : m_recorded) {
        SceneObject& object = *recorded.object;
        if (recorded.events.move_end)
            call_scene_callback(object, scene_callbacks::kMoveEnd);
        if (recorded.events.rotate_end)
            call_scene_callback(object, scene_callbacks::kRotateEnd);
        if (recorded.events.fade_end)
            call_scene_callback(object, scene_callbacks::kFadeAlphaEnd);
        if (recorded.events.out_of_area)
            call_scene_callback(object, scene_callbacks::kOutOfArea);
    }
    for (const RecordedEvents& recorded : m_recorded)
        recorded.object->release();
    m_recorded.clear();
}

void Scene::find_collisions() {
    m_colliders.clear();
    m_sightings.clear();
    for (const SceneLayer& layer : m_layers)
        for (SceneObject* object = layer.first(); object != nullptr; object = object->next_in_layer())
            if (!object->collision_shapes().empty())
                m_colliders.push_back(object);
    for (size_t i = 0; i < m_colliders.size(); ++i) {
        SceneObject& p = *m_colliders[i];
        if (!p.collision_bits().any())
            continue;
        for (size_t j = i + 1; j < m_colliders.size(); ++j) {
            SceneObject& q = *m_colliders[j];
            const bool p_sees_q = p.collision_bits().sees(q.collision_bits());
            const bool q_sees_p = q.collision_bits().sees(p.collision_bits());
            if (!p_sees_q && !q_sees_p)
                continue;
            if (!shapes_touch(p.collision_shapes(), p.world_matrix(), q.collision_shapes(), q.world_matrix()))
                continue;
            if (p_sees_q)
                m_sightings.push_back({&p, &q});
            if (q_sees_p)
                m_sightings.push_back({&q, &p});
        }
    }
    for (const Sighting& sighting : m_sightings) {
        sighting.seer->acquire();
        sighting.seen->acquire();
    }
}

void Scene::call_collision_callbacks() {
    for (const Sighting& sighting : m_sightings)
        if (has_script_instance(*sighting.seen))
            call_scene_callback(*sighting.seer, scene_callbacks::kCollision, sighting.seen);
    for (const Sighting& sighting : m_sightings) {
        sighting.seer->release();
        sighting.seen->release();
    }
    m_sightings.clear();
}

namespace {

float topmost_parent_y(SceneObject& object) {
    Entity2d* top = &object;
    while (top->parent() != nullptr)
        top = top->parent();
    return top->world_matrix().ty;
}

}  // namespace

void Scene::sort_layer(int layer) {
    SceneLayer& sorted = m_layers[index_of(layer)];
    m_sort_keys.clear();
    for (SceneObject* object = sorted.first(); object != nullptr; object = object->next_in_layer())
        m_sort_keys.emplace_back(topmost_parent_y(*object), object);
    std::stable_sort(m_sort_keys.begin(), m_sort_keys.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    m_sort_order.clear();
    for (const auto& [key, object] : m_sort_keys)
        m_sort_order.push_back(object);
    sorted.relink(m_sort_order);
}

void Scene::render_2d(RenderDevice& device, QuadBatch& batch, float window_height) {
    if (!m_view)
        return;
    // The frame's first view clears the screen when clearing is on.
    device.begin_view();
    load_view(device, *m_view.get(), window_height);
    batch.reset();
    for (SceneLayer& layer : m_layers)
        for (SceneObject* object = layer.first(); object != nullptr; object = object->next_in_layer())
            if (object->enabled())
                object->draw(batch, *m_view.get());
    batch.flush();
}

}  // namespace me
