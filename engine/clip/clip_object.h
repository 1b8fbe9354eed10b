#pragma once

#include <climits>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/color.h"
#include "core/float_vector.h"
#include "core/matrix2d.h"
#include "core/resource_ref.h"
#include "script/game_object.h"

namespace me {
class QuadBatch;
class Sprite;
}  // namespace me

namespace me::clip {

class Clip;

// A node of a clip's display tree: a transform relative to its parent, a
// colour, a z order, an optional sprite and its children, which it holds.
// A clip orders the nodes below it by z order before drawing them, so a
// node's own drawing never recurses into its children.
class ClipObject : public GameObject {
public:
    static const ClassRecord kClassRecord;
    // The z order of a node that takes its parent's.
    static constexpr int32_t kUnsetZOrder = INT32_MIN;

    ClipObject();
    ~ClipObject() override;
    const ClassRecord& class_record() const override { return kClassRecord; }

    // An empty name leaves the node unnamed.
    void set_name(std::string name) { m_name = std::move(name); }
    const std::string& name() const { return m_name; }
    bool is_clip() const { return m_is_clip; }

    ClipObject* parent() const { return m_parent; }
    size_t child_count() const { return m_children.size(); }
    ClipObject* child(size_t index) const { return m_children[index]; }
    // Appends the child (first taking it from its parent). A child that is
    // this node or one of its ancestors would close a loop: refused with an
    // error line, nothing changes, and the result is false.
    bool add_child(ClipObject& child);
    // The same, placed before index (clamped to the children).
    bool add_child_at(ClipObject& child, int64_t index);
    // Dropping the parent's reference may destroy the node before returning.
    void remove_from_parent();
    // The first node of that name depth-first from this one, or null.
    ClipObject* find_object_by_name(std::string_view name);

    void set_position(Vec2 position);
    Vec2 position() const { return m_position; }
    void set_rotation(float turns);
    float rotation() const { return m_rotation; }
    void set_scale(Vec2 scale);
    Vec2 scale() const { return m_scale; }
    void set_color(const Color& color) { m_color = color; }
    void set_alpha(float alpha) { m_color.alpha = alpha; }
    // Not premultiplied.
    const Color& color() const { return m_color; }
    void set_z_order(int32_t z_order) { m_z_order = z_order; }
    int32_t z_order() const { return m_z_order; }
    // The first z order set on the way up from this node, stopping at a
    // clip or the root; 0 when none is.
    int32_t real_z_order() const;
    void set_sprite(ResourceRef<Sprite> sprite);
    Sprite* sprite() const { return m_sprite.get(); }

    // Position, rotation and scale of every ancestor applied, updated when
    // stale.
    const Matrix2d& absolute_transform();

    // Draws this node and, for a clip, the nodes it orders, through the
    // batch as a root: its colour is multiplied by tint, and extra (when
    // given) places the whole tree.
    void draw_tree(QuadBatch& batch, const Matrix2d* extra, Color tint = {});

    // Drawing as a clip's draw list does it: this node alone, with the
    // colour and z order its clip's collect gave it.
    virtual void render(QuadBatch& batch, const Matrix2d* extra);
    // Takes the parent's colour and z order and enters this node and its
    // children into the clip's draw list.
    virtual void collect(Clip& clip, const Color& parent_color, int32_t parent_z);

protected:
    explicit ClipObject(bool is_clip);
    void accumulate(const Color& parent_color, int32_t parent_z);
    void collect_children(Clip& clip);
    const Color& accumulated_color() const { return m_accumulated_color; }
    int32_t effective_z_order() const { return m_effective_z_order; }
    // The absolute transform followed by extra, when given.
    Matrix2d drawing_transform(const Matrix2d* extra);

private:
    void invalidate_transform();
    Matrix2d local_transform() const;
    bool is_self_or_ancestor(const ClipObject& node) const;
    void detach_child(ClipObject& child);

    std::string m_name;
    ClipObject* m_parent = nullptr;
    // Each holds one reference; a child's parent link is cleared before it
    // is let go.
    std::vector<ClipObject*> m_children;
    bool m_is_clip = false;
    Vec2 m_position;
    float m_rotation = 0.0f;
    Vec2 m_scale{1.0f, 1.0f};
    Color m_color;
    Color m_accumulated_color;
    int32_t m_z_order = kUnsetZOrder;
    int32_t m_effective_z_order = 0;
    Matrix2d m_absolute;
    bool m_transform_valid = false;
    ResourceRef<Sprite> m_sprite;
};

}  // namespace me::clip
