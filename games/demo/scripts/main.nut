// The demo's root object. The engine runs scripts/constants.nut, then this
// file, and calls the methods of the object it returns: preinit and init once
// at start, update(dt) and render() every frame, key_down/key_up on input,
// shutdown at the end. Everything else is in the files loaded just below.
::System.run_script("scripts/defs.nut");
::System.run_script("scripts/controls.nut");
::System.run_script("scripts/actors.nut");
::System.run_script("scripts/hud.nut");
::System.run_script("scripts/autopilot.nut");
::System.run_script("scripts/title.nut");

class Demo {
    // Where the props stand (sprite, x, y): fixed, so that the meadow looks
    // arranged.
    static PROPS = [
        ["bush", 70, 120], ["bush", 560, 300], ["bush", 600, 95],
        ["mushroom", 120, 300], ["mushroom", 470, 150],
        ["flowers", 250, 90], ["flowers", 380, 310], ["flowers", 530, 210],
        ["rock", 300, 220], ["rock", 40, 200]
    ];

    scene = null;
    view = null;
    controls = null;
    hud = null;
    player = null;
    pickups = null;
    glooms = null;
    click_marker = null;
    autopilot = null;
    music = null;
    step_seconds = 0.0;
    // The title screen while it is up; the meadow waits behind it.
    title = null;
    score = 0;
    frames = 0;
    quit_after_frames = 0;

    function preinit() {
        print(DEMO_NAME + ": preinit");
        // Registering gives the setting its default; a value from boot.config
        // or game_config.txt, if there is one, is kept.
        ::System.register_cvar(CVAR_AUTOPILOT, 0);
        ::System.register_cvar(CVAR_QUIT_AFTER_FRAMES, 0);
    }

    function init() {
        ::System.set_clear_screen(true);
        ::System.set_clear_color(0.05, 0.08, 0.06, 1.0);  // the letterbox bars

        // The game is laid out on a 640 x 360 canvas; the view scales it to
        // the largest rectangle of that shape that fits the window.
        view = View2d();
        view.set_virtual_resolution(CANVAS_WIDTH, CANVAS_HEIGHT);
        fit_view();

        scene = Scene();
        scene.set_view(view);
        build_meadow();

        controls = Controls();
        player = Player(scene, [CANVAS_WIDTH / 2, CANVAS_HEIGHT / 2 + 40]);
        pickups = [];
        for (local i = 0; i < STAR_COUNT; i += 1)
            pickups.append(Star(scene));
        for (local i = 0; i < GEM_COUNT; i += 1)
            pickups.append(Gem(scene));
        glooms = [];
        for (local i = 0; i < GLOOM_COUNT; i += 1)
            glooms.append(Gloom(scene));
        hud = Hud(scene);
        start_music();
        title = TitleScreen(start_game.bindenv(this));

        if (::System.get_cvar_integer(CVAR_AUTOPILOT) != 0)
            autopilot = Autopilot();
        quit_after_frames = ::System.get_cvar_integer(CVAR_QUIT_AFTER_FRAMES);
        print(DEMO_NAME + ": init; press Esc to quit");
    }

    // The channel is kept so that the music could be stopped or changed;
    // music dropped by the script would play on, a looping effect would fade.
    function start_music() {
        ::System.set_music_sound_category(1);
        music = SoundChannel();
        music.set_sound("music");
        music.set_looping(1);
        music.play();
    }

    // A one-shot effect: the channel is dropped at once and plays to its end.
    function play_sound(name, panning) {
        local channel = SoundChannel();
        channel.set_sound(name);
        channel.set_panning(panning);
        channel.play();
    }

    // Pans a sound with the x of where it happens on the canvas.
    function panning_at(position) {
        return (position[0] / CANVAS_WIDTH.tofloat()) * 1.2 - 0.6;
    }

