// The title screen, built with SimpleUI: a framed panel over the meadow with
// Start, Settings and Quit. SimpleUI draws in window pixels (its layer's
// canvas is the screen), so the panel is centred on the screen rather than on
// the game's canvas. The root passes pointer keys to the UI first and
// updates and renders it every frame while the title is up.

// A clickable button: a tinted frame with a shadowed label. It lights up
// while the mouse is over it, keeps the pointer it was pressed with until
// that pointer's button comes up, and acts only when released over itself.
class TitleButton extends SimpleUISprite {
    static COLOR = [0.18, 0.3, 0.2, 0.9];
    static LIT = [0.3, 0.5, 0.32, 1.0];
    action = null;

    constructor(text, x, y, width, height, on_click) {
        base.constructor();
        action = on_click;
        set_sprite("_white_");
        set_sprite_mode_scale_to_fill();
        set_frame_position(x, y);
        set_frame_size(width, height);
        set_color(COLOR);
        local label = SimpleUILabel();
        label.set_frame_size(width, height);
        label.set_text(text);
        label.set_shadow(true, [1, 1]);
        add_child_widget(label);
    }

    function on_hovered(pointer, on) {
        if (pointer == 0)
            set_color(on ? LIT : COLOR);
    }

    function on_key_down(key) { capture_mouse(mouse_index_from_key(key)); }

    function on_key_up(key) {
        local pointer = mouse_index_from_key(key);
        release_mouse(pointer);
        if (key == MOUSE_LEFT && is_mouse_hovering(pointer))
            click();
    }

    function click() { action(); }
}

class TitleScreen {
    ui = null;
    layer = null;
    main_panel = null;
    settings_panel = null;
    buttons = null;

    constructor(on_start) {
        ui = SimpleUI();
        layer = SimpleUILayer();
        layer.set_name("title");
        layer.init_screen_canvas();
        ui.add_layer(layer);
        buttons = {};
        main_panel = make_panel(DEMO_NAME, 200);
        add_button(main_panel, "start", "Start", 0, on_start);
        add_button(main_panel, "settings", "Settings", 1, show_settings.bindenv(this));
        add_button(main_panel, "quit", "Quit", 2, function() { ::System.request_quit(); });
        settings_panel = make_panel("Settings", 200);
        local help = SimpleUILabel();
        help.set_frame_position(16, 44);
        help.set_frame_size(228, 100);
        help.set_wrap(true);
        help.set_alignment(-1, -1);
        help.set_text("Walk with the arrow keys or W A S D, click to fly, P saves a screenshot, Esc quits.");
        settings_panel.add_child_widget(help);
        add_button(settings_panel, "back", "Back", 2, show_main.bindenv(this));
        settings_panel.set_hidden(true);
        ui.add_widget_to_layer("title", main_panel);
        ui.add_widget_to_layer("title", settings_panel);
    }

    // A dark frame in the middle of the screen with a title on top.
    function make_panel(title, height) {
        local screen = ::System.get_screen_size();
        local panel = SimpleUISprite();
        panel.set_sprite("_white_");
        panel.set_sprite_mode_scale_to_fill();
        panel.set_color([0.04, 0.07, 0.05, 0.8]);
        panel.set_frame_size(260, height);
        panel.set_frame_position(((screen[0] - 260) / 2).tointeger(), ((screen[1] - height) / 2).tointeger());
        local heading = SimpleUILabel();
        heading.set_frame_position(0, 8);
        heading.set_frame_size(260, 30);
        heading.set_text(title);
        heading.set_color([1.0, 0.9, 0.45, 1.0]);
        heading.set_shadow(true, [2, 2]);
        panel.add_child_widget(heading);
        return panel;
    }

    function add_button(panel, name, text, row, on_click) {
        local button = TitleButton(text, 50, 50 + 48 * row, 160, 36, on_click);
        panel.add_child_widget(button);
        buttons[name] <- button;
    }

    function show_settings() { main_panel.set_hidden(true); settings_panel.set_hidden(false); }
    function show_main() { settings_panel.set_hidden(true); main_panel.set_hidden(false); }

    function key_down(key) { return ui.handle_key_down(key); }
    function key_up(key) { return ui.handle_key_up(key); }
    function update(dt) { ui.update(dt); }
    function render() { ui.render(); }
}
