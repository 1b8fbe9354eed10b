// Rollback netplay for games built on state objects.
//
// The game gives an adapter (create_world, build_static, create_dynamic,
// simulate, local_input, destroy_map, optionally on_netplay_event); this
// library runs the ticks: input delay, prediction of late inputs, a save
// slot per tick, rollback and re-simulation when an input turns out other
// than predicted, acknowledgement of final ticks to the network logger,
// joining a running game through a state transfer, and desync detection by
// comparing per-tick state CRCs. The peers form a star around the host,
// which relays every input; over TCP the host listens, in a lobby the
// lobby's creator is the host. `--synctest N` and `--verify-replay FILE`
// turn any start into a sync test or a replay verification.

// Root slots rather than constants: a game's scripts are compiled before
// they run this library, so they could not see its constants.
::NETPLAY_PRESENT <- 0x8000;                // the player is in the game
::NETPLAY_TICKS_PER_SECOND <- 60;

// Replay element tags.
const NETPLAY_REPLAY_TAG = 0x4e504c59;      // the whole file
const NETPLAY_REPLAY_VERSION = 1;
const NETPLAY_ELEMENT_HEADER = 1;           // uint8 max players
const NETPLAY_ELEMENT_CHECKPOINT = 2;       // uint32 tick; the next element is that tick's state
const NETPLAY_ELEMENT_STATE = 3;            // a saved state
const NETPLAY_ELEMENT_INPUTS = 4;           // uint32 tick, uint16 per player

// Exit status of a sync test or replay verification that found a difference.
::NETPLAY_EXIT_MISMATCH <- 3;

class NetplayMessages {
    // Types of the messages the peers exchange, from their four-letter names.
    inputs = 0;       // int32 sender tick, int8 sender advantage, uint8 runs, runs of (uint8 player, int32 first, uint8 n, n × uint16)
    joined = 0;       // host → joiner: uint8 player, int32 state tick, int32 author tick, uint8 max players, per player: int32 start, int32 end
    player = 0;       // host → clients: uint8 player, int32 stream start (the player's inputs count from there)
    left = 0;         // host → clients: uint8 player, int32 stream end
    crcs = 0;         // client → host: int32 first tick, uint8 n, n × int32 crc
    desync = 0;       // host → client: int32 tick whose state differs
    dump = 0;         // client → host: int32 tick, int32 offset, int32 total, uint16 n, n bytes: the client's state of that tick

    constructor() {
        inputs = Network.type_from_string("NPIN");
        joined = Network.type_from_string("NPJN");
        player = Network.type_from_string("NPPL");
        left = Network.type_from_string("NPLV");
        crcs = Network.type_from_string("NPCR");
        desync = Network.type_from_string("NPDS");
        dump = Network.type_from_string("NPDB");
    }
}

// One player's inputs: known from the stream's start up to known_until,
// absent before the start and from the end on.
class NetplayStream {
    start = 0x7fffffff;
    end = 0x7fffffff;
    known_until = -1;
    values = null;

    constructor() {
        values = {};
    }

    function open(from_tick) {
        start = from_tick;
        end = 0x7fffffff;
        known_until = from_tick - 1;
    }

    function is_known(tick) {
        return tick < start || tick >= end || tick <= known_until;
    }

    // The input to simulate with: the known one, else the last known one
    // repeated (the usual guess: players hold their buttons).
    function value(tick) {
        if (tick < start || tick >= end)
            return 0;
        // A joiner holds no inputs from before the state it received.
        if (tick <= known_until)
            return tick in values ? values[tick] : 0;
        return known_until in values ? values[known_until] : 0;
    }

    function store(tick, input) {
        values[tick] <- input;
        if (tick > known_until)
            known_until = tick;
    }

    function forget_before(tick) {
        local stale = [];
        foreach (t, v in values)
            if (t < tick && t < known_until)
                stale.append(t);
        foreach (t in stale)
            delete values[t];
    }
}

class Netplay {
    game = null;
    options = null;
    messages = null;

    // "off", "solo", "host", "client", "synctest", "verify"
    mode = "off";
    transport = null;         // "socket" or "lobby" while connected
    running = false;
    me = -1;                  // this peer's player
    local_players = null;     // the players driven from this machine
    hub = -1;                 // client: the host's node
    tick_now = 0;             // the next tick to simulate
    confirmed = -1;           // every input up to this tick is known
    rollback_from = null;     // earliest tick simulated with a wrong guess
    streams = null;
    used = null;              // tick -> inputs the simulation used
    crcs = null;              // confirmed tick -> state CRC at its start
    blobs = null;             // confirmed tick -> state bytes at its start (for desync dumps)
    time_bank = 0.0;
    author_from = 0;          // this peer writes its own inputs from this tick on

    // Host: node -> player, and joins waiting for the next update.
    players_by_node = null;
    pending_joins = null;
    client_crcs = null;       // player -> { tick -> crc }
    desynced = null;          // player -> true once reported
    joined_at = null;         // player -> host tick of its admission, until its first matching CRC
    outgoing = null;          // node -> array of [player, tick, input]
    remote_tick = null;       // node -> the sender tick of its latest message
    remote_advantage = null;  // node -> the advantage it reported

    // Client joining: the transfer in flight.
    join_info = null;
    dump_parts = null;        // host: player -> { tick, total, blob }

    // Statistics for the HUD and the benchmark.
    rollbacks = 0;
    stalls = 0;
    rollback_costs = null;    // [ticks re-simulated, CPU seconds] of each rollback
    started_ms = 0;

