// Text on top of the game: score, frame rate, help line, the title at start
// and short notices. Text objects are SceneObjects too, drawn on the highest
// layers so that nothing covers them.

// Text colours that "^digit" escapes inside a text switch to.
const TEXT_COLOR_KEY = 1;
const TEXT_COLOR_SCORE = 2;

function make_text(scene, position, text, scale, align, width) {
    local label = SceneObject();
    label.set_font("text");
    label.set_font_scale(scale);
    label.set_text_align(align);
    label.set_text_width(width);  // wrap and alignment width; -1 = no wrapping
    label.set_text(text);
    label.set_position(position);
    label.set_layer(LAYER_HUD_TEXT);
    label.set_scene(scene);
    return label;
}

// A translucent dark strip behind a line of text: the engine's built-in 1 x 1
// white sprite, stretched and tinted.
function make_bar(scene, y) {
    local bar = SceneObject();
    bar.set_sprite("_white_");
    bar.set_local_scale(CANVAS_WIDTH, HUD_BAR_HEIGHT);
    bar.set_color([0.04, 0.07, 0.05, 0.55]);
    bar.set_position(0, y);
    bar.set_layer(LAYER_HUD);
    bar.set_scene(scene);
    return bar;
}

// A text that drifts up, fades out and then leaves the scene.
class FloatingText extends SceneObject {
    constructor(scene, position, text, rise, seconds) {
        base.constructor();
        set_font("text");
        set_text_align("c");
        set_text_width(200);
        set_text(text);
        local size = get_text_size();
        set_position(position[0] - 100, position[1] - size[1]);
        set_layer(LAYER_HUD_TEXT);
        set_scene(scene);
        move_to2([position[0] - 100, position[1] - size[1] - rise], seconds, seconds * 0.2, seconds * 0.6);
        fade_alpha_to(0, seconds);
    }

    function on_fade_alpha_end() {
        set_scene(null);  // the scene drops its reference and the text is gone
    }
}

// The title: fades in, stays a moment, fades out. The middle "fade" from 1 to
// 1 is just a timer whose end is reported like any other.
class Banner extends SceneObject {
    stage = 0;

    constructor(scene, text) {
        base.constructor();
        set_font("text");
        set_font_scale(2.0);
        set_text_align("c");
        set_text_width(CANVAS_WIDTH);
        set_text(text);
        set_position(0, CANVAS_HEIGHT / 2 - 60);
        set_color([1, 1, 1, 0]);
        set_layer(LAYER_HUD_TEXT);
        set_scene(scene);
        fade_alpha_to(1, 0.8);
    }

    function on_fade_alpha_end() {
        stage += 1;
        if (stage == 1)
            fade_alpha_to(1, 1.5);
        else if (stage == 2)
            fade_alpha_to(0, 1.0);
        else
            set_scene(null);
    }
}

class Hud {
    scene = null;
    score_label = null;
    fps_label = null;
    fps_refresh = 0.0;

    constructor(scene) {
        this.scene = scene;
        ::System.set_text_color(TEXT_COLOR_KEY, [255, 214, 92, 255]);
        ::System.set_text_color(TEXT_COLOR_SCORE, [150, 240, 120, 255]);
        make_bar(scene, 0);
        make_bar(scene, CANVAS_HEIGHT - HUD_BAR_HEIGHT);
        score_label = make_text(scene, [10, 3], "", 1.0, "l", -1);
        fps_label = make_text(scene, [CANVAS_WIDTH - 210, 3], "", 1.0, "r", 200);
        make_text(scene, [0, CANVAS_HEIGHT - HUD_BAR_HEIGHT + 5],
            "^1Arrows^0/^1WASD^0 walk    ^1Click^0 fly there    ^1P^0/^1F12^0 screenshot    ^1Esc^0 quit",
            0.8, "c", CANVAS_WIDTH);
        Banner(scene, DEMO_NAME);
        show_score(0);
    }

    function update(dt) {
        // The engine measures the frame rate over half a second; showing it
        // more often than that would only repeat the same figure.
        fps_refresh -= dt;
        if (fps_refresh <= 0) {
            fps_refresh = 0.5;
            fps_label.set_text(format("%.0f fps", ::System.get_fps()));
        }
    }

    function show_score(score) {
        score_label.set_text("Score ^2" + score);
    }

    function popup(position, text) {
        FloatingText(scene, position, text, 28, 0.9);
    }

    function notice(text) {
        FloatingText(scene, [CANVAS_WIDTH / 2, CANVAS_HEIGHT / 2 + 40], text, 20, 2.0);
    }
}
