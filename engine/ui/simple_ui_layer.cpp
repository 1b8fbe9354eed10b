#include "ui/simple_ui_layer.h"

#include "ui/simple_ui.h"

namespace me::simpleui {

const ClassRecord SimpleUILayer::kClassRecord{"SimpleUILayer", &GameObject::kClassRecord};

SimpleUILayer::~SimpleUILayer() {
    weak_slots().clear_all();
    if (m_root)
        m_root->set_layer(nullptr);
}

void SimpleUILayer::set_ui(SimpleUI* ui) { m_ui.reset(ui); }

void SimpleUILayer::init_screen_canvas(Vec2 screen) {
    if (!m_root) {
        m_root = ResourceRef<SimpleUIWidget>(new SimpleUIWidget());
        m_root->set_layer(this);
    }
    if (!m_view)
        m_view = ResourceRef<View2d>(new View2d());
    m_root->set_frame_size(screen);
    m_view->set_viewport_size(screen);
    m_view->set_canvas_size(screen);
}

}  // namespace me::simpleui