    constructor(adapter, settings = null) {
        game = adapter;
        options = { max_players = 4, input_delay = 3, max_rollback = 12, crc_interval = 30, replay = null,
                    protocol = 1, join_lead = 20, local_players = 1,
                    replay_state_interval = 600 };
        if (settings != null)
            foreach (k, v in settings)
                options[k] <- v;
        messages = NetplayMessages();
        reset_session();
    }

    function reset_session() {
        streams = [];
        for (local p = 0; p < options.max_players; p += 1)
            streams.append(NetplayStream());
        used = {};
        crcs = {};
        blobs = {};
        players_by_node = {};
        pending_joins = [];
        client_crcs = {};
        desynced = {};
        joined_at = {};
        outgoing = {};
        remote_tick = {};
        remote_advantage = {};
        dump_parts = {};
        join_info = null;
        me = -1;
        local_players = [];
        hub = -1;
        tick_now = 0;
        confirmed = -1;
        rollback_from = null;
        time_bank = 0.0;
        rollbacks = 0;
        stalls = 0;
        rollback_costs = [];
        started_ms = ::System.get_system_milliseconds();
    }

    // ---- starting and stopping ------------------------------------------

    // A start that the command line turns into a sync test or a replay
    // verification; returns true when it did.
    function start_special(seed) {
        local depth = Network.get_synctest_ticks();
        if (depth > 0) {
            start_synctest(depth, seed);
            return true;
        }
        local replay = Network.get_verify_replay();
        if (replay != "") {
            start_verify(replay);
            return true;
        }
        return false;
    }

    function start_solo(seed) {
        if (start_special(seed))
            return;
        mode = "solo";
        options.input_delay = 0;
        begin_fresh_game(seed);
    }

    function host(port, seed) {
        if (start_special(seed))
            return true;
        Network.init_default_handler();
        if (!Network.listen(1, port)) {
            report("Can't host: port " + port + " is not free");
            Network.shutdown_default_handler();
            return false;
        }
        mode = "host";
        transport = "socket";
        begin_fresh_game(seed);
        report("Hosting on port " + port);
        return true;
    }

    function join(address, port) {
        if (start_special(0))
            return true;
        Network.init_default_handler();
        local node = 2 + (((::System.get_system_profile_time() ^ (::System.get_system_milliseconds() << 7)) & 0x3fffffff)
                          % 0x3ffffff0);
        if (!Network.connect(node, address, port, options.protocol)) {
            report("Can't connect to " + address + ":" + port);
            Network.shutdown_default_handler();
            return false;
        }
        mode = "client";
        transport = "socket";
        report("Connecting to " + address + ":" + port);
        return true;
    }

    function host_lobby(seed) {
        if (start_special(seed))
            return true;
        Network.init_default_handler();
        mode = "host";
        transport = "lobby";
        if (!Network.create_lobby(false, options.max_players, options.protocol)) {
            report("Can't create a lobby");
            mode = "off";
            return false;
        }
        options.seed_for_lobby <- seed;
        report("Creating a lobby");
        return true;
    }

    function join_lobby(id_text) {
        if (start_special(0))
            return true;
        Network.init_default_handler();
        mode = "client";
        transport = "lobby";
        if (!Network.join_lobby(id_text, options.protocol)) {
            report("Can't join lobby " + id_text);
            mode = "off";
            return false;
        }
        report("Joining lobby " + id_text);
        return true;
    }

    function stop() {
        if (mode == "synctest" && running)
            ::print("netplay: sync test passed: " + tick_now + " ticks, each run again " + synctest_depth + " times");
        report_costs();
        record_replay_end();
        if (transport == "socket")
            Network.disconnect();
        else if (transport == "lobby")
            Network.leave_lobby(NETWORK_RESULT_LEAVE);
        if (transport != null)
            Network.shutdown_default_handler();
        transport = null;
        save_replay();
        if (running)
            destroy_map();
        Network.delete_all_states();
        mode = "off";
        reset_session();
    }

    function is_running() { return running; }
    function local_player() { return running ? me : -1; }
    function tick() { return tick_now; }

    function player_mask() {
        local mask = 0;
        foreach (p, stream in streams)
            if (stream.value(tick_now - 1) & NETPLAY_PRESENT)
                mask = mask | (1 << p);
        return mask;
    }

    function status_text() {
        local text = mode + " tick " + tick_now;
        if (mode == "host" || mode == "client")
            text += " confirmed " + confirmed + " rollbacks " + rollbacks + " stalls " + stalls;
        return text;
    }

    // ---- maps ----------------------------------------------------------------

    function slot_count() {
        local depth = options.max_rollback;
        local synctest = Network.get_synctest_ticks();
        if (synctest > depth)
            depth = synctest;
        return depth + 2;
    }

    // Slot 0 receives transferred states; the ring of per-tick saves follows,
    // then two slots for comparisons.
    function slot_of(tick) { return 1 + tick % slot_count(); }
    function spare_slot(which) { return 1 + slot_count() + which; }

    function begin_fresh_game(seed) {
        Network.creating_map();
        game.create_world(seed);
        game.build_static();
        Network.map_created();
        game.create_dynamic();
        running = true;
        me = 0;
        tick_now = 0;
        confirmed = -1;
        // Without a network several players may share this machine.
        local sharing = mode == "solo" || mode == "synctest" ? options.local_players : 1;
        local_players = [];
        for (local p = 0; p < sharing && p < options.max_players; p += 1)
            local_players.append(p);
        author_from = options.input_delay;
        foreach (p in local_players) {
            streams[p].open(0);
            // The ticks inside the input delay have no input from the
            // controls yet: the player is there with nothing pressed.
            for (local t = 0; t < options.input_delay; t += 1)
                record_local(p, t, NETPLAY_PRESENT);
        }
        start_replay();
    }

