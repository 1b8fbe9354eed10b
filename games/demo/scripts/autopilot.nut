// A test run sets demo::autopilot to 1: the demo then plays itself through
// the steps below, feeding key and click events into the same handlers the
// engine calls for real input, logs what happened, and quits. Steps wait on
// time or on what the game did, never on frame counts, so the run behaves the
// same on a fast machine and under a slow sanitizer build.

class Autopilot {
    step = 0;
    seconds_in_step = 0.0;
    retry_seconds = 0.0;
    steps = null;

    constructor() {
        steps = [
            // Through the title screen by its Start button, as a click would.
            { wait = 0.3, run = function() { ::demo.title.buttons.start.click(); } },
            { wait = 0.3, run = function() { press(KEY_RIGHT); } },
            { wait = 0.6, run = function() { release(KEY_RIGHT); press(KEY_S); } },
            { wait = 0.4, run = function() { release(KEY_S); click_nearest_pickup(); } },
            // Clicks again now and then: a bat may knock the player off course.
            { until = function() { return ::demo.score > 0; }, retry = click_nearest_pickup, give_up = 15.0 },
            { wait = 0.15, run = function() { print("autopilot: collected, score " + ::demo.score); tap(KEY_P); } },
            { wait = 0.2, run = function() { ::demo.click_at([CANVAS_WIDTH / 2, CANVAS_HEIGHT / 2]); } },
            { wait = 0.5, run = function() { print("autopilot: done"); ::System.request_quit(); } }
        ];
    }

    function update(dt) {
        if (step >= steps.len())
            return;
        local current = steps[step];
        seconds_in_step += dt;
        if ("until" in current) {
            if (current.until.call(this)) {
                next_step();
            } else if (seconds_in_step >= current.give_up) {
                print("autopilot: gave up waiting in step " + step);
                ::System.request_quit();
                step = steps.len();
            } else {
                retry_seconds += dt;
                if (retry_seconds >= 1.0) {
                    retry_seconds = 0.0;
                    current.retry.call(this);
                }
            }
        } else if (seconds_in_step >= current.wait) {
            current.run.call(this);
            next_step();
        }
    }

    function next_step() {
        step += 1;
        seconds_in_step = 0.0;
        retry_seconds = 0.0;
    }

    function press(key) { ::demo.key_down(key); }
    function release(key) { ::demo.key_up(key); }
    function tap(key) { press(key); release(key); }

    function click_nearest_pickup() {
        local from = ::demo.player.get_position();
        local best = null;
        foreach (pickup in ::demo.pickups) {
            if (!pickup.collected && (best == null || distance_between(from, pickup.get_position()) < distance_between(from, best.get_position())))
                best = pickup;
        }
        local target = best.get_position();
        // Pickups are centred on their position; the player's is its feet.
        ::demo.click_at([target[0], target[1] + 10]);
    }
}