    function build_meadow() {
        // One 128 x 128 tile repeated across the whole view.
        local ground = SceneObject();
        ground.set_sprite("ground");
        ground.set_repeating(true, true);
        ground.set_layer(LAYER_GROUND);
        ground.set_scene(scene);

        foreach (place in PROPS) {
            local prop = SceneObject();
            prop.set_sprite(place[0]);
            prop.set_position(place[1], place[2]);
            prop.set_layer(LAYER_ACTORS);
            prop.set_scene(scene);
        }

        local fireflies = SceneObject();
        fireflies.set_emitter("fireflies");
        fireflies.set_layer(LAYER_EFFECTS);
        fireflies.set_scene(scene);

        click_marker = SceneObject();
        click_marker.set_sprite("ring");
        click_marker.set_color([0.7, 1.0, 1.0, 0.0]);
        click_marker.set_layer(LAYER_SHADOWS);
        click_marker.set_scene(scene);
    }

    function fit_view() {
        // The viewport size set first gives the shape that fitting keeps.
        view.set_viewport_size(CANVAS_WIDTH, CANVAS_HEIGHT);
        view.fit_viewport_to_screen();
    }

    function screen_resolution_changed() {
        fit_view();
    }

    function start_game() {
        print(DEMO_NAME + ": start");
        title = null;
    }

    function update(dt) {
        frames += 1;
        if (autopilot != null)
            autopilot.update(dt);
        if (title != null) {
            title.update(dt);
        } else {
            player.update(dt, controls.direction());
            step_sounds(dt);
            hud.update(dt);
            // Steps every object (tweens, animations, particles), calls their
            // callbacks, then tests collisions and calls on_collision.
            scene.update(dt);
            // Things lower on the screen stand in front: sort by the feet's y.
            scene.sort_layer(LAYER_ACTORS);
        }
        if (quit_after_frames > 0 && frames >= quit_after_frames) {
            print(DEMO_NAME + ": quitting after " + frames + " frames");
            ::System.request_quit();
        }
    }

    // A footstep every 0.3 s while the sprout walks or flies. The time keeps
    // running while it stands, so that stopping and starting again never
    // steps sooner than the footstep's mingap allows (a refused play is
    // logged as an error).
    function step_sounds(dt) {
        step_seconds = step_seconds > dt ? step_seconds - dt : 0.0;
        local direction = controls.direction();
        local moving = direction[0] != 0 || direction[1] != 0 || player.flying;
        if (moving && step_seconds == 0.0) {
            play_sound("footstep", panning_at(player.get_position()));
            step_seconds = 0.3;
        }
    }

    function render() {
        scene.render_2d();
        if (title != null)
            title.render();
    }

    function key_down(key) {
        if (key == KEY_ESC)
            ::System.request_quit();
        else if (title != null)
            title.key_down(key);
        else if (key == KEY_P || key == KEY_F12)
            save_screenshot();
        else if (key == MOUSE_LEFT)
            click_at(view.screen_to_canvas(::System.get_mouse_position()));
        else
            controls.press(key);
    }

    function key_up(key) {
        if (title != null)
            title.key_up(key);
        else
            controls.release(key);
    }

    // A click (or the autopilot) at a canvas point: sparks there, and the
    // player flies to it.
    function click_at(point) {
        spawn_burst(scene, "click_burst", point);
        click_marker.set_position(point);
        click_marker.set_color([0.7, 1.0, 1.0, 0.9]);
        click_marker.fade_alpha_to(0, 0.6);
        player.fly_to([point[0], point[1]]);
    }

    function pickup_collected(pickup) {
        score += pickup.value;
        hud.show_score(score);
        local position = pickup.get_position();
        play_sound("pickup", panning_at(position));
        hud.popup([position[0], position[1] - 12], "+" + pickup.value);
        print(format("Collected a %s: score %d", pickup.value > 1 ? "gem" : "star", score));
    }

    function player_hurt() {
        local position = player.get_position();
        play_sound("hit", panning_at(position));
        hud.popup([position[0], position[1] - 36], "Ouch!");
        print("A bat caught the sprout");
    }

    function save_screenshot() {
        // The engine writes the file into the save directory, next to the log.
        if (::System.save_screenshot("screenshot.png")) {
            hud.notice("Saved screenshot.png");
            print(DEMO_NAME + ": saved screenshot.png");
        } else {
            hud.notice("Could not save the screenshot");  // the log says why
        }
    }

    function shutdown() {
        print(DEMO_NAME + ": shutdown after " + frames + " frames, score " + score);
    }
}

::demo <- Demo();
return ::demo;
