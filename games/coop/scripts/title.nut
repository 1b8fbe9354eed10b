// The title screen, built with SimpleUI: a panel in the middle of the window
// with one button per way to play. SimpleUI lays out in window pixels, so the
// panel is centred on the screen. Up and down with Enter choose as well.

class TitleButton extends SimpleUISprite {
    static COLOR = [0.16, 0.2, 0.34, 0.9];
    static LIT = [0.3, 0.38, 0.62, 1.0];
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

    function light(on) { set_color(on ? LIT : COLOR); }

    function on_hovered(pointer, on) {
        if (pointer == 0)
            light(on);
    }

    function on_key_down(key) { capture_mouse(mouse_index_from_key(key)); }

    function on_key_up(key) {
        local pointer = mouse_index_from_key(key);
        release_mouse(pointer);
        if (key == MOUSE_LEFT && is_mouse_hovering(pointer))
            action();
    }
}

class TitleScreen {
    static PANEL_WIDTH = 300;
    ui = null;
    buttons = null;
    chosen = 0;

    // choices: array of [label, function], top to bottom.
    constructor(choices, footnote) {
        ui = SimpleUI();
        local layer = SimpleUILayer();
        layer.set_name("title");
        layer.init_screen_canvas();
        ui.add_layer(layer);
        local height = 96 + 46 * choices.len();
        local panel = make_panel(height);
        buttons = [];
        foreach (row, choice in choices) {
            local button = TitleButton(choice[0], 50, 48 + 46 * row, PANEL_WIDTH - 100, 36, choice[1]);
            panel.add_child_widget(button);
            buttons.append(button);
        }
        local note = SimpleUILabel();
        note.set_frame_position(10, height - 40);
        note.set_frame_size(PANEL_WIDTH - 20, 30);
        note.set_text(footnote);
        note.set_color([0.75, 0.8, 0.95, 1.0]);
        panel.add_child_widget(note);
        ui.add_widget_to_layer("title", panel);
        buttons[0].light(true);
    }

    function make_panel(height) {
        local screen = ::System.get_screen_size();
        local panel = SimpleUISprite();
        panel.set_sprite("_white_");
        panel.set_sprite_mode_scale_to_fill();
        panel.set_color([0.03, 0.04, 0.09, 0.85]);
        panel.set_frame_size(PANEL_WIDTH, height);
        panel.set_frame_position(((screen[0] - PANEL_WIDTH) / 2).tointeger(), ((screen[1] - height) / 2).tointeger());
        local heading = SimpleUILabel();
        heading.set_frame_position(0, 8);
        heading.set_frame_size(PANEL_WIDTH, 30);
        heading.set_text(GAME_NAME);
        heading.set_color([1.0, 0.88, 0.45, 1.0]);
        heading.set_shadow(true, [2, 2]);
        panel.add_child_widget(heading);
        return panel;
    }

    function choose(step) {
        buttons[chosen].light(false);
        chosen = (chosen + step + buttons.len()) % buttons.len();
        buttons[chosen].light(true);
    }

    function key_down(key) {
        if (key == KEY_UP || key == KEY_W)
            choose(-1);
        else if (key == KEY_DOWN || key == KEY_S)
            choose(1);
        else if (key == KEY_ENTER || key == KEY_SPACE)
            buttons[chosen].action();
        else
            ui.handle_key_down(key);
    }

    function key_up(key) { ui.handle_key_up(key); }
    function update(dt) { ui.update(dt); }
    function render() { ui.render(); }
}