    function begin_from_state(slot, tick) {
        Network.creating_map();
        game.create_world(0);
        if (!Network.load_world_object(slot)) {
            report("The received state does not fit this game");
            Network.destroying_map();
            game.destroy_map();
            Network.map_destroyed();
            return false;
        }
        game.build_static();
        Network.map_created();
        Network.rollback(slot);
        running = true;
        tick_now = tick;
        confirmed = tick - 1;
        start_replay();
        return true;
    }

    function destroy_map() {
        Network.destroying_map();
        game.destroy_map();
        Network.map_destroyed();
        running = false;
    }

    // ---- the frame -------------------------------------------------------

    function update(dt) {
        if (mode == "synctest")
            return update_synctest();
        if (mode == "verify")
            return update_verify();
        if (mode == "client" && !running)
            return update_joining();
        if (!running)
            return;
        if (mode == "host")
            admit_pending_joins();
        repair_mispredictions();
        local due = ticks_due(dt);
        for (local i = 0; i < due; i += 1) {
            if (tick_now - confirmed > options.max_rollback) {
                stalls += 1;
                break;
            }
            advance();
        }
        advance_confirmed();
        flush_outgoing();
    }

    // Sixty ticks a second; a client ahead of the host by more than a tick
    // waits one, one behind runs one more, and a peer far behind catches up.
    function ticks_due(dt) {
        time_bank += dt;
        if (time_bank > 0.25)
            time_bank = 0.25;
        local due = 0;
        while (time_bank >= 1.0 / NETPLAY_TICKS_PER_SECOND) {
            time_bank -= 1.0 / NETPLAY_TICKS_PER_SECOND;
            due += 1;
        }
        if (mode != "client" || !(hub in remote_tick))
            return due;
        local behind = remote_tick[hub] - tick_now;
        if (behind > options.max_rollback)
            return due + (behind > 30 ? 30 : behind);
        local mine = tick_now - remote_tick[hub];
        local theirs = hub in remote_advantage ? remote_advantage[hub] : mine;
        local lead = (mine - theirs) / 2;
        if (lead >= 1 && due > 0)
            return due - 1;
        if (lead <= -1)
            return due + 1;
        return due;
    }

    function advance() {
        local t = tick_now;
        if (t + options.input_delay >= author_from)
            read_local_inputs(t + options.input_delay);
        simulate_saving(t);
    }

    // Saves the state at the start of the tick into its slot, then runs it.
    function simulate_saving(t) {
        Network.save_state(slot_of(t), 0);
        local inputs = inputs_for(t);
        used[t] <- inputs;
        Network.log(t, "crc " + format("%08x", Network.get_state_crc(slot_of(t))) + " inputs " + inputs_text(inputs));
        Network.tick_pregame();
        game.simulate(t, inputs);
        Network.tick_postgame();
        tick_now = t + 1;
    }

    function inputs_for(t) {
        local inputs = array(options.max_players, 0);
        foreach (p, stream in streams)
            inputs[p] = stream.value(t);
        return inputs;
    }

    function inputs_text(inputs) {
        local text = "";
        foreach (i, v in inputs)
            text += (i == 0 ? "" : " ") + format("%04x", v);
        return text;
    }

    function read_local_inputs(t) {
        foreach (p in local_players)
            record_local(p, t, NETPLAY_PRESENT | (game.local_input(p, t) & 0x7fff));
    }

    function record_local(p, t, input) {
        streams[p].store(t, input);
        note_input(p, t, input);
        queue_input(p, t, input, -1);
    }

    // An input that arrives for a tick already simulated with another guess
    // schedules a rollback to that tick.
    function note_input(p, t, input) {
        if (t >= tick_now || !(t in used))
            return;
        if (used[t][p] != input && (rollback_from == null || t < rollback_from))
            rollback_from = t;
    }

    function repair_mispredictions() {
        if (rollback_from == null)
            return;
        local from = rollback_from;
        rollback_from = null;
        local to = tick_now;
        rollbacks += 1;
        Network.log_discard_frames(from, to - 1);
        local started = clock();
        Network.rollback(slot_of(from));
        for (local t = from; t < to; t += 1)
            simulate_saving(t);
        rollback_costs.append([to - from, clock() - started]);
    }

    function advance_confirmed() {
        local first = confirmed + 1;
        while (confirmed + 1 < tick_now && all_known(confirmed + 1))
            confirmed += 1;
        if (confirmed < first)
            return;
        Network.log_ack_frames(first, confirmed);
        // The state at the start of a tick is final once every input before
        // it is; slots hold it only for the ticks still in the ring.
        for (local t = first; t <= confirmed; t += 1)
            on_final_state(t + 1);
        forget_old(confirmed - slot_count() - 4 * options.crc_interval);
    }

    function all_known(t) {
        foreach (stream in streams)
            if (!stream.is_known(t))
                return false;
        return true;
    }

    function on_final_state(t) {
        local slot = slot_of(t);
        // The state at the start of the next tick is the current one, not
        // saved until that tick runs.
        if (t == tick_now)
            Network.save_state(slot, 0);
        crcs[t] <- Network.get_state_crc(slot);
        if (mode == "host" || mode == "client")
            blobs[t] <- Network.store_state_to_blob(slot);
        record_replay_tick(t - 1);
        if (t % options.crc_interval == 0 && t > 0) {
            if (mode == "client")
                send_crcs(t - options.crc_interval + 1, t);
            else if (mode == "host")
                compare_client_crcs();
        }
        if (t % options.replay_state_interval == 0 && t > 0)
            record_replay_checkpoint(t, slot);
    }

