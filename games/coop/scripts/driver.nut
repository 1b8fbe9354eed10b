// Runs the game alone on this machine, a tick at a time at 60 a second, with
// the local player's controls in slot 0.
class LocalDriver {
    game = null;
    running = false;
    next_tick = 0;
    seconds = 0.0;

    constructor(adapter) {
        game = adapter;
    }

    function start_solo(seed) {
        Network.creating_map();
        game.create_world(seed);
        game.build_static();
        Network.map_created();
        game.create_dynamic();
        running = true;
        next_tick = 0;
        seconds = 0.0;
    }

    function host(port, seed) { refuse("host"); }
    function join(host, port) { refuse("join"); }
    function host_lobby(seed) { refuse("lobby"); }
    function join_lobby(id) { refuse("lobby"); }

    function refuse(mode) {
        ::System.error("Network play (" + mode + ") needs the netplay library; starting a solo game");
        start_solo(DEFAULT_SEED);
    }

    // A slow frame catches up by two ticks at most.
    function update(dt) {
        if (!running)
            return;
        seconds += dt;
        if (seconds > 2.0 / TICKS_PER_SECOND)
            seconds = 2.0 / TICKS_PER_SECOND;
        while (seconds >= 1.0 / TICKS_PER_SECOND) {
            seconds -= 1.0 / TICKS_PER_SECOND;
            local inputs = [INPUT_PRESENT | game.local_input(0, next_tick), 0, 0, 0];
            Network.tick_pregame();
            game.simulate(next_tick, inputs);
            Network.tick_postgame();
            next_tick += 1;
        }
    }

    function stop() {
        if (!running)
            return;
        Network.destroying_map();
        game.destroy_map();
        Network.map_destroyed();
        running = false;
    }

    function is_running() { return running; }
    function local_player() { return running ? 0 : -1; }
    function tick() { return next_tick; }
    function player_mask() { return running ? 1 : 0; }
    function status_text() { return "solo"; }
}
