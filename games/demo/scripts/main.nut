// The demo's root object: it counts frames and time, reports them now and
// then, and quits after DEMO_FRAMES_TO_RUN frames.
class Demo {
    frames = 0;
    seconds = 0.0;

    function preinit() {
        print(DEMO_NAME + ": preinit");
    }

    function init() {
        print(DEMO_NAME + ": init, running " + DEMO_FRAMES_TO_RUN + " frames");
    }

    function update(dt) {
        frames += 1;
        seconds += dt;
        if (frames % 30 == 0)
            print(format("%s: frame %d after %.2f s", DEMO_NAME, frames, seconds));
        if (frames >= DEMO_FRAMES_TO_RUN)
            ::System.request_quit();
    }

    function render() {
    }

    function shutdown() {
        print(DEMO_NAME + ": shutdown after " + frames + " frames");
    }
}

return Demo();