    function forget_old(before) {
        if (before <= 0)
            return;
        foreach (table in [used, crcs, blobs]) {
            local stale = [];
            foreach (t, v in table)
                if (t < before)
                    stale.append(t);
            foreach (t in stale)
                delete table[t];
        }
        foreach (stream in streams)
            stream.forget_before(before);
        foreach (p, table in client_crcs) {
            local stale = [];
            foreach (t, v in table)
                if (t < before)
                    stale.append(t);
            foreach (t in stale)
                delete table[t];
        }
    }

    // ---- messages --------------------------------------------------------

    // Inputs wait per node until the end of the frame and leave as one
    // message each.
    function queue_input(p, t, input, except_node) {
        if (mode == "client") {
            if (hub != -1)
                queue_for(hub, p, t, input);
        } else if (mode == "host") {
            foreach (node, player in players_by_node)
                if (node != except_node && player != -2)
                    queue_for(node, p, t, input);
        }
    }

    function queue_for(node, p, t, input) {
        if (!(node in outgoing))
            outgoing[node] <- [];
        outgoing[node].append([p, t, input]);
    }

    function flush_outgoing() {
        foreach (node, entries in outgoing)
            if (entries.len() > 0)
                send_inputs(node, entries);
        outgoing = {};
    }

    function advantage_for(node) {
        local theirs = node in remote_tick ? remote_tick[node] : tick_now;
        local advantage = tick_now - theirs;
        return advantage < -120 ? -120 : (advantage > 120 ? 120 : advantage);
    }

    function send_inputs(node, entries) {
        local i = 0;
        while (i < entries.len()) {
            if (!Network.create_oneshot_message(node, messages.inputs))
                return;
            Network.write_int32(node, tick_now);
            Network.write_uint8(node, advantage_for(node) + 128);
            local runs = [];
            local bytes = 6;
            while (i < entries.len() && bytes < 900) {
                local e = entries[i];
                local run = runs.len() > 0 ? runs[runs.len() - 1] : null;
                if (run != null && run.player == e[0] && run.first + run.values.len() == e[1] && run.values.len() < 255) {
                    run.values.append(e[2]);
                    bytes += 2;
                } else {
                    if (runs.len() == 255)
                        break;
                    runs.append({ player = e[0], first = e[1], values = [e[2]] });
                    bytes += 8;
                }
                i += 1;
            }
            Network.write_uint8(node, runs.len());
            foreach (run in runs) {
                Network.write_uint8(node, run.player);
                Network.write_int32(node, run.first);
                Network.write_uint8(node, run.values.len());
                foreach (v in run.values)
                    Network.write_uint16(node, v);
            }
            Network.send_message(node);
        }
    }

    // A client listens to its host alone; a host takes inputs, CRCs and
    // dumps from the players it admitted.
    function handle_message(node) {
        local type = Network.get_read_type(node);
        if (mode == "client") {
            if (type == messages.joined && !running && join_info == null)
                read_joined(node);
            else if (node != hub)
                protocol_fault(node, "a message while it is not the host");
            else if (type == messages.inputs)
                read_inputs(node);
            else if (type == messages.player)
                read_player_stream(node, true);
            else if (type == messages.left)
                read_player_stream(node, false);
            else if (type == messages.desync)
                read_desync(node);
        } else if (mode == "host") {
            if (!(node in players_by_node) || players_by_node[node] < 0)
                protocol_fault(node, "a message before it was admitted");
            else if (type == messages.inputs)
                read_inputs(node);
            else if (type == messages.crcs)
                read_crcs(node);
            else if (type == messages.dump)
                read_dump_part(node);
        }
    }

    function read_inputs(node) {
        remote_tick[node] <- Network.read_int32(node);
        remote_advantage[node] <- Network.read_uint8(node) - 128;
        local runs = Network.read_uint8(node);
        for (local r = 0; r < runs; r += 1) {
            local p = Network.read_uint8(node);
            local first = Network.read_int32(node);
            local n = Network.read_uint8(node);
            if (Network.has_read_failed(node) || p >= options.max_players) {
                protocol_fault(node, "a malformed input message");
                return;
            }
            // A client speaks only for its own player.
            if (mode == "host" && (!(node in players_by_node) || players_by_node[node] != p)) {
                protocol_fault(node, "inputs for player " + p);
                return;
            }
            for (local k = 0; k < n; k += 1) {
                local input = Network.read_uint16(node);
                if (Network.has_read_failed(node)) {
                    protocol_fault(node, "a short input message");
                    return;
                }
                accept_input(node, p, first + k, input);
            }
        }
    }

    function accept_input(node, p, t, input) {
        local stream = streams[p];
        if (t != stream.known_until + 1 || t < stream.start || t >= stream.end)
            return;
        stream.store(t, input);
        note_input(p, t, input);
        if (mode == "host")
            queue_input(p, t, input, node);
    }

    function protocol_fault(node, what) {
        ::print("netplay: node " + node + " sent " + what + "; ignored");
    }

    // ---- the host ------------------------------------------------------------

    function handle_connect(node) {
        if (mode == "client") {
            hub = node;
            return NETWORK_RESULT_OK;
        }
        if (mode != "host" || !running)
            return NETWORK_RESULT_DENY;
        local p = free_player();
        if (p < 0)
            return NETWORK_RESULT_FULL;
        players_by_node[node] <- -2;    // reserved until the next update admits it
        pending_joins.append({ node = node, player = p });
        return NETWORK_RESULT_OK;
    }

