// The keyboard turned into the input bits of one tick. The root passes every
// key press and release here; the held set is read once per tick.

class Controls {
    held = null;

    // Each input bit and the keys that give it.
    static BINDINGS = [
        [INPUT_UP, [KEY_UP, KEY_W]],
        [INPUT_DOWN, [KEY_DOWN, KEY_S]],
        [INPUT_LEFT, [KEY_LEFT, KEY_A]],
        [INPUT_RIGHT, [KEY_RIGHT, KEY_D]],
        [INPUT_JUMP, [KEY_SPACE]],
        [INPUT_ACTION, [KEY_E, KEY_ENTER, KEY_LEFT_CTRL]]
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

    function release_all() {
        held = {};
    }

    function bits() {
        local result = 0;
        foreach (binding in BINDINGS) {
            foreach (key in binding[1]) {
                if (key in held) {
                    result = result | binding[0];
                    break;
                }
            }
        }
        return result;
    }
}
