// A small deterministic game for the netplay cases: runners driven by the
// players' inputs collect coins that a generator in the world state drops.
// Settings (boot.config): net::mode solo|host|join, net::port, net::autopilot
// (seed of the input sequence), net::quit_after_ticks, net::latency_ms,
// net::replay, net::clock_at_tick (a tick whose simulation reads the clock:
// a deliberate desync).
::System.run_script("lib:netplay.nut");

const ONE = 65536;

// The world seed holds only what the static objects are built from: a
// joining peer reads it before any other object exists.
class NetSeed extends StateObject </ world_seed = true /> {
    </ type = "sint32" /> seed = 0;
}

// A rollback destroys every dynamic object: the match lets go of its runners
// first, and gets them back from the saved state.
class Match extends StateObject </ static_class = true, fn_destroy_dynamic_objects = "drop_runners" /> {
    </ type = "ref" /> room = null;
    </ type = "sint32" /> rng = 0;
    </ type = "sint32" /> score = 0;
    </ type = "ref" /> runner0 = null;
    </ type = "ref" /> runner1 = null;
    </ type = "ref" /> runner2 = null;
    </ type = "ref" /> runner3 = null;

    function drop_runners() {
        runner0 = runner1 = runner2 = runner3 = null;
    }

    function next_random(below) {
        rng = (rng * 1103515245 + 12345) & 0x7fffffff;
        return (rng >> 8) % below;
    }
}

class Arena extends RoomBase </ static_class = true /> {}

class Runner extends EntityBase {
    </ type = "sint32" /> player = 0;
}

class Coin extends EntityBase {
    </ type = "sint32" /> value = 1;
}

Network.register_state_class("NetSeed");
Network.register_state_class("Match");
Network.register_state_class("Arena");
Network.register_state_class("Runner");
Network.register_state_class("Coin");

function runner_of(world, p) {
    return world["runner" + p];
}

class NetGame {
    seed = null;
    world = null;
    netplay = null;
    autopilot = 0;
    quit_after = 0;
    clock_at = -1;

    function preinit() {
        foreach (name, value in { mode = "solo", port = 27960, autopilot = 1, quit_after_ticks = 600,
                                  latency_ms = 0, replay = "", clock_at_tick = -1, host = "127.0.0.1",
                                  local_players = 1 })
            ::System.register_cvar("net::" + name, value);
    }

    function init() {
        autopilot = ::System.get_cvar_integer("net::autopilot");
        quit_after = ::System.get_cvar_integer("net::quit_after_ticks");
        clock_at = ::System.get_cvar_integer("net::clock_at_tick");
        local latency = ::System.get_cvar_integer("net::latency_ms");
        if (latency > 0)
            Network.set_latency_simulation(latency, latency);
        netplay = Netplay(this, { replay = ::System.get_cvar("net::replay"),
                                  local_players = ::System.get_cvar_integer("net::local_players") });
        local mode = ::System.get_cvar("net::mode");
        local port = ::System.get_cvar_integer("net::port");
        if (mode == "host")
            netplay.host(port, 1234);
        else if (mode == "join")
            netplay.join(::System.get_cvar("net::host"), port);
        else
            netplay.start_solo(1234);
    }

    // ---- the adapter -------------------------------------------------------
    function create_world(seed_value) {
        seed = NetSeed();
        seed.seed = seed_value;
    }

    function build_static() {
        world = Match();
        world.rng = seed.seed;
        local room = Arena();
        world.room = room;
        local wall = fixed_from_int(-999);
        room.add_static_box_collision([fixed_from_int(-20), fixed_from_int(-20)], [fixed_from_int(420), 0], wall);
        room.add_static_box_collision([fixed_from_int(-20), fixed_from_int(300)], [fixed_from_int(420), fixed_from_int(320)], wall);
        room.add_static_box_collision([fixed_from_int(-20), 0], [0, fixed_from_int(300)], wall);
        room.add_static_box_collision([fixed_from_int(400), 0], [fixed_from_int(420), fixed_from_int(300)], wall);
        room.add_static_box_collision([0, 0], [fixed_from_int(400), fixed_from_int(300)], 0);
    }