    function free_player() {
        local taken = array(options.max_players, false);
        taken[me] = true;
        foreach (join in pending_joins)
            taken[join.player] = true;
        foreach (node, p in players_by_node)
            if (p >= 0)
                taken[p] = true;
        // A player who left can come back once the ticks it played are final
        // everywhere, so a joiner never re-simulates them.
        foreach (p, t in taken) {
            local stream = streams[p];
            if (!t && (stream.start == 0x7fffffff || stream.end <= confirmed + 1))
                return p;
        }
        return -1;
    }

    // A joining player receives the final state at the start of the first
    // unconfirmed tick and every input known from there; its own inputs
    // count from a tick no peer can have confirmed yet, and until it
    // writes them itself the host writes it absent.
    function admit_pending_joins() {
        local joins = pending_joins;
        pending_joins = [];
        foreach (join in joins)
            if (join.node in players_by_node)
                admit(join.node, join.player);
    }

    function admit(node, p) {
        local state_tick = confirmed + 1;
        if (state_tick == tick_now)
            Network.save_state(slot_of(state_tick), 0);
        local stream_from = tick_now + options.input_delay;
        if (streams[p].end != 0x7fffffff && stream_from < streams[p].end)
            stream_from = streams[p].end;
        local author = stream_from + options.join_lead;
        foreach (other, player in players_by_node)
            if (other != node && player >= 0)
                send_player_stream(other, messages.player, p, stream_from);
        players_by_node[node] = p;
        streams[p].open(stream_from);
        for (local t = stream_from; t < author; t += 1) {
            streams[p].store(t, 0);
            note_input(p, t, 0);
            queue_input(p, t, 0, node);
        }
        // The joiner learns every stream, then every input from the state's
        // tick on (its own absent ones included), then the state itself.
        send_joined(node, p, state_tick, author);
        send_known_inputs(node, state_tick);
        if (!Network.send_state(node, slot_of(state_tick))) {
            report("Can't send the game to player " + (p + 1));
            return;
        }
        joined_at[p] <- tick_now;
        report("Player " + (p + 1) + " joins at tick " + tick_now);
    }

    function send_joined(node, p, state_tick, author) {
        Network.create_oneshot_message(node, messages.joined);
        Network.write_uint8(node, p);
        Network.write_int32(node, state_tick);
        Network.write_int32(node, author);
        Network.write_uint8(node, options.max_players);
        foreach (stream in streams) {
            Network.write_int32(node, stream.start);
            Network.write_int32(node, stream.end);
        }
        Network.send_message(node);
    }

    function send_known_inputs(node, from_tick) {
        local entries = [];
        foreach (p, stream in streams) {
            local first = from_tick > stream.start ? from_tick : stream.start;
            for (local t = first; t <= stream.known_until && t < stream.end; t += 1)
                entries.append([p, t, stream.values[t]]);
        }
        if (entries.len() > 0)
            send_inputs(node, entries);
    }

    function send_player_stream(node, type, p, tick) {
        Network.create_oneshot_message(node, type);
        Network.write_uint8(node, p);
        Network.write_int32(node, tick);
        Network.send_message(node);
    }

    function handle_disconnect(node, reason) {
        if (mode == "client") {
            if (node == hub) {
                report("The host left");
                stop();
            }
            return;
        }
        if (!(node in players_by_node))
            return;
        local p = players_by_node[node];
        delete players_by_node[node];
        if (node in outgoing)
            delete outgoing[node];
        if (p < 0)
            return;
        // The player's inputs end after the last one the host has; every
        // client gets those before the end.
        local end = streams[p].known_until + 1;
        if (end < streams[p].start)
            end = streams[p].start;
        streams[p].end = end;
        flush_outgoing();
        foreach (other, player in players_by_node)
            if (player >= 0)
                send_player_stream(other, messages.left, p, end);
        report("Player " + (p + 1) + " left");
    }

    function handle_connect_failure(reason) {
        report("Can't connect (reason " + reason + ")");
        stop();
    }

    // ---- the joining client ---------------------------------------------

    function read_joined(node) {
        hub = node;
        local p = Network.read_uint8(node);
        local state_tick = Network.read_int32(node);
        local author = Network.read_int32(node);
        local players = Network.read_uint8(node);
        if (Network.has_read_failed(node) || players != options.max_players || p >= players) {
            protocol_fault(node, "a join message this game can't use");
            return;
        }
        for (local q = 0; q < players; q += 1) {
            local start = Network.read_int32(node);
            local end = Network.read_int32(node);
            // Inputs come from the state's tick on; those before it are in the state.
            streams[q].open(start > state_tick ? start : state_tick);
            streams[q].start = start;
            streams[q].end = end;
        }
        me = p;
        local_players = [p];
        author_from = author;
        join_info = { tick = state_tick };
    }

    function read_player_stream(node, joins) {
        local p = Network.read_uint8(node);
        local t = Network.read_int32(node);
        if (Network.has_read_failed(node) || p >= options.max_players) {
            protocol_fault(node, "a malformed player message");
            return;
        }
        if (joins) {
            streams[p].open(t);
        } else {
            streams[p].end = t;
            report("Player " + (p + 1) + " left");
        }
    }

    function update_joining() {
        flush_outgoing();
        if (join_info == null || !Network.is_state(0))
            return;
        if (!begin_from_state(0, join_info.tick)) {
            stop();
            return;
        }
        join_info = null;
        report("Joined as player " + (me + 1) + " at tick " + tick_now);
    }

    // ---- desync detection ------------------------------------------------

    function send_crcs(first, last) {
        while (first <= last && !(first in crcs))
            first += 1;
        if (hub == -1 || first > last)
            return;
        Network.create_oneshot_message(hub, messages.crcs);
        Network.write_int32(hub, first);
        Network.write_uint8(hub, last - first + 1);
        for (local t = first; t <= last; t += 1)
            Network.write_int32(hub, t in crcs ? crcs[t] : 0);
        Network.send_message(hub);
    }

