#include "ui/simple_ui.h"

#include <algorithm>

#include "core/log.h"
#include "gpu/view2d_gl.h"

namespace me::simpleui {

const ClassRecord SimpleUI::kClassRecord{"SimpleUI", &GameObject::kClassRecord};

SimpleUI::~SimpleUI() {
    weak_slots().clear_all();
    for (const ResourceRef<SimpleUILayer>& layer : m_layers)
        layer->set_ui(nullptr);
}

void SimpleUI::add_layer(SimpleUILayer& layer) {
    if (layer.ui() == this)
        return;
    const ResourceRef<SimpleUILayer> kept(&layer);
    if (SimpleUI* previous = layer.ui())
        previous->remove_layer(layer);
    m_layers.push_back(kept);
    layer.set_ui(this);
}

void SimpleUI::remove_layer(SimpleUILayer& layer) {
    const auto found = std::find_if(m_layers.begin(), m_layers.end(),
                                    [&layer](const ResourceRef<SimpleUILayer>& held) { return held.get() == &layer; });
    if (found == m_layers.end())
        return;
    layer.set_ui(nullptr);
    const ResourceRef<SimpleUILayer> last = std::move(*found);
    m_layers.erase(found);
}

SimpleUILayer* SimpleUI::find_layer(std::string_view name) const {
    for (const ResourceRef<SimpleUILayer>& layer : m_layers)
        if (layer->name() == name)
            return layer.get();
    return nullptr;
}

void SimpleUI::add_widget_to_layer(std::string_view name, SimpleUIWidget& widget) {
    SimpleUILayer* layer = find_layer(name);
    if (layer == nullptr) {
        log_error(format_message("SimpleUI::add_widget_to_layer(): Layer '%1' not found.", name));
        return;
    }
    if (layer->root() == nullptr) {
        log_error(format_message("SimpleUI::add_widget_to_layer(): Layer '%1' has no canvas.", name));
        return;
    }
    layer->root()->add_child(widget);
}

bool SimpleUI::handle_key_down(int key) { return route_key(key, true); }

bool SimpleUI::handle_key_up(int key) { return route_key(key, false); }

bool SimpleUI::route_key(int key, bool down) {
    const int pointer = pointer_from_key(key);
    if (pointer < 0)
        return false;
    SimpleUIWidget* target = capturing(pointer);
    if (target == nullptr)
        target = widget_under(pointer, read_pointers());
    if (target == nullptr)
        return false;
    // Held through its callback, which may drop the last other reference.
    const ResourceRef<SimpleUIWidget> receiver(target);
    if (down)
        receiver->key_down(key);
    else
        receiver->key_up(key);
    return true;
}

SimpleUIWidget* SimpleUI::widget_under(int pointer, const PointerState& pointers) const {
    const Vec2 screen = pointer_position(pointers, pointer);
    for (size_t i = m_layers.size(); i-- > 0;) {
        const SimpleUILayer& layer = *m_layers[i].get();
        SimpleUIWidget* root = layer.root();
        if (layer.view() == nullptr || root == nullptr)
            continue;
        SimpleUIWidget* hit = root->hit_test(layer.view()->screen_to_canvas(screen));
        if (hit != nullptr && hit != root)
            return hit;
    }
    return nullptr;
}

bool SimpleUI::release_capture(int pointer, const SimpleUIWidget& widget) {
    if (capturing(pointer) != &widget)
        return false;
    m_capturing[slot(pointer)].reset();
    return true;
}

SimpleUIWidget* SimpleUI::hover_candidate(int pointer, const PointerState& pointers) const {
    if (pointer == 0)
        return widget_under(0, pointers);
    // The right button shares the mouse, and so what the left one hovers.
    if (pointer == 1)
        return hovered(0);
    const size_t touch = static_cast<size_t>(pointer - kFirstTouchPointer);
    return pointers.touch_down[touch] ? widget_under(pointer, pointers) : nullptr;
}

void SimpleUI::move_hover(int pointer, SimpleUIWidget* candidate) {
    const ResourceRef<SimpleUIWidget> previous(hovered(pointer));
    if (previous.get() == candidate)
        return;
    m_hovered[slot(pointer)].reset(candidate);
    if (previous)
        previous->hovered(pointer, false);
    // The old widget's callback may have destroyed the new one, which the
    // weak mark then shows.
    if (candidate == nullptr || hovered(pointer) != candidate)
        return;
    const ResourceRef<SimpleUIWidget> next(candidate);
    next->hovered(pointer, true);
}

void SimpleUI::update(float seconds) {
    const PointerState pointers = read_pointers();
    for (int pointer = 0; pointer < kPointerCount; ++pointer)
        move_hover(pointer, hover_candidate(pointer, pointers));
    // By index, each layer held while it runs: callbacks may change the list.
    for (size_t i = 0; i < m_layers.size(); ++i) {
        const ResourceRef<SimpleUILayer> layer = m_layers[i];
        const ResourceRef<SimpleUIWidget> root(layer->root());
        if (layer->view() != nullptr && root && !root->hidden())
            root->update(seconds);
    }
}

void SimpleUI::render(RenderDevice& device, QuadBatch& batch, float window_height) {
    for (const ResourceRef<SimpleUILayer>& layer : m_layers) {
        if (layer->view() == nullptr || layer->root() == nullptr)
            continue;
        device.begin_view();
        load_view(device, *layer->view(), window_height);
        batch.reset();
        layer->root()->draw(batch, Matrix2d{}, 1.0f);
        batch.flush();
    }
}

}  // namespace me::simpleui
