// The demo's root object: it runs until Esc is pressed or the window is
// closed, and reports the frame rate once a second.
class Demo {
    frames = 0;
    seconds = 0.0;
    next_report = 1.0;

    function preinit() {
        print(DEMO_NAME + ": preinit");
    }

    function init() {
        print(DEMO_NAME + ": init; press Esc to quit");
    }

    function update(dt) {
        frames += 1;
        seconds += dt;
        if (seconds >= next_report) {
            next_report += 1.0;
            print(format("%s: %.0f fps, frame %d after %.1f s", DEMO_NAME, ::System.get_fps(), frames, seconds));
        }
    }

    function render() {
    }

    function key_down(key) {
        if (key == KEY_ESC)
            ::System.request_quit();
    }

    function shutdown() {
        print(DEMO_NAME + ": shutdown after " + frames + " frames");
    }
}

return Demo();
