#pragma once

#include <string>

#include "core/resource_ref.h"
#include "gpu/view2d.h"
#include "script/game_object.h"
#include "script/weak_slot.h"
#include "ui/simple_ui_widget.h"

namespace me::simpleui {

class SimpleUI;

// One named screen of a UI: a tree of widgets under a root widget, shown
// through a view of its own. A layer has neither until its canvas is made.
class SimpleUILayer : public GameObject {
public:
    static const ClassRecord kClassRecord;
    const ClassRecord& class_record() const override { return kClassRecord; }

    ~SimpleUILayer() override;

    // A root widget as large as the screen and a view whose canvas is the
    // screen pixel for pixel. Run again (after the window changed size), it
    // resizes both and keeps the widgets.
    void init_screen_canvas(Vec2 screen);

    const std::string& name() const { return m_name; }
    void set_name(std::string name) { m_name = std::move(name); }
    SimpleUIWidget* root() const { return m_root.get(); }
    View2d* view() const { return m_view.get(); }

    SimpleUI* ui() const { return m_ui.get(); }
    void set_ui(SimpleUI* ui);

private:
    std::string m_name;
    ResourceRef<SimpleUIWidget> m_root;
    ResourceRef<View2d> m_view;
    WeakPointer<SimpleUI> m_ui;
};

}  // namespace me::simpleui
