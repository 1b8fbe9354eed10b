#pragma once

#include <cstdint>
#include <vector>

#include "core/float_vector.h"
#include "core/matrix2d.h"

namespace me {

// A collision shape in object coordinates. Rectangles are kept by their
// centre and size; between objects every shape counts as a circle at its
// centre, so a rectangle is a point there.
struct CollisionShape {
    Vec2 centre;
    float radius = 0.0f;
    bool rectangle = false;
    Vec2 size;
};

// Which objects a collider is (category) and which it looks for (mask).
struct CollisionBits {
    uint32_t category = 0;
    uint32_t mask = 0;

    bool any() const { return category != 0 || mask != 0; }
    bool sees(const CollisionBits& other) const { return (mask & other.category) != 0; }
};

class CollisionShapes {
public:
    void add_circle(Vec2 centre, float radius);
    void add_rectangle(Vec2 top_left, Vec2 size);
    void clear() { m_shapes.clear(); }
    bool empty() const { return m_shapes.empty(); }
    const std::vector<CollisionShape>& shapes() const { return m_shapes; }

private:
    std::vector<CollisionShape> m_shapes;
};

// True when some shape of one, placed by its world matrix, reaches some
// shape of the other.
bool shapes_touch(const CollisionShapes& first, const Matrix2d& first_world, const CollisionShapes& second,
                  const Matrix2d& second_world);

}  // namespace me
