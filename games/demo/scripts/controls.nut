// Which way the player wants to walk. The engine calls the root's key_down
// and key_up once per press and release; remembering the held keys here
// (instead of asking System.is_key_down every frame) lets the autopilot of a
// test run press keys through exactly the same path as the keyboard.

class Controls {
    held = null;

    // Each direction and the keys that ask for it.
    static DIRECTION_KEYS = [
        [[-1, 0], [KEY_LEFT, KEY_A]],
        [[1, 0], [KEY_RIGHT, KEY_D]],
        [[0, -1], [KEY_UP, KEY_W]],
        [[0, 1], [KEY_DOWN, KEY_S]]
    ];

    constructor() {
        held = {};
    }

    function press(key) {
        held[key] <- true;
    }

    function release(key) {
        if (key in held)
            delete held[key];
    }

    // [x, y] with components -1, 0 or 1.
    function direction() {
        local result = [0, 0];
        foreach (entry in DIRECTION_KEYS) {
            foreach (key in entry[1]) {
                if (key in held) {
                    result[0] += entry[0][0];
                    result[1] += entry[0][1];
                    break;
                }
            }
        }
        return result;
    }
}
