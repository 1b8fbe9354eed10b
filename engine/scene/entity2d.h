#pragma once

#include <cstdint>

#include "core/matrix2d.h"
#include "script/engine_object.h"

namespace me {

// A node of a 2D transform tree: position, rotation in turns and scale,
// relative to its parent. The world matrix is cached until the node or an
// ancestor moves.
class Entity2d : public EngineObject {
public:
    static const ClassRecord kClassRecord;
    static constexpr uint32_t kRotated = 1;
    static constexpr uint32_t kScaled = 2;
    static constexpr uint32_t kWorldValid = 4;

    ~Entity2d() override;
    const ClassRecord& class_record() const override { return kClassRecord; }

    void set_position(float x, float y);
    void set_rotation(float turns);
    void set_scale(float x, float y);
    float x() const { return m_x; }
    float y() const { return m_y; }
    float rotation() const { return m_rotation; }
    float scale_x() const { return m_scale_x; }
    float scale_y() const { return m_scale_y; }
    uint32_t flags() const { return m_flags; }

    // Null frees the node keeping its placement. Itself or one of its own
    // descendants is refused with an error line and leaves the node free.
    void set_parent(Entity2d* parent);
    Entity2d* parent() const { return m_parent; }
    Entity2d* first_child() const { return m_first_child; }
    Entity2d* next_sibling() const { return m_next_sibling; }
    bool is_ancestor_of(const Entity2d& node) const;

    const Matrix2d& world_matrix();

private:
    Matrix2d local_matrix() const;
    void invalidate_world();
    void detach_keeping_placement();
    void append_to(Entity2d& parent);
    void unlink();

    Entity2d* m_parent = nullptr;
    Entity2d* m_first_child = nullptr;
    Entity2d* m_last_child = nullptr;
    Entity2d* m_previous_sibling = nullptr;
    Entity2d* m_next_sibling = nullptr;
    float m_x = 0.0f;
    float m_y = 0.0f;
    float m_rotation = 0.0f;
    float m_scale_x = 1.0f;
    float m_scale_y = 1.0f;
    uint32_t m_flags = 0;
    Matrix2d m_world;
};

}  // namespace me
