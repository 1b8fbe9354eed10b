#pragma once

#include <vector>

#include "core/color.h"
#include "core/float_vector.h"
#include "core/matrix2d.h"
#include "core/resource_ref.h"
#include "gpu/quad_batch.h"
#include "script/game_object.h"
#include "script/weak_slot.h"
#include "ui/widget_callbacks.h"

namespace me::simpleui {

class SimpleUI;
class SimpleUILayer;

// A rectangle of a widget screen. Its frame is placed in its parent's content
// coordinates; its content coordinates start at the local frame position,
// which is what the frame's top-left corner shows (so changing it scrolls
// the content). Later children lie on top of earlier ones. A parent holds a
// native reference on each child; everything pointing the other way is weak.
class SimpleUIWidget : public GameObject {
public:
    static const ClassRecord kClassRecord;
    const ClassRecord& class_record() const override { return kClassRecord; }

    SimpleUIWidget() = default;
    // Children lose their parent and layer before the references on them go.
    ~SimpleUIWidget() override;

    // Appends child on top of the others, taking it from its previous parent
    // first, and gives the whole subtree this widget's layer. This widget
    // itself or one of its ancestors is refused with an error line, since
    // the tree would become a loop: false then.
    bool add_child(SimpleUIWidget& child);
    // Releases the parent's reference, which may destroy this widget unless
    // the caller holds it.
    void remove_from_parent();
    SimpleUIWidget* parent() const { return m_parent.get(); }
    size_t child_count() const { return m_children.size(); }
    SimpleUIWidget& child(size_t index) const { return *m_children[index].get(); }
    // True for this widget itself and everything below it.
    bool contains(const SimpleUIWidget& widget) const;

    SimpleUILayer* layer() const { return m_layer.get(); }
    void set_layer(SimpleUILayer* layer);
    // The UI of the layer this widget belongs to, or null.
    SimpleUI* ui() const;

    Vec2 frame_position() const { return m_frame_position; }
    void set_frame_position(Vec2 position) { m_frame_position = position; }
    Vec2 frame_size() const { return m_frame_size; }
    void set_frame_size(Vec2 size) { m_frame_size = size; }
    float frame_width() const { return m_frame_size.x; }
    void set_frame_width(float width) { m_frame_size.x = width; }
    float frame_height() const { return m_frame_size.y; }
    void set_frame_height(float height) { m_frame_size.y = height; }
    Vec2 local_frame_position() const { return m_local_frame_position; }
    void set_local_frame_position(Vec2 position) { m_local_frame_position = position; }

    // Not premultiplied; its alpha fades the whole subtree.
    Color color() const { return m_color; }
    void set_color(Color color) { m_color = color; }
    // The widget's colour as drawing takes it: red, green and blue times
    // alpha, where alpha is the given accumulated alpha.
    Color premultiplied_color(float alpha) const {
        return {m_color.red * alpha, m_color.green * alpha, m_color.blue * alpha, alpha};
    }

    bool hidden() const { return m_hidden; }
    void set_hidden(bool hidden) { m_hidden = hidden; }
    // A disabled widget still takes pointers, but for itself: its children
    // are not looked at.
    bool disabled() const { return m_disabled; }
    void set_disabled(bool disabled) { m_disabled = disabled; }
    // A void widget lets pointers through to what lies below.
    bool is_void() const { return m_void; }
    void set_void(bool is_void) { m_void = is_void; }

    // The topmost widget at point (in the parent's content coordinates) of
    // this subtree, or null.
    SimpleUIWidget* hit_test(Vec2 point);
    // A point of the layer's canvas in this widget's content coordinates.
    Vec2 canvas_to_content(Vec2 canvas) const;

    // The pointer methods take a valid pointer index (is_pointer_index).
    // Hovering and capturing are kept by the UI of the widget's layer: a
    // widget outside any UI neither hovers nor captures.
    bool is_hovered_by(int pointer) const;
    bool is_hovered() const;
    // True when the pointer is now this widget's until it is released.
    bool capture_pointer(int pointer);
    // True when this widget held the pointer and let it go.
    bool release_pointer(int pointer);
    // Where the pointer is, in this widget's content coordinates (through
    // the layer's view when there is one).
    Vec2 pointer_to_content(int pointer) const;

    // Runs from the script's init(); prepares what the first frame needs.
    virtual void init() {}
    virtual void key_down(int key);
    virtual void key_up(int key);
    virtual void hovered(int pointer, bool on);
    // The script's on_update, then the children in order.
    virtual void update(float seconds);
    // Skips a hidden widget; otherwise draws the widget's own content and
    // then its children, in its content coordinates.
    void draw(QuadBatch& batch, const Matrix2d& transform, float alpha);

protected:
    // What the widget itself shows; transform maps its content coordinates,
    // alpha is its own times its ancestors'.
    virtual void draw_content(QuadBatch&, const Matrix2d&, float) {}

private:
    WidgetCallbacks m_callbacks;
    WeakPointer<SimpleUILayer> m_layer;
    WeakPointer<SimpleUIWidget> m_parent;
    std::vector<ResourceRef<SimpleUIWidget>> m_children;
    Vec2 m_frame_position;
    Vec2 m_frame_size;
    Vec2 m_local_frame_position;
    Color m_color;
    bool m_hidden = false;
    bool m_disabled = false;
    bool m_void = false;
};

// The scale that fits `size` into `room`, never above 1 nor below 0; an
// empty size leaves it at 1 rather than dividing by zero.
float shrink_to_fit(Vec2 room, Vec2 size);

}  // namespace me::simpleui
