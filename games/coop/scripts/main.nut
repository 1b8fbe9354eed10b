// Quillmoor Co-op: one to four players in one room collect gems and chase
// off the creatures that wander in, for one shared score. The root object
// below shows the title, starts the chosen way to play and forwards the
// engine's network callbacks to the netplay library. Esc leaves a game for the
// title and quits from the title.
::System.run_script("scripts/defs.nut");
::System.run_script("scripts/world.nut");
::System.run_script("scripts/entities.nut");
::System.run_script("scripts/effects.nut");
::System.run_script("scripts/controls.nut");
::System.run_script("scripts/autopilot.nut");
::System.run_script("scripts/game.nut");
::System.run_script("scripts/hud.nut");
::System.run_script("scripts/title.nut");
::System.run_script("lib:netplay.nut");

class Coop {
    view = null;
    hud = null;
    controls = null;
    game = null;
    netplay = null;
    title = null;
    invited_lobby = null;
    quit_after_ticks = 0;
    last_tick = -1;
    stalled_seconds = 0.0;
    frames = 0;

    function preinit() {
        ::System.register_cvar(CVAR_MODE, "");
        ::System.register_cvar(CVAR_HOST, DEFAULT_HOST);
        ::System.register_cvar(CVAR_PORT, DEFAULT_PORT);
        ::System.register_cvar(CVAR_AUTOPILOT, 0);
        ::System.register_cvar(CVAR_QUIT_AFTER_TICKS, 0);
        ::System.register_cvar(CVAR_LATENCY_MS, 0);
        ::System.register_cvar(CVAR_SEED, DEFAULT_SEED);
        ::System.register_cvar(CVAR_REPLAY, "");
        ::System.register_cvar(CVAR_LOG_CRC, 0);
        ::System.register_cvar(CVAR_LOCAL_PLAYERS, 1);
    }

    function init() {
        ::System.set_clear_screen(true);
        ::System.set_clear_color(0.02, 0.02, 0.05, 1.0);
        initialize_gorath_globals();
        view = View2d();
        view.set_canvas_size([ROOM_WIDTH, ROOM_DEPTH]);
        hud = Hud();
        fit_views();
        ::coop_effects.hud = hud;
        controls = Controls();
        game = CoopGame(controls, ::System.get_cvar_integer(CVAR_AUTOPILOT), ::System.get_cvar_integer(CVAR_LOG_CRC) != 0);
        game.hud = hud;
        quit_after_ticks = ::System.get_cvar_integer(CVAR_QUIT_AFTER_TICKS);
        local latency = ::System.get_cvar_integer(CVAR_LATENCY_MS);
        if (latency > 0)
            Network.set_latency_simulation(latency, latency);
        local replay = ::System.get_cvar(CVAR_REPLAY);
        netplay = Netplay(game, { max_players = MAX_PLAYERS, crc_interval = 30,
                                  replay = replay == "" ? null : replay,
                                  local_players = local_player_count() });
        ::netplay <- netplay;
        local mode = ::System.get_cvar(CVAR_MODE);
        if (mode == "")
            show_title();
        else
            start(mode);
        print(GAME_NAME + ": init");
    }

    // How many heroes this machine plays in a solo game: 1 to 4.
    function local_player_count() {
        local count = ::System.get_cvar_integer(CVAR_LOCAL_PLAYERS);
        if (count >= 1 && count <= MAX_PLAYERS)
            return count;
        ::System.error(CVAR_LOCAL_PLAYERS + " is " + ::System.get_cvar(CVAR_LOCAL_PLAYERS) + ", expected 1 to " + MAX_PLAYERS +
                       "; playing with 1");
        return 1;
    }

    function fit_views() {
        view.set_viewport_size([ROOM_WIDTH, ROOM_DEPTH]);
        view.fit_viewport_to_screen();
        hud.fit_view();
    }

    function screen_resolution_changed() {
        fit_views();
    }

    function show_title() {
        accept_invitations();
        local address = ::System.get_cvar(CVAR_HOST) + ":" + ::System.get_cvar_integer(CVAR_PORT);
        title = TitleScreen([
            ["Solo", function() { start("solo"); }.bindenv(this)],
            ["Host", function() { start("host"); }.bindenv(this)],
            ["Join " + address, function() { start("join"); }.bindenv(this)],
            ["Lobby", function() { start("lobby"); }.bindenv(this)],
            ["Quit", function() { ::System.request_quit(); }]
        ], "Arrows/WASD walk, Space jumps, E shouts");
    }

    function start(mode) {
        print(GAME_NAME + ": starting " + mode);
        controls.release_all();
        local started = begin(mode, ::System.get_cvar_integer(CVAR_SEED), ::System.get_cvar_integer(CVAR_PORT));
        if (started == null) {
            ::System.error("Unknown " + CVAR_MODE + " '" + mode + "': expected solo, host, join or lobby");
            started = false;
        }
        // A start that failed has said why on the HUD; the title stays.
        if (!started && title == null)
            show_title();
        else if (started)
            title = null;
    }