    function create_dynamic() {}

    function simulate(tick, inputs) {
        foreach (p, input in inputs)
            steer(p, input);
        if (tick % 20 == 0)
            drop_coin();
        collect_coins();
        if (tick == clock_at)
            world.score += ::System.get_system_profile_time();
        world.room.tick(false, tick);
    }

    function steer(p, input) {
        local runner = runner_of(world, p);
        if ((input & NETPLAY_PRESENT) == 0) {
            if (runner != null) {
                world.room.remove_entity(runner);
                world["runner" + p] = null;
            }
            return;
        }
        if (runner == null) {
            runner = Runner();
            runner.player = p;
            runner.set_position([fixed_from_int(60 + p * 90), fixed_from_int(150)]);
            runner.set_z(0);
            runner.set_box_collision([fixed_from_int(-6), fixed_from_int(-4)], [fixed_from_int(6), fixed_from_int(4)], fixed_from_int(20));
            runner.set_collision_group_and_mask(2, 3);
            runner.set_movable(true);
            world.room.add_entity(runner);
            world["runner" + p] = runner;
        }
        local push = fixed_from_int(90);
        runner.add_impulse((input & 8 ? push : 0) - (input & 4 ? push : 0), (input & 2 ? push : 0) - (input & 1 ? push : 0));
        if ((input & 16) && runner.is_on_ground())
            runner.set_velocity_z(fixed_from_int(300));
    }

    function drop_coin() {
        local coin = Coin();
        coin.value = 1 + world.next_random(5);
        coin.set_position([fixed_from_int(10 + world.next_random(380)), fixed_from_int(10 + world.next_random(280))]);
        coin.set_z(0);
        world.room.add_entity(coin);
    }

    function collect_coins() {
        local coins = [];
        local runners = [];
        foreach (entity in world.room.get_entities())
            (entity instanceof Coin ? coins : runners).append(entity);
        foreach (coin in coins)
            foreach (runner in runners)
                if (abs(coin.get_x() - runner.get_x()) < 16 * ONE && abs(coin.get_y() - runner.get_y()) < 16 * ONE) {
                    world.score += coin.value;
                    world.room.remove_entity(coin);
                    break;
                }
    }

    // A seeded sequence: each player holds a direction for a while, jumps now and then.
    function local_input(player, tick) {
        if (autopilot == 0)
            return 0;
        local phase = (tick / 25 + player * 7 + autopilot * 13) % 11;
        local bits = [1, 8, 2, 4, 9, 10, 6, 5, 0, 8, 4][phase];
        if ((tick + player * 5) % 47 == 0)
            bits = bits | 16;
        return bits;
    }

    function destroy_map() {
        world = null;
        seed = null;
    }

    function on_netplay_event(text) {}

    // ---- engine callbacks ----------------------------------------------------
    function update(dt) {
        netplay.update(dt);
        if (netplay.is_running() && netplay.tick() % 60 == 0 && netplay.tick() != last_report) {
            last_report = netplay.tick();
            print("net: tick " + last_report + " score " + world.score + " players " + netplay.player_mask());
        }
        if (quit_after > 0 && netplay.is_running() && netplay.tick() >= quit_after) {
            print("net: done at tick " + netplay.tick() + " score " + world.score + " " + netplay.status_text());
            ::System.request_quit();
        }
    }
    last_report = -1;

    function render() {}
    function shutdown() { netplay.stop(); }

    function handle_connect(node) { return netplay.handle_connect(node); }
    function handle_connect_failure(reason) { netplay.handle_connect_failure(reason); }
    function handle_disconnect(node, reason) { netplay.handle_disconnect(node, reason); }
    function handle_message(node) { netplay.handle_message(node); }
}

return NetGame();