    function read_crcs(node) {
        if (mode != "host" || !(node in players_by_node))
            return;
        local p = players_by_node[node];
        local first = Network.read_int32(node);
        local n = Network.read_uint8(node);
        if (!(p in client_crcs))
            client_crcs[p] <- {};
        for (local k = 0; k < n; k += 1) {
            local crc = Network.read_int32(node);
            if (Network.has_read_failed(node))
                return;
            if (first + k >= streams[p].start)
                client_crcs[p][first + k] <- crc;
        }
        compare_client_crcs();
    }

    // The host holds every client's CRCs against its own, tick by tick, so
    // a desync is named by the first tick whose state differs.
    function compare_client_crcs() {
        foreach (p, table in client_crcs) {
            if (p in desynced)
                continue;
            local ticks = [];
            foreach (t, crc in table)
                if (t in crcs)
                    ticks.append(t);
            ticks.sort();
            foreach (t in ticks) {
                local theirs = table[t];
                delete table[t];
                if (theirs != crcs[t]) {
                    on_desync(p, t);
                    break;
                }
                if (p in joined_at) {
                    ::print(format("netplay: player %d is in sync: its state of tick %d matches, %.2f s after it joined",
                                   p + 1, t, (tick_now - joined_at[p]) / 60.0));
                    delete joined_at[p];
                }
            }
        }
    }

    function on_desync(p, t) {
        desynced[p] <- true;
        local text = "netplay: desync: the state at the start of tick " + t + " differs between player " + (me + 1) +
                     " and player " + (p + 1);
        ::print(text);
        report("Desync at tick " + t + " with player " + (p + 1));
        write_dump(t, me);
        foreach (node, player in players_by_node)
            if (player == p) {
                Network.create_oneshot_message(node, messages.desync);
                Network.write_int32(node, t);
                Network.send_message(node);
            }
    }

    function write_dump(t, player) {
        if (!(t in blobs))
            return false;
        local slot = spare_slot(0);
        if (!Network.restore_state_from_blob(blobs[t], slot))
            return false;
        return Network.write_state_dump(slot, dump_name(t, player));
    }

    function dump_name(t, player) {
        return "desync_tick_" + t + "_player_" + (player + 1) + ".txt";
    }

    // The client writes its own dump and sends its state of that tick, so
    // the host holds both and can name what differs.
    function read_desync(node) {
        local t = Network.read_int32(node);
        if (Network.has_read_failed(node))
            return;
        ::print("netplay: desync: the host reports that the state at the start of tick " + t + " differs");
        report("Desync at tick " + t);
        write_dump(t, me);
        if (!(t in blobs))
            return;
        local blob = blobs[t];
        local total = blob.len();
        local offset = 0;
        blob.seek(0);
        while (offset < total) {
            local n = total - offset > 900 ? 900 : total - offset;
            Network.create_oneshot_message(node, messages.dump);
            Network.write_int32(node, t);
            Network.write_int32(node, offset);
            Network.write_int32(node, total);
            Network.write_uint16(node, n);
            for (local k = 0; k < n; k += 1)
                Network.write_uint8(node, blob.readn('b'));
            Network.send_message(node);
            offset += n;
        }
    }

    function read_dump_part(node) {
        if (!(node in players_by_node))
            return;
        local p = players_by_node[node];
        local t = Network.read_int32(node);
        local offset = Network.read_int32(node);
        local total = Network.read_int32(node);
        local n = Network.read_uint16(node);
        if (Network.has_read_failed(node) || total <= 0 || total > 16 * 1024 * 1024 || offset < 0 || offset + n > total)
            return protocol_fault(node, "a malformed state dump");
        if (offset == 0)
            dump_parts[p] <- { tick = t, data = blob(total) };
        if (!(p in dump_parts) || dump_parts[p].tick != t)
            return;
        local data = dump_parts[p].data;
        data.seek(offset);
        for (local k = 0; k < n; k += 1)
            data.writen(Network.read_uint8(node), 'b');
        if (offset + n < total)
            return;
        delete dump_parts[p];
        local theirs = spare_slot(1);
        if (!Network.restore_state_from_blob(data, theirs))
            return;
        Network.write_state_dump(theirs, dump_name(t, p));
        local mine = spare_slot(0);
        if (t in blobs && Network.restore_state_from_blob(blobs[t], mine))
            log_differences(mine, theirs, "player " + (me + 1), "player " + (p + 1));
    }

    function log_differences(slot_a, slot_b, name_a, name_b) {
        local lines = Network.compare_states(slot_a, slot_b);
        if (lines == null) {
            ::print("netplay: the states of " + name_a + " and " + name_b + " are the same");
            return;
        }
        ::print("netplay: what differs (" + name_a + " / " + name_b + "):");
        foreach (line in lines)
            ::print("netplay:   " + line);
    }

    // ---- lobbies ---------------------------------------------------------

    function handle_lobby_create_succeeded(id, own) {
        begin_fresh_game(options.seed_for_lobby);
        report("Lobby " + id + " is open");
        return NETWORK_RESULT_OK;
    }

    function handle_lobby_create_failed(reason) {
        report("Can't create a lobby (reason " + reason + ")");
        mode = "off";
    }

    function handle_lobby_join_succeeded(id, own, is_host) {
        report("In lobby " + id + ", waiting for the game");
        return NETWORK_RESULT_OK;
    }

    function handle_lobby_join_failed(reason) {
        report("Can't join the lobby (reason " + reason + ")");
        mode = "off";
    }

