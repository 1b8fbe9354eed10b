// The model viewer: one model turning slowly in front of a camera, lit from
// above and to the left. Left and right arrows turn it by hand, space pauses
// the turning, P or F12 saves screenshot.png, Esc quits.
::System.run_script("scripts/defs.nut");

class Viewer {
    camera = null;
    model = null;
    yaw = 0.0;       // turns
    turning = true;
    frames = 0;
    quit_after_frames = 0;

    function preinit() {
        ::System.register_cvar(CVAR_QUIT_AFTER_FRAMES, 0);
    }

    function init() {
        ::System.set_clear_screen(true);
        ::System.set_clear_color(0.16, 0.18, 0.24, 1.0);
        quit_after_frames = ::System.get_cvar_integer(CVAR_QUIT_AFTER_FRAMES);

        // The world is z up; the camera looks along y, from a little above
        // the model and pitched 15 degrees down (a rotation about x).
        camera = Camera();
        fit_camera();
        camera.set_position([0.0, -4.6, 1.5]);
        camera.set_orientation([-0.130526, 0.0, 0.0, 0.991445]);

        model = ModelView();
        if (!model.set_model(VIEWER_MODEL))
            print(VIEWER_NAME + ": could not load model '" + VIEWER_MODEL + "', see the log");
    }

    function fit_camera() {
        local size = ::System.get_screen_size();
        camera.set_viewport_position([0, 0]);
        camera.set_viewport_size(size);
        // Keep 60 degrees from top to bottom and derive the horizontal
        // angle from the window's shape, so that a wide window shows more
        // at the sides rather than less above and below.
        camera.set_fov_angles([0.0, 1.0 / 6.0]);
    }

    function screen_resolution_changed() {
        fit_camera();
    }

    function update(dt) {
        frames += 1;
        if (turning)
            yaw += dt / TURN_SECONDS;
        model.set_rotation([yaw, 0.0, 0.0]);
        if (quit_after_frames > 0 && frames >= quit_after_frames) {
            save_screenshot();
            print(VIEWER_NAME + ": quitting after " + frames + " frames");
            ::System.request_quit();
        }
    }

    function render() {
        model.render(camera);
    }

    function key_down(key) {
        if (key == KEY_ESC)
            ::System.request_quit();
        else if (key == KEY_SPACE)
            turning = !turning;
        else if (key == KEY_LEFT)
            yaw -= 1.0 / 24.0;
        else if (key == KEY_RIGHT)
            yaw += 1.0 / 24.0;
        else if (key == KEY_P || key == KEY_F12)
            save_screenshot();
    }

    // Into the save directory, next to the log.
    function save_screenshot() {
        if (::System.save_screenshot("screenshot.png"))
            print(VIEWER_NAME + ": saved screenshot.png");
    }

    function key_up(key) {}

    function shutdown() {
        print(VIEWER_NAME + ": shutdown after " + frames + " frames");
    }
}

::viewer <- Viewer();
return ::viewer;
