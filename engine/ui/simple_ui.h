#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "core/resource_ref.h"
#include "gpu/quad_batch.h"
#include "gpu/render_device.h"
#include "script/game_object.h"
#include "script/weak_slot.h"
#include "ui/pointer_input.h"
#include "ui/simple_ui_layer.h"
#include "ui/simple_ui_widget.h"

namespace me::simpleui {

// A widget UI: layers drawn in the order they were added (the last on top),
// and for each of the six pointers the widget it hovers and the widget that
// captured it. Scripts feed it pointer keys, update it once a frame and
// render it. It holds its layers; it only points at widgets, so a widget that
// dies simply stops being hovered or capturing.
class SimpleUI : public GameObject {
public:
    static const ClassRecord kClassRecord;
    const ClassRecord& class_record() const override { return kClassRecord; }

    ~SimpleUI() override;

    // Appends the layer, taking it from another UI first; a layer already
    // here stays where it is.
    void add_layer(SimpleUILayer& layer);
    void remove_layer(SimpleUILayer& layer);
    size_t layer_count() const { return m_layers.size(); }
    SimpleUILayer& layer(size_t index) const { return *m_layers[index].get(); }
    // The first layer of that name, or null.
    SimpleUILayer* find_layer(std::string_view name) const;
    // Makes the widget the last child of the named layer's root; logs and
    // ignores a missing layer or a layer without a canvas.
    void add_widget_to_layer(std::string_view name, SimpleUIWidget& widget);

    // Pointer keys go to the pointer's capturing widget, or else to the
    // widget under it; true when a widget took the key.
    bool handle_key_down(int key);
    bool handle_key_up(int key);

    // Moves the hover marks (old widget told first), then updates every
    // layer's widgets.
    void update(float seconds);
    // Each layer with a view: load the view, draw its widgets, flush.
    void render(RenderDevice& device, QuadBatch& batch, float window_height);

    // The topmost widget under the pointer over all layers, never a root.
    SimpleUIWidget* widget_under(int pointer, const PointerState& pointers) const;

    // Pointer indices must be valid (is_pointer_index).
    SimpleUIWidget* hovered(int pointer) const { return m_hovered[slot(pointer)].get(); }
    SimpleUIWidget* capturing(int pointer) const { return m_capturing[slot(pointer)].get(); }
    void capture(int pointer, SimpleUIWidget& widget) { m_capturing[slot(pointer)].reset(&widget); }
    // Clears the capture only when that widget holds it; true then.
    bool release_capture(int pointer, const SimpleUIWidget& widget);

private:
    static size_t slot(int pointer) { return static_cast<size_t>(pointer); }
    bool route_key(int key, bool down);
    SimpleUIWidget* hover_candidate(int pointer, const PointerState& pointers) const;
    void move_hover(int pointer, SimpleUIWidget* candidate);

    std::vector<ResourceRef<SimpleUILayer>> m_layers;
    std::array<WeakPointer<SimpleUIWidget>, kPointerCount> m_hovered;
    std::array<WeakPointer<SimpleUIWidget>, kPointerCount> m_capturing;
};

}  // namespace me::simpleui