    function handle_lobby_node_joined(node, is_host) {
        if (mode == "host")
            return handle_connect(node);
        return NETWORK_RESULT_OK;
    }

    function handle_lobby_node_left(node, reason) {
        handle_disconnect(node, reason);
    }

    function handle_lobby_migration(node) {
        return NETWORK_RESULT_OK;
    }

    function handle_invitation_accepted(id) {
        return NETWORK_RESULT_OK;
    }

    // ---- replays -----------------------------------------------------------

    function start_replay() {
        if (options.replay == null || options.replay == "" || mode == "synctest" || mode == "verify")
            return;
        Network.replay_create(options.replay, NETPLAY_REPLAY_TAG, NETPLAY_REPLAY_VERSION);
        Network.replay_create_element(NETPLAY_ELEMENT_HEADER);
        Network.replay_write_uint8(options.max_players);
        Network.replay_finish_element();
        replay_started = false;
    }

    replay_started = false;
    replay_last_state = -1;

    // The last final state closes the replay, so that verification compares
    // the end of the game too.
    function record_replay_end() {
        local t = confirmed + 1;
        if (!running || !replay_started || t == replay_last_state || t > tick_now)
            return;
        if (t == tick_now)
            Network.save_state(slot_of(t), 0);
        record_replay_checkpoint(t, slot_of(t));
    }

    // The replay starts with the first final state this peer has, then
    // holds the inputs of every final tick and a state every CRC interval.
    function record_replay_tick(t) {
        if (options.replay == null || options.replay == "" || mode == "synctest" || mode == "verify")
            return;
        if (!replay_started) {
            replay_started = true;
            record_replay_checkpoint(t + 1, slot_of(t + 1));
            return;
        }
        Network.replay_create_element(NETPLAY_ELEMENT_INPUTS);
        Network.replay_write_uint32(t);
        foreach (v in used[t])
            Network.replay_write_uint16(v);
        Network.replay_finish_element();
        if (t % 600 == 0)
            Network.replay_save();
    }

    function record_replay_checkpoint(t, slot) {
        if (options.replay == null || options.replay == "" || !replay_started || mode == "synctest" || mode == "verify")
            return;
        replay_last_state = t;
        Network.replay_create_element(NETPLAY_ELEMENT_CHECKPOINT);
        Network.replay_write_uint32(t);
        Network.replay_finish_element();
        Network.replay_add_save_slot(NETPLAY_ELEMENT_STATE, slot);
    }

    function save_replay() {
        if (options.replay != null && options.replay != "" && Network.replay_should_save())
            Network.replay_save();
    }

    // ---- the sync test -----------------------------------------------------

    synctest_depth = 0;
    synctest_first = null;    // tick -> CRC of the state at its start, first run

    // Every tick runs once, then the last `depth` ticks are rolled back and
    // run again; each state of the second run must match the first.
    function start_synctest(depth, seed) {
        mode = "synctest";
        synctest_depth = depth;
        synctest_first = {};
        options.input_delay = 0;
        begin_fresh_game(seed);
        ::print("netplay: sync test, rolling back " + depth + " ticks every tick");
    }

    function update_synctest() {
        local started = ::System.get_system_milliseconds();
        while (running && ::System.get_system_milliseconds() - started < 50)
            if (!synctest_tick())
                return;
    }

    function synctest_tick() {
        local t = tick_now;
        read_local_inputs(t);
        simulate_saving(t);
        Network.save_state(slot_of(t + 1), 0);
        synctest_first[t + 1] <- Network.get_state_crc(slot_of(t + 1));
        local from = t + 1 - synctest_depth;
        if (from < 0)
            return true;
        local started = clock();
        Network.rollback(slot_of(from));
        local scratch = spare_slot(0);
        for (local k = from; k <= t; k += 1) {
            Network.tick_pregame();
            game.simulate(k, used[k]);
            Network.tick_postgame();
            Network.save_state(scratch, 0);
            if (Network.get_state_crc(scratch) != synctest_first[k + 1]) {
                synctest_failed(k, slot_of(k + 1), scratch);
                return false;
            }
        }
        rollback_costs.append([synctest_depth, clock() - started]);
        if (from - 1 in synctest_first)
            delete synctest_first[from - 1];
        if (from - 1 in used)
            delete used[from - 1];
        return true;
    }

    function synctest_failed(k, first_slot, second_slot) {
        ::print("netplay: sync test: tick " + k + " ran differently the second time (rolled back " + synctest_depth +
                " ticks at tick " + (tick_now - 1) + ")");
        Network.write_state_dump(first_slot, "synctest_tick_" + k + "_first.txt");
        Network.write_state_dump(second_slot, "synctest_tick_" + k + "_second.txt");
        ::print("netplay: wrote synctest_tick_" + k + "_first.txt and synctest_tick_" + k + "_second.txt");
        log_differences(first_slot, second_slot, "first run", "second run");
        running = false;
        ::System.request_quit(NETPLAY_EXIT_MISMATCH);
    }

    // ---- replay verification -------------------------------------------------

    verify_element = 0;
    verify_count = 0;
    verify_states = 0;

    function start_verify(file) {
        mode = "verify";
        if (!Network.replay_load(file)) {
            ::print("netplay: can't verify " + file + ": it does not load as a replay");
            ::System.request_quit(NETPLAY_EXIT_MISMATCH);
            return;
        }
        if (Network.replay_tag() != NETPLAY_REPLAY_TAG || Network.replay_version() != NETPLAY_REPLAY_VERSION) {
            ::print("netplay: can't verify " + file + ": it is not a netplay replay");
            ::System.request_quit(NETPLAY_EXIT_MISMATCH);
            return;
        }
        verify_element = 0;
        verify_count = Network.replay_element_count();
        ::print("netplay: verifying " + file + " (" + verify_count + " elements)");
    }

