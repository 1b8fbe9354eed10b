#include <cmath>

#include "scene/scene_object.h"
#include "resources/sprite.h"

namespace me {

namespace {

// The point in the coordinates of the matrix's source space; false when the
// matrix has collapsed and no point maps back.
bool untransform(const Matrix2d& world, Vec2 point, Vec2& local) {
    const float determinant = world.a * world.d - world.b * world.c;
    if (determinant == 0.0f || !std::isfinite(determinant))
        return false;
    const float dx = point.x - world.tx;
    const float dy = point.y - world.ty;
    local = {(world.d * dx - world.c * dy) / determinant, (world.a * dy - world.b * dx) / determinant};
    return true;
}

bool inside_circle(const CollisionCircle& circle, Vec2 point) {
    const float dx = point.x - circle.center.x;
    const float dy = point.y - circle.center.y;
    return dx * dx + dy * dy <= circle.radius * circle.radius;
}

bool inside_span(float value, float start, float length) {
    return length >= 0.0f ? value >= start && value <= start + length : value <= start && value >= start + length;
}

bool inside_rect(const CollisionRect& rect, Vec2 point) {
    return inside_span(point.x, rect.x, rect.width) && inside_span(point.y, rect.y, rect.height);
}

bool sprite_contains(const Sprite& sprite, Vec2 point) {
    for (const CollisionCircle& circle : sprite.collision_circles())
        if (inside_circle(circle, point))
            return true;
    for (const CollisionRect& rect : sprite.collision_rects())
        if (inside_rect(rect, point))
            return true;
    return false;
}

}  // namespace

bool SceneObject::test_collision_with_point(Vec2 world_point) {
    Vec2 local;
    if (!untransform(world_matrix(), world_point, local))
        return false;
    // An animated sprite tests the shapes of the frame shown, then its own.
    const Sprite* frame = drawn_sprite();
    if (frame != nullptr && sprite_contains(*frame, local))
        return true;
    return m_sprite && m_sprite.get() != frame && sprite_contains(*m_sprite.get(), local);
}

}  // namespace me
