#include "ui/simple_ui_widget.h"

#include <algorithm>
#include <utility>

#include "core/log.h"
#include "ui/pointer_input.h"
#include "ui/simple_ui.h"
#include "ui/simple_ui_layer.h"

namespace me::simpleui {

const ClassRecord SimpleUIWidget::kClassRecord{"SimpleUIWidget", &GameObject::kClassRecord};

namespace {

// Half-open, so that widgets side by side never both take a point.
bool inside(Vec2 point, Vec2 corner, Vec2 size) {
    return point.x >= corner.x && point.x < corner.x + size.x && point.y >= corner.y && point.y < corner.y + size.y;
}

}  // namespace

float shrink_to_fit(Vec2 room, Vec2 size) {
    float scale = 1.0f;
    if (size.x > 0.0f)
        scale = std::min(scale, room.x / size.x);
    if (size.y > 0.0f)
        scale = std::min(scale, room.y / size.y);
    return std::max(scale, 0.0f);
}

SimpleUIWidget::~SimpleUIWidget() {
    weak_slots().clear_all();
    for (const ResourceRef<SimpleUIWidget>& child : m_children) {
        child->m_parent.reset();
        child->set_layer(nullptr);
    }
}

bool SimpleUIWidget::add_child(SimpleUIWidget& child) {
    if (child.contains(*this)) {
        log_error("Trying to make a SimpleUIWidget a child of itself or of one of its descendants.");
        return false;
    }
    const ResourceRef<SimpleUIWidget> kept(&child);
    child.remove_from_parent();
    m_children.push_back(kept);
    child.m_parent.reset(this);
    child.set_layer(layer());
    return true;
}

void SimpleUIWidget::remove_from_parent() {
    SimpleUIWidget* parent = m_parent.get();
    if (parent == nullptr)
        return;
    m_parent.reset();
    set_layer(nullptr);
    std::vector<ResourceRef<SimpleUIWidget>>& siblings = parent->m_children;
    for (auto it = siblings.begin(); it != siblings.end(); ++it) {
        if (it->get() == this) {
            // Dropped only after the list is whole again: it may be the last
            // reference to this widget.
            const ResourceRef<SimpleUIWidget> last = std::move(*it);
            siblings.erase(it);
            return;
        }
    }
}

bool SimpleUIWidget::contains(const SimpleUIWidget& widget) const {
    for (const SimpleUIWidget* link = &widget; link != nullptr; link = link->parent())
        if (link == this)
            return true;
    return false;
}

void SimpleUIWidget::set_layer(SimpleUILayer* layer) {
    m_layer.reset(layer);
    for (const ResourceRef<SimpleUIWidget>& child : m_children)
        child->set_layer(layer);
}

SimpleUI* SimpleUIWidget::ui() const {
    const SimpleUILayer* owner = layer();
    return owner != nullptr ? owner->ui() : nullptr;
}

SimpleUIWidget* SimpleUIWidget::hit_test(Vec2 point) {
    if (m_hidden || m_void || !inside(point, m_frame_position, m_frame_size))
        return nullptr;
    if (m_disabled)
        return this;
    const Vec2 content = point - m_frame_position + m_local_frame_position;
    for (size_t i = m_children.size(); i-- > 0;)
        if (SimpleUIWidget* hit = m_children[i]->hit_test(content))
            return hit;
    return this;
}

Vec2 SimpleUIWidget::canvas_to_content(Vec2 canvas) const {
    const SimpleUIWidget* owner = parent();
    const Vec2 outside = owner != nullptr ? owner->canvas_to_content(canvas) : canvas;
    return outside - m_frame_position + m_local_frame_position;
}

bool SimpleUIWidget::is_hovered_by(int pointer) const {
    const SimpleUI* owner = ui();
    return owner != nullptr && owner->hovered(pointer) == this;
}

bool SimpleUIWidget::is_hovered() const {
    for (int pointer = 0; pointer < kPointerCount; ++pointer)
        if (is_hovered_by(pointer))
            return true;
    return false;
}

bool SimpleUIWidget::capture_pointer(int pointer) {
    SimpleUI* owner = ui();
    if (owner == nullptr)
        return false;
    owner->capture(pointer, *this);
    return true;
}

bool SimpleUIWidget::release_pointer(int pointer) {
    SimpleUI* owner = ui();
    return owner != nullptr && owner->release_capture(pointer, *this);
}

Vec2 SimpleUIWidget::pointer_to_content(int pointer) const {
    const Vec2 screen = pointer_position(read_pointers(), pointer);
    const SimpleUILayer* owner = layer();
    const View2d* view = owner != nullptr ? owner->view() : nullptr;
    return canvas_to_content(view != nullptr ? view->screen_to_canvas(screen) : screen);
}

void SimpleUIWidget::key_down(int key) {
    m_callbacks.call(*this, WidgetCallback::KeyDown, {SQInteger{key}});
}

void SimpleUIWidget::key_up(int key) { m_callbacks.call(*this, WidgetCallback::KeyUp, {SQInteger{key}}); }

void SimpleUIWidget::hovered(int pointer, bool on) {
    m_callbacks.call(*this, WidgetCallback::Hovered, {SQInteger{pointer}, on});
}

void SimpleUIWidget::update(float seconds) {
    m_callbacks.call(*this, WidgetCallback::Update, {SQFloat{seconds}});
    // By index, and each child held while it runs: a callback may add,
    // remove or destroy widgets of this list.
    for (size_t i = 0; i < m_children.size(); ++i) {
        const ResourceRef<SimpleUIWidget> child = m_children[i];
        child->update(seconds);
    }
}

void SimpleUIWidget::draw(QuadBatch& batch, const Matrix2d& transform, float alpha) {
    if (m_hidden)
        return;
    const Vec2 shift = m_frame_position - m_local_frame_position;
    const Matrix2d content = Matrix2d{1.0f, 0.0f, 0.0f, 1.0f, shift.x, shift.y}.then(transform);
    const float content_alpha = alpha * m_color.alpha;
    draw_content(batch, content, content_alpha);
    for (const ResourceRef<SimpleUIWidget>& child : m_children)
        child->draw(batch, content, content_alpha);
}

}  // namespace me::simpleui