    function update_verify() {
        local started = ::System.get_system_milliseconds();
        while (verify_element < verify_count && ::System.get_system_milliseconds() - started < 50)
            if (!verify_step())
                return;
        if (verify_element >= verify_count && verify_count > 0) {
            verify_count = 0;
            ::print("netplay: replay verified: " + (running ? tick_now - verify_first_tick : 0) + " ticks, " +
                    verify_states + " states compared");
            ::System.request_quit(0);
        }
    }

    verify_first_tick = 0;

    function verify_fault(text) {
        ::print("netplay: replay verification failed: " + text);
        ::System.request_quit(NETPLAY_EXIT_MISMATCH);
        verify_count = 0;
        return false;
    }

    function verify_step() {
        local index = verify_element;
        verify_element += 1;
        if (!Network.replay_open_element(index))
            return verify_fault("element " + index + " can't be read");
        local tag = Network.replay_read_element_tag();
        if (tag == NETPLAY_ELEMENT_HEADER) {
            local players = Network.replay_read_uint8();
            Network.replay_close_element();
            if (players != options.max_players)
                return verify_fault("the replay is for " + players + " players, this game has " + options.max_players);
            return true;
        }
        if (tag == NETPLAY_ELEMENT_CHECKPOINT) {
            local t = Network.replay_read_uint32();
            Network.replay_close_element();
            return verify_checkpoint(t);
        }
        if (tag == NETPLAY_ELEMENT_INPUTS) {
            local t = Network.replay_read_uint32();
            local inputs = array(options.max_players, 0);
            for (local p = 0; p < options.max_players; p += 1)
                inputs[p] = Network.replay_read_uint16();
            Network.replay_close_element();
            if (!running)
                return verify_fault("inputs of tick " + t + " come before any state");
            if (t != tick_now)
                return verify_fault("the inputs of tick " + t + " follow tick " + (tick_now - 1));
            Network.tick_pregame();
            game.simulate(t, inputs);
            Network.tick_postgame();
            tick_now = t + 1;
            return true;
        }
        Network.replay_close_element();
        return verify_fault("element " + index + " has the unknown tag " + tag);
    }

    function verify_checkpoint(t) {
        local recorded = spare_slot(1);
        if (verify_element >= verify_count || !Network.replay_open_element(verify_element))
            return verify_fault("the state of tick " + t + " is missing");
        verify_element += 1;
        local copied = Network.replay_read_element_tag() == NETPLAY_ELEMENT_STATE && Network.replay_copy_to_save_slot(recorded);
        Network.replay_close_element();
        if (!copied)
            return verify_fault("the state of tick " + t + " can't be read");
        if (!running) {
            if (!begin_from_state(recorded, t))
                return verify_fault("the state of tick " + t + " does not fit this game");
            verify_first_tick = t;
            verify_states += 1;
            return true;
        }
        if (t != tick_now)
            return verify_fault("the state of tick " + t + " comes at tick " + tick_now);
        local replayed = spare_slot(0);
        Network.save_state(replayed, 0);
        verify_states += 1;
        if (Network.get_state_crc(replayed) == Network.get_state_crc(recorded))
            return true;
        ::print("netplay: replay verification failed: the state at the start of tick " + t + " differs from the recorded one");
        Network.write_state_dump(recorded, "verify_tick_" + t + "_recorded.txt");
        Network.write_state_dump(replayed, "verify_tick_" + t + "_replayed.txt");
        log_differences(recorded, replayed, "recorded", "replayed");
        ::System.request_quit(NETPLAY_EXIT_MISMATCH);
        verify_count = 0;
        return false;
    }

    // ---- figures -----------------------------------------------------------

    // What rollbacks cost in CPU time, and the traffic, for benchmarks.
    function report_costs() {
        if (rollback_costs.len() > 0) {
            local ticks = 0;
            local per_depth = {};
            foreach (cost in rollback_costs) {
                ticks += cost[0];
                if (!(cost[0] in per_depth))
                    per_depth[cost[0]] <- [];
                per_depth[cost[0]].append(cost[1]);
            }
            ::print("netplay: " + rollback_costs.len() + " rollbacks, " + ticks + " ticks simulated again");
            local depths = [];
            foreach (depth, costs in per_depth)
                depths.append(depth);
            depths.sort();
            local medians = "";
            foreach (depth in depths) {
                local costs = per_depth[depth];
                costs.sort();
                medians += format("%s%d: %.2f", medians == "" ? "" : ", ", depth, costs[costs.len() / 2] * 1000.0);
                if (depth == 8 || depth == depths.top())
                    ::print(format("netplay: rollback of %d ticks with re-simulation: %d times, median %.3f ms, " +
                                   "95th percentile %.3f ms", depth, costs.len(), costs[costs.len() / 2] * 1000.0,
                                   costs[costs.len() * 95 / 100] * 1000.0));
            }
            ::print("netplay: median CPU ms of a rollback by ticks re-simulated: " + medians);
        }
        if (transport != null) {
            local seconds = (::System.get_system_milliseconds() - started_ms) / 1000.0;
            local sent = Network.get_bytes_sent();
            local received = Network.get_bytes_received();
            ::print(format("netplay: traffic: %d bytes sent, %d received in %.1f s: %.0f bytes/s sent, %.0f bytes/s received",
                           sent, received, seconds, sent / seconds, received / seconds));
        }
    }

    // ---- events ------------------------------------------------------------

    function report(text) {
        ::print("netplay: " + text);
        if ("on_netplay_event" in game)
            game.on_netplay_event(text);
    }
}
