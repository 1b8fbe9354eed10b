#pragma once

#include <vector>

namespace me {

class SceneObject;

// One layer of a scene: its objects in drawing order as an intrusive doubly
// linked list through the objects' layer links, with its count.
class SceneLayer {
public:
    void append(SceneObject& object);
    void unlink(SceneObject& object);
    // Relinks the layer in the order given, which must hold exactly its
    // objects.
    void relink(const std::vector<SceneObject*>& order);

    SceneObject* first() const { return m_first; }
    SceneObject* last() const { return m_last; }
    int count() const { return m_count; }

private:
    SceneObject* m_first = nullptr;
    SceneObject* m_last = nullptr;
    int m_count = 0;
};

}  // namespace me
