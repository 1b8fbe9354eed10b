// A host that admits, refuses, echoes and reports every network event as a
// "net:" log line for the test peer to check.
class Host {
    elapsed = 0.0;

    function init() {
        ::Network.init_default_handler();
        if (::Network.listen(NODE, PORT, "127.0.0.1"))
            print("net:listening " + PORT);
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
        print("net:connect " + node);
        if (node == 66)
            return NETWORK_RESULT_DENY;
        if (node == 67)
            return false;
        if (node == 8)
            return true;
        if (node == 9)
            return;
        return NETWORK_RESULT_OK;
    }

    function handle_disconnect(node, reason) { print("net:disconnect " + node + " " + reason); }

    function handle_message(node) {
        local kind = ::Network.get_read_kind(node);
        local type = ::Network.get_read_type(node);
        if (type == ::Network.type_from_string("ECHO") && kind == 1) {
            local text = ::Network.read_string(node);
            ::Network.create_response_message(node, 0);
            ::Network.write_string(node, text + "!");
            ::Network.send_message(node);
        } else if (type == ::Network.type_from_string("NUMS") && kind == 1) {
            reply_with_numbers(node);
        } else if (type == ::Network.type_from_string("NOTE")) {
            print("net:note " + ::Network.read_string(node) + " " + ::Network.get_read_remaining(node));
        } else if (type == ::Network.type_from_string("QUIT")) {
            print("net:quit from " + node);
            ::Network.disconnect();
            ::System.request_quit();
        } else {
            print("net:unexpected " + kind + " " + type);
        }
    }

    // Reads two int32 and one more past the end; answers with what it saw,
    // telling a real -1 from a failed read.
    function reply_with_numbers(node) {
        local first = ::Network.read_int32(node);
        local first_failed = ::Network.has_read_failed(node);
        local second = ::Network.read_int32(node);
        local third = ::Network.read_int32(node);
        local third_failed = ::Network.has_read_failed(node);
        ::Network.create_response_message(node, 7);
        ::Network.write_int32(node, first);
        ::Network.write_uint8(node, first_failed ? 1 : 0);
        ::Network.write_int32(node, second);
        ::Network.write_int32(node, third);
        ::Network.write_uint8(node, third_failed ? 1 : 0);
        ::Network.write_varint(node, 300);
        print("net:write_uint8 256 " + ::Network.write_uint8(node, 256));
        ::Network.send_message(node);
    }
}
return Host();
