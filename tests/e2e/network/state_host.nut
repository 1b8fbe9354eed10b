// Builds a map of THINGS objects from SEED, saves it in SLOT, logs its CRC and
// sends it to the first node that connects; quits on that node's QUIT.
::System.run_script("scripts/state_world.nut");

class StateHost {
    elapsed = 0.0;
    joiner = null;

    function init() {
        ::Network.init_default_handler();
        ::Network.creating_map();
        ::world <- World();
        ::world.seed = SEED;
        ::level <- Level();
        ::Network.map_created();
        local previous = null;
        for (local i = 0; i < THINGS; i++) {
            local thing = Thing();
            thing.hp = i * 7919 - SEED;
            thing.kind = i % 256;
            thing.name = "thing " + i + " of seed " + SEED + ", a name long enough to make the saved state large";
            if (previous != null)
                thing.target = previous.weakref();
            ::level.things.append(thing);
            previous = thing;
        }
        ::Network.save_state(SLOT, 0);
        print("state:host crc " + ::Network.get_state_crc(SLOT));
        print("state:host bytes " + ::Network.store_state_to_blob(SLOT).len());
        if (::Network.listen(NODE, PORT, "127.0.0.1"))
            print("net:listening " + PORT);
        else
            ::System.request_quit();
    }

    function update(dt) {
        elapsed += dt;
        if (joiner != null) {
            print("state:sent " + ::Network.send_state(joiner, SLOT));
            joiner = null;
        }
        if (elapsed > TIME_LIMIT) {
            print("net:time limit");
            ::System.request_quit();
        }
    }

    function handle_connect(node) {
        print("net:connect " + node);
        joiner = node;
        return NETWORK_RESULT_OK;
    }

    function handle_disconnect(node, reason) { print("net:disconnect " + node + " " + reason); }

    function handle_message(node) {
        if (::Network.get_read_type(node) == ::Network.type_from_string("QUIT")) {
            print("net:quit from " + node);
            ::Network.disconnect();
            ::System.request_quit();
        }
    }
}
return StateHost();
