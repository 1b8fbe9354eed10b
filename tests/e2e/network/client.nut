// A client that connects again after every failure or disconnect, up to
// ATTEMPTS times; once accepted it sends an ECHO request and, in a pair with
// another engine, a QUIT oneshot after the answer.
class Client {
    elapsed = 0.0;
    attempts = 0;

    function init() {
        ::Network.init_default_handler();
        connect();
    }

    function connect() {
        attempts += 1;
        print("net:attempt " + attempts + " " + ::Network.connect(NODE, "127.0.0.1", PORT, GAME_PROTOCOL));
    }

    function again() {
        ::Network.disconnect();
        if (attempts < ATTEMPTS)
            connect();
        else
            ::System.request_quit();
    }

    function update(dt) {
        elapsed += dt;
        if (elapsed > TIME_LIMIT) {
            print("net:time limit");
            ::System.request_quit();
        }
    }

    function handle_connect(node) {
        print("net:connect " + node + " mode " + ::Network.get_connection_mode(node));
        local id = ::Network.create_request_message(node, ::Network.type_from_string("ECHO"));
        ::Network.write_string(node, "ping");
        ::Network.send_message(node);
        print("net:request " + id);
    }

    function handle_connect_failure(reason) {
        print("net:failure " + reason);
        again();
    }

    function handle_disconnect(node, reason) {
        print("net:disconnect " + node + " " + reason);
        again();
    }

    function handle_message(node) {
        local kind = ::Network.get_read_kind(node);
        print("net:message kind " + kind + " id " + ::Network.get_read_id(node) + " code " +
              ::Network.get_read_code(node) + " text " + ::Network.read_string(node));
        if (kind == 2 && QUIT_HOST) {
            ::Network.create_oneshot_message(node, ::Network.type_from_string("QUIT"));
            ::Network.send_message(node);
            ::Network.disconnect();
            ::System.request_quit();
        }
    }
}
return Client();
