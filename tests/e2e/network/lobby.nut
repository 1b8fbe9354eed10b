// A lobby member that reports every lobby event as a "lobby:" log line and
// obeys commands ("CMND" oneshots holding one text line) from any member:
//   send NODE COUNT   send COUNT numbered "DATA" oneshots to NODE
//   kick NODE REASON  kick_from_lobby
//   leave REASON      leave_lobby
class LobbyMember {
    elapsed = 0.0;
    expected = null;  // next sequence number per sending node
    delayed_mode_set = false;

    function init() {
        expected = {};
        ::Network.init_default_handler();
        print("lobby:implements " + ::Network.implements_lobby());
        ::Network.set_invitations_mode(INVITATIONS);
        if (CREATE)
            print("lobby:create " + ::Network.create_lobby(false, 8, PROTOCOL));
        else if (JOIN != "")
            print("lobby:join " + ::Network.join_lobby(JOIN, PROTOCOL));
    }

    function update(dt) {
        elapsed += dt;
        if (ACCEPT_AFTER > 0 && elapsed > ACCEPT_AFTER && !delayed_mode_set) {
            delayed_mode_set = true;
            print("lobby:accepting from now on");
            ::Network.set_invitations_mode(0);
        }
        if (elapsed > TIME_LIMIT) {
            print("lobby:time limit");
            ::System.request_quit();
        }
    }

    function handle_lobby_create_succeeded(lobby, node) {
        print("lobby:created " + lobby + " " + node + " owner " + ::Network.is_lobby_owner());
        if (INVITE_ON_CREATE)
            ::Network.invite_friends();
        return NETWORK_RESULT_OK;
    }

    function handle_lobby_create_failed(reason) { print("lobby:create_failed " + reason); }

    function handle_lobby_join_succeeded(lobby, node, is_host) {
        print("lobby:joined " + lobby + " " + node + " " + is_host);
        return NETWORK_RESULT_OK;
    }

    function handle_lobby_join_failed(reason) { print("lobby:join_failed " + reason); }

    function handle_lobby_node_joined(node, is_host) {
        print("lobby:node_joined " + node + " " + is_host + " mode " + ::Network.get_connection_mode(node));
        return NETWORK_RESULT_OK;
    }

    function handle_lobby_node_left(node, reason) { print("lobby:node_left " + node + " " + reason); }

    function handle_lobby_migration(node) {
        print("lobby:migration " + node + " owner " + ::Network.is_lobby_owner());
        return NETWORK_RESULT_OK;
    }

    function handle_invitation_accepted(lobby) {
        print("lobby:invitation " + lobby);
        print("lobby:join " + ::Network.join_lobby(lobby, PROTOCOL));
        return NETWORK_RESULT_OK;
    }

    function handle_message(node) {
        local type = ::Network.get_read_type(node);
        if (type == ::Network.type_from_string("DATA"))
            take_data(node, ::Network.read_int32(node), ::Network.read_int32(node));
        else if (type == ::Network.type_from_string("CMND"))
            obey(::Network.read_string(node));
        else
            print("lobby:unexpected type " + type + " from " + node);
    }

    function take_data(node, sequence, count) {
        local next = (node in expected) ? expected[node] : 0;
        if (next < 0)
            return;
        if (sequence != next) {
            print("lobby:data from " + node + " out of order: " + sequence + " after " + (next - 1));
            expected[node] <- -1;
            return;
        }
        expected[node] <- next + 1;
        if (next + 1 == count)
            print("lobby:data from " + node + " " + count + " in order");
    }

    function obey(line) {
        print("lobby:command " + line);
        local words = split(line, " ");
        local verb = words[0];
        if (verb == "send") {
            local node = words[1].tointeger();
            local count = words[2].tointeger();
            local sent = 0;
            for (local i = 0; i < count; i += 1) {
                if (::Network.create_oneshot_message(node, ::Network.type_from_string("DATA")) &&
                    ::Network.write_int32(node, i) && ::Network.write_int32(node, count) &&
                    ::Network.send_message(node))
                    sent += 1;
            }
            print("lobby:sent " + sent + " to " + node);
        } else if (verb == "kick") {
            print("lobby:kick " + ::Network.kick_from_lobby(words[1].tointeger(), words[2].tointeger()));
        } else if (verb == "leave") {
            print("lobby:leave " + ::Network.leave_lobby(words[1].tointeger()));
        }
    }
}

return LobbyMember();
