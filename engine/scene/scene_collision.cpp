#include "scene/scene_collision.h"

namespace me {

void CollisionShapes::add_circle(Vec2 centre, float radius) {
    m_shapes.push_back({centre, radius, false, {}});
}

void CollisionShapes::add_rectangle(Vec2 top_left, Vec2 size) {
    m_shapes.push_back({{top_left.x + size.x / 2.0f, top_left.y + size.y / 2.0f}, 0.0f, true, size});
}

namespace {

Vec2 world_centre(const CollisionShape& shape, const Matrix2d& world) {
    float x = shape.centre.x;
    float y = shape.centre.y;
    world.transform(x, y);
    return {x, y};
}

}  // namespace

bool shapes_touch(const CollisionShapes& first, const Matrix2d& first_world, const CollisionShapes& second,
                  const Matrix2d& second_world) {
    for (const CollisionShape& a : first.shapes()) {
        const Vec2 a_centre = world_centre(a, first_world);
        for (const CollisionShape& b : second.shapes()) {
            const Vec2 b_centre = world_centre(b, second_world);
            const float dx = a_centre.x - b_centre.x;
            const float dy = a_centre.y - b_centre.y;
            const float reach = a.radius + b.radius;
            if (dx * dx + dy * dy <= reach * reach)
                return true;
        }
    }
    return false;
}

}  // namespace me
