// The line on top of the room: players, score, what the players did, and
// the netplay library's own status; below it the last few events (who came,
// who left, desyncs), each fading after a few seconds. The HUD draws on its
// own scene over the room, on a canvas of its own.

const HUD_WIDTH = 640;
const HUD_HEIGHT = 360;
const HUD_EVENT_LINES = 4;
const HUD_EVENT_SECONDS = 5.0;

class Hud {
    scene = null;
    view = null;
    status_label = null;
    event_labels = null;
    events = null;

    constructor() {
        view = View2d();
        view.set_virtual_resolution(HUD_WIDTH, HUD_HEIGHT);
        fit_view();
        scene = Scene();
        scene.set_view(view);
        local bar = SceneObject();
        bar.set_sprite("_white_");
        bar.set_local_scale(HUD_WIDTH, 22);
        bar.set_color([0.03, 0.03, 0.08, 0.6]);
        bar.set_layer(0);
        bar.set_scene(scene);
        status_label = make_label([8, 2], 0.85);
        event_labels = [];
        for (local i = 0; i < HUD_EVENT_LINES; i += 1)
            event_labels.append(make_label([8, 28 + 18 * i], 0.75));
        events = [];
    }

    function make_label(position, scale) {
        local label = SceneObject();
        label.set_font("text");
        label.set_font_scale(scale);
        label.set_text_align("l");
        label.set_text_width(-1);
        label.set_text("");
        label.set_position(position);
        label.set_layer(1);
        label.set_scene(scene);
        return label;
    }

    function fit_view() {
        view.set_viewport_size(HUD_WIDTH, HUD_HEIGHT);
        view.fit_viewport_to_screen();
    }

    function event(text) {
        events.append({ text = text, seconds = HUD_EVENT_SECONDS });
        if (events.len() > HUD_EVENT_LINES)
            events.remove(0);
    }

    function update(dt, world, status) {
        status_label.set_text(world == null ? status : format("Players %d   Score %d   Gems %d   Chased %d   |   %s",
            world.player_count(), world.score, world.gems_collected, world.creatures_chased, status));
        for (local i = events.len() - 1; i >= 0; i -= 1) {
            events[i].seconds -= dt;
            if (events[i].seconds <= 0)
                events.remove(i);
        }
        foreach (i, label in event_labels) {
            label.set_text(i < events.len() ? events[i].text : "");
            label.set_color([1, 1, 1, i < events.len() && events[i].seconds < 1.0 ? events[i].seconds : 1.0]);
        }
        scene.update(dt);
    }

    function render() {
        scene.render_2d();
    }
}
