#pragma once

#include <string>

namespace me::test {

// A widget class that writes every callback into ::trace as
// "<name> <what> <arguments>;" (updates only while ::trace_updates is set),
// and a menu screen of such widgets on a 640 × 480 screen:
//
//   layer "menu":    panel (0,0 200×200) with button (20,20 60×30) under a
//                    label of the same place (void, as labels are);
//                    locked (300,0 100×100, disabled) with inner (310,10 50×50);
//                    back (300,200 100×100) under ghost (the same, void);
//                    hidden (0,300 100×100, hidden);
//                    scroller (400,300 100×100, content scrolled by 50,50)
//                    with item (content 50,50 20×20, so screen 400,300).
//   layer "overlay": popup (0,0 50×50), above everything of "menu".
inline constexpr const char* kTracedWidgets = R"(
    ::trace <- "";
    ::trace_updates <- false;
    class Traced extends SimpleUIWidget {
        name = null;
        constructor(widget_name, x, y, width, height) {
            base.constructor();
            name = widget_name;
            set_frame_position(x, y);
            set_frame_size([width, height]);
        }
        function on_key_down(key) { ::trace += name + " down " + key + ";"; }
        function on_key_up(key) { ::trace += name + " up " + key + ";"; }
        function on_hovered(pointer, on) { ::trace += name + " hover " + pointer + " " + on + ";"; }
        function on_update(dt) { if (::trace_updates) ::trace += name + " update;"; }
    }
    ::ui <- SimpleUI();
    function add_layer(name) {
        local layer = SimpleUILayer();
        layer.set_name(name);
        layer.init_screen_canvas();
        ::ui.add_layer(layer);
        return layer;
    }
    ::menu <- add_layer("menu");
    ::overlay <- add_layer("overlay");
    ::panel <- Traced("panel", 0, 0, 200, 200);
    ::button <- Traced("button", 20, 20, 60, 30);
    ::label <- SimpleUILabel();
    ::label.set_frame_position(20, 20);
    ::label.set_frame_size(60, 30);
    ::panel.add_child_widget(::button);
    ::panel.add_child_widget(::label);
    ::locked <- Traced("locked", 300, 0, 100, 100);
    ::locked.set_disabled(true);
    ::locked.add_child_widget(Traced("inner", 10, 10, 50, 50));
    ::back <- Traced("back", 300, 200, 100, 100);
    ::ghost <- Traced("ghost", 300, 200, 100, 100);
    ::ghost.set_void(true);
    ::hidden <- Traced("hidden", 0, 300, 100, 100);
    ::hidden.set_hidden(true);
    ::scroller <- Traced("scroller", 400, 300, 100, 100);
    ::scroller.set_local_frame_position([50, 50]);
    ::item <- Traced("item", 50, 50, 20, 20);
    ::scroller.add_child_widget(::item);
    foreach (widget in [::panel, ::locked, ::back, ::ghost, ::hidden, ::scroller])
        ::ui.add_widget_to_layer("menu", widget);
    ::popup <- Traced("popup", 0, 0, 50, 50);
    ::ui.add_widget_to_layer("overlay", ::popup);
    return null;
)";

}  // namespace me::test