    // true when under way, false when it failed, null for an unknown mode.
    function begin(mode, seed, port) {
        if (mode == "solo") {
            netplay.start_solo(seed);
            return true;
        }
        if (mode == "host")
            return netplay.host(port, seed);
        if (mode == "join")
            return netplay.join(::System.get_cvar(CVAR_HOST), port);
        if (mode == "lobby")
            return netplay.host_lobby(seed);
        return null;
    }

    function update(dt) {
        frames += 1;
        ::coop_effects.new_frame();
        if (invited_lobby != null)
            join_invited_lobby();
        // A game can start without the title's say: an accepted invitation.
        if (title != null && netplay.is_running())
            title = null;
        if (title != null) {
            title.update(dt);
        } else {
            netplay.update(dt);
            quit_when_due(dt);
        }
        hud.update(dt, ::coop_world, title != null ? "" : status_line());
    }

    function status_line() {
        local player = netplay.local_player();
        local you = player >= 0 && player < MAX_PLAYERS ? "you: " + HERO_COLOUR_NAMES[player] + "   " : "";
        return you + netplay.status_text();
    }

    function quit_when_due(dt) {
        if (quit_after_ticks <= 0)
            return;
        if (netplay.tick() >= quit_after_ticks)
            quit_with_summary();
        else
            quit_when_stalled(dt);
    }

    function quit_with_summary() {
        local world = ::coop_world;
        print(format("%s: reached tick %d, score %d, gems %d, chased %d, hits %d", GAME_NAME, netplay.tick(),
                     world.score, world.gems_collected, world.creatures_chased, world.hits_taken));
        quit_after_ticks = 0;
        // A look at the last frame for whoever reads the log afterwards.
        ::System.save_screenshot("screenshot.png");
        ::System.request_quit();
    }

    // An unattended run whose game stops advancing (the host left, a join
    // never completed) ends with an error instead of waiting for ever.
    function quit_when_stalled(dt) {
        if (netplay.tick() != last_tick) {
            last_tick = netplay.tick();
            stalled_seconds = 0.0;
            return;
        }
        stalled_seconds += dt;
        if (stalled_seconds < STALL_QUIT_SECONDS)
            return;
        ::System.error(format("%s: the game stayed at tick %d for %d seconds; quitting before tick %d", GAME_NAME,
                              last_tick, STALL_QUIT_SECONDS, quit_after_ticks));
        quit_after_ticks = 0;
        ::System.request_quit(1);
    }

    function render() {
        if (::coop_world != null)
            ::coop_world.room.render(view);
        hud.render();
        if (title != null)
            title.render();
    }

    function key_down(key) {
        if (key == KEY_ESC)
            leave_or_quit();
        else if (title != null)
            title.key_down(key);
        else if (key == KEY_F12)
            ::System.save_screenshot("screenshot.png");
        else
            controls.press(key);
    }

    function key_up(key) {
        if (title != null)
            title.key_up(key);
        else
            controls.release(key);
    }

    function leave_or_quit() {
        if (title != null) {
            ::System.request_quit();
            return;
        }
        netplay.stop();
        show_title();
    }

    // The engine's network callbacks belong to the netplay library.
    function handle_connect(node) { return netplay.handle_connect(node); }
    function handle_connect_failure(reason) { return netplay.handle_connect_failure(reason); }
    function handle_disconnect(node, reason) { return netplay.handle_disconnect(node, reason); }
    function handle_message(node) { return netplay.handle_message(node); }
    function handle_lobby_create_succeeded(id, own) { return netplay.handle_lobby_create_succeeded(id, own); }
    function handle_lobby_create_failed(reason) { return netplay.handle_lobby_create_failed(reason); }
    function handle_lobby_join_succeeded(id, own, is_host) {
        return netplay.handle_lobby_join_succeeded(id, own, is_host);
    }
    function handle_lobby_join_failed(reason) { return netplay.handle_lobby_join_failed(reason); }
    function handle_lobby_node_joined(node, is_host) { return netplay.handle_lobby_node_joined(node, is_host); }
    function handle_lobby_node_left(node, reason) { return netplay.handle_lobby_node_left(node, reason); }
    function handle_lobby_migration(node) { return netplay.handle_lobby_migration(node); }

    // An invitation (or "+connect_lobby ID" on the command line, held back by
    // the engine until a mode is set) reaches the root only through the
    // default handler, so the title installs one and accepts invitations.
    function accept_invitations() {
        Network.init_default_handler();
        Network.set_invitations_mode(0);
    }

    // Joined at the next update: joining installs a new default handler,
    // which must not happen while the current one is calling.
    function handle_invitation_accepted(id) {
        invited_lobby = "" + id;
        return NETWORK_RESULT_OK;
    }

    // Leaves whatever runs and joins the lobby's game.
    function join_invited_lobby() {
        local id = invited_lobby;
        invited_lobby = null;
        print(GAME_NAME + ": joining lobby " + id);
        netplay.stop();
        controls.release_all();
        if (netplay.join_lobby(id))
            title = null;
        else if (title == null)
            show_title();
    }

    function shutdown() {
        netplay.stop();
        shutdown_gorath_globals();
        print(GAME_NAME + ": shutdown after " + frames + " frames");
    }
}

::coop <- Coop();
return ::coop;
