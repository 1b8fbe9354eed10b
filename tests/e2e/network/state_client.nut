// Joins in menu state, waits for the host's state in slot 0, rebuilds the map
// from its world object, rolls back to it, saves again and logs the CRC.
::System.run_script("scripts/state_world.nut");

class StateClient {
    elapsed = 0.0;
    host = null;

    function init() {
        ::Network.init_default_handler();
        print("net:attempt " + ::Network.connect(NODE, "127.0.0.1", PORT, 3));
    }

    function update(dt) {
        elapsed += dt;
        if (host != null && ::Network.is_state(0))
            join();
        else if (elapsed > TIME_LIMIT) {
            print("net:time limit");
            ::System.request_quit();
        }
    }

    function join() {
        ::Network.creating_map();
        ::world <- World();
        print("state:world object " + ::Network.load_world_object(0) + " seed " + ::world.seed);
        ::level <- Level();
        ::Network.map_created();
        ::Network.rollback(0);
        ::Network.save_state(1, 0);
        local last = ::level.things[::level.things.len() - 1];
        print("state:client things " + ::level.things.len() + " last " + last.hp + " " + last.name);
        print("state:client crc " + ::Network.get_state_crc(1));
        ::Network.create_oneshot_message(host, ::Network.type_from_string("QUIT"));
        ::Network.send_message(host);
        ::Network.disconnect();
        host = null;
        ::System.request_quit();
    }

    function handle_connect(node) {
        print("net:connect " + node);
        host = node;
    }

    function handle_connect_failure(reason) {
        print("net:failure " + reason);
        ::System.request_quit();
    }

    function handle_disconnect(node, reason) { print("net:disconnect " + node + " " + reason); }

    function handle_message(node) {}
}
return StateClient();
