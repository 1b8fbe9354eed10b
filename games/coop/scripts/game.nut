// What the netplay library drives: it builds the map through these calls,
// runs one tick of the game with every player's input, and asks for this
// peer's own controls. Everything simulate changes is state (world.nut,
// entities.nut); presentation only reads it.

::coop_world <- null;

class CoopGame {
    controls = null;
    autopilot = null;
    log_crc = false;
    hud = null;
    world_seed = null;

    constructor(controls_in, autopilot_seed, log_crc_in) {
        controls = controls_in;
        autopilot = autopilot_seed != 0 ? Autopilot(autopilot_seed) : null;
        log_crc = log_crc_in;
    }

    function create_world(seed) {
        world_seed = WorldSeed();
        world_seed.seed = seed & 0x7FFFFFFF;
    }

    // A joining peer comes here with the seed it received; the rollback that
    // follows restores the rest.
    function build_static() {
        ::coop_world <- CoopWorld();
        ::coop_world.build_room(world_seed.seed == 0 ? 1 : world_seed.seed);
    }

    function create_dynamic() {
        for (local i = 0; i < GEM_COUNT; i += 1)
            ::coop_world.spawn_gem();
        ::coop_world.next_creature_tick = 120;
    }

    function simulate(tick, inputs) {
        if (inputs.len() != MAX_PLAYERS) {
            ::System.error("simulate was given " + inputs.len() + " inputs, expected " + MAX_PLAYERS + "; the tick is skipped");
            return;
        }
        if (log_crc)
            log_state_crc(tick);
        ::coop_effects.enter_tick(tick);
        ::coop_world.step(tick, inputs);
    }

    // The checksum of the state this tick starts from: two runs that log the
    // same lines went through the same states.
    function log_state_crc(tick) {
        Network.save_state(CRC_LOG_SLOT, 0);
        print("crc:" + tick + " " + Network.get_state_crc(CRC_LOG_SLOT));
    }

    // The keyboard plays the first local hero; further ones on this machine
    // move only with the autopilot.
    function local_input(player, tick) {
        if (autopilot != null)
            return autopilot.input(player, tick);
        return player == 0 ? controls.bits() : 0;
    }

    function destroy_map() {
        local world = ::coop_world;
        if (world != null && world.room != null)
            foreach (entity in world.room.get_entities())
                entity.remove_from_room();
        ::coop_world <- null;
        world_seed = null;
        ::coop_effects.reset();
    }

    // The library has logged it already.
    function on_netplay_event(text) {
        if (hud != null)
            hud.event(text);
    }
}
