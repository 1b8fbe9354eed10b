#include "scene/scene_layer.h"

#include "scene/scene_object.h"

namespace me {

void SceneLayer::append(SceneObject& object) {
    object.m_previous = m_last;
    object.m_next = nullptr;
    if (m_last != nullptr)
        m_last->m_next = &object;
    else
        m_first = &object;
    m_last = &object;
    ++m_count;
}

void SceneLayer::unlink(SceneObject& object) {
    if (object.m_previous != nullptr)
        object.m_previous->m_next = object.m_next;
    else
        m_first = object.m_next;
    if (object.m_next != nullptr)
        object.m_next->m_previous = object.m_previous;
    else
        m_last = object.m_previous;
    object.m_previous = nullptr;
    object.m_next = nullptr;
    --m_count;
}

void SceneLayer::relink(const std::vector<SceneObject*>& order) {
    m_first = nullptr;
    m_last = nullptr;
    m_count = 0;
    for (SceneObject* object : order)
        append(*object);
}

}  // namespace me
