// The game's state: every class here is a state object, so that a rollback
// or a joining peer restores all of it. Nothing in the simulation reads a
// clock, a float or a table that is not saved; random numbers come from the
// world's own generator, stepped here in integer arithmetic.

// The next value of a 31-bit linear congruential generator; the state stays
// within 0 .. 2^31 - 1, so it always fits the signed 32-bit member it lives in.
function lcg_next(state) {
    return (state * 1103515245 + 12345) & 0x7FFFFFFF;
}

function absolute(value) {
    return value < 0 ? -value : value;
}

// Whether two ground points lie within a box of the given half sizes
// (world units) of each other.
function within(a, b, reach_x, reach_y) {
    return absolute(a.get_x() - b.get_x()) < reach_x * U && absolute(a.get_y() - b.get_y()) < reach_y * U;
}

// Where crates may stand; the seed picks CRATE_COUNT of them.
const CRATE_COUNT = 4;
const CRATE_HALF_WIDTH = 16;
const CRATE_HALF_DEPTH = 8;
const CRATE_HEIGHT = 32;
CRATE_CANDIDATES <- [[120, 110], [360, 110], [240, 200], [100, 220], [380, 220], [240, 90], [160, 165], [320, 165]];
// Where each player's hero appears.
HERO_SPAWNS <- [[200, 140], [280, 140], [200, 245], [280, 245]];
// Tints that tell the players apart.
HERO_COLOURS <- [[255, 120, 110], [110, 170, 255], [130, 235, 120], [250, 215, 90]];
HERO_COLOUR_NAMES <- ["red", "blue", "green", "yellow"];

// The world seed object: the one number every static object is built from.
// A joining peer reads it before anything else exists, so it holds no
// reference to any other object.
class WorldSeed extends StateObject </ world_seed = true /> {
    </ type = "sint32" /> seed = 0;
}

// The game's own state, a static object built with the room: the random
// generator, the shared score and the heroes of the four player slots.
class CoopWorld extends StateObject </ static_class = true, fn_destroy_dynamic_objects = "drop_dynamic_objects" /> {
    </ type = "sint32" /> random_state = 1;
    </ type = "ref" /> room = null;
    </ type = "ref[]" /> heroes = null;
    </ type = "sint32" /> tick = 0;
    </ type = "sint32" /> score = 0;
    </ type = "sint32" /> gems_collected = 0;
    </ type = "sint32" /> creatures_chased = 0;
    </ type = "sint32" /> hits_taken = 0;
    </ type = "sint32" /> next_creature_tick = 0;
    // Derived from the seed when the room is built and never changed after:
    // not state, the same on every peer that built the room from that seed.
    crate_spots = null;

    constructor() {
        base.constructor();
        heroes = array(MAX_PLAYERS, null);
    }

    // A number in 0 .. limit - 1 from the world's generator.
    function random_below(limit) {
        random_state = lcg_next(random_state);
        return ((random_state >> 16) * limit) >> 15;
    }

    // The crates' places, picked by the seed with a generator of their own so
    // that building the room never touches the game's generator.
    function pick_crate_spots(seed) {
        local candidates = clone CRATE_CANDIDATES;
        local state = seed;
        crate_spots = [];
        for (local i = 0; i < CRATE_COUNT; i += 1) {
            state = lcg_next(state);
            local pick = ((state >> 16) * candidates.len()) >> 15;
            crate_spots.append(candidates[pick]);
            candidates.remove(pick);
        }
    }

    // seed: 1 .. 2^31 - 1.
    function build_room(seed) {
        random_state = seed;
        pick_crate_spots(seed);
        room = Arena();
        room.build(crate_spots);
    }

    // The rollback removes the room's dynamic entities itself; these slots
    // would keep the heroes alive.
    function drop_dynamic_objects() {
        heroes = array(MAX_PLAYERS, null);
    }

    function player_count() {
        local count = 0;
        foreach (hero in heroes)
            if (hero != null)
                count += 1;
        return count;
    }

    // One game tick. inputs: one integer per player slot, 0 when the player
    // is not there.
    function step(tick_number, inputs) {
        tick = tick_number;
        apply_inputs(inputs);
        spawn_creature_when_due();
        for (local gems = count_of(Gem); gems < GEM_COUNT; gems += 1)
            spawn_gem();
        room.tick(false, tick_number);
        resolve_contacts();
    }

    function apply_inputs(inputs) {
        for (local player = 0; player < MAX_PLAYERS; player += 1) {
            local input = inputs[player];
            local present = (input & INPUT_PRESENT) != 0;
            if (present && heroes[player] == null)
                spawn_hero(player);
            else if (!present && heroes[player] != null)
                remove_hero(player);
            if (present)
                heroes[player].buttons = input & 0x7FFF;
        }
    }

    function spawn_hero(player) {
        local hero = Hero();
        hero.setup(player, HERO_SPAWNS[player][0] * U, HERO_SPAWNS[player][1] * U);
        room.add_entity(hero);
        heroes[player] = hero;
        ::coop_effects.notice("player " + (player + 1) + " is in");
    }

    function remove_hero(player) {
        heroes[player].remove_from_room();
        heroes[player] = null;
        ::coop_effects.notice("player " + (player + 1) + " left");
    }

    function count_of(kind) {
        local count = 0;
        foreach (entity in room.get_entities())
            if (entity instanceof kind)
                count += 1;
        return count;
    }

    // A point of the floor away from the walls and not on a crate.
    function random_floor_point(margin) {
        local x = 0;
        local y = 0;
        for (local attempt = 0; attempt < 8; attempt += 1) {
            x = margin + random_below(ROOM_WIDTH - 2 * margin);
            y = BACK_WALL + margin + random_below(ROOM_DEPTH - BACK_WALL - 2 * margin);
            if (!on_a_crate(x, y, margin))
                break;
        }
        return [x * U, y * U];
    }

    function on_a_crate(x, y, margin) {
        foreach (spot in crate_spots)
            if (absolute(x - spot[0]) < CRATE_HALF_WIDTH + margin && absolute(y - spot[1]) < CRATE_HALF_DEPTH + margin)
                return true;
        return false;
    }

    function spawn_gem() {
        local gem = Gem();
        gem.setup(random_floor_point(16));
        room.add_entity(gem);
    }

    // Creatures come in from the left or right edge, more of them the more
    // players there are, one every two to five seconds.
    function spawn_creature_when_due() {
        if (tick < next_creature_tick)
            return;
        next_creature_tick = tick + 120 + random_below(180);
        local limit = CREATURE_BASE_LIMIT + 2 * player_count();
        if (count_of(Creature) >= (limit < CREATURE_LIMIT ? limit : CREATURE_LIMIT))
            return;
        local from_left = random_below(2) == 0;
        local x = from_left ? 12 : ROOM_WIDTH - 12;
        local y = BACK_WALL + 16 + random_below(ROOM_DEPTH - BACK_WALL - 32);
        local creature = Creature();
        creature.setup(x * U, y * U, from_left ? 1 : -1);
        room.add_entity(creature);
    }

    // The hero nearest to an entity (by the larger of the two distances), or null.
    function nearest_hero(entity) {
        local best = null;
        local best_distance = 0;
        foreach (hero in heroes) {
            if (hero == null)
                continue;
            local dx = absolute(hero.get_x() - entity.get_x());
            local dy = absolute(hero.get_y() - entity.get_y());
            local distance = dx > dy ? dx : dy;
            if (best == null || distance < best_distance) {
                best = hero;
                best_distance = distance;
            }
        }
        return best;
    }

    // A hero's shout chases off every creature close to it.
    function shoo_from(hero) {
        ::coop_effects.burst(room, hero.get_position(), 6);
        foreach (entity in room.get_entities()) {
            if (entity instanceof Creature && within(hero, entity, SHOO_RADIUS, SHOO_RADIUS)) {
                ::coop_effects.burst(room, entity.get_position(), 10);
                entity.remove_from_room();
                creatures_chased += 1;
                score += POINTS_SHOO;
                ::coop_effects.sound("hit", entity.get_x());
            }
        }
    }

    // Heroes on the ground pick up the gems they touch; a creature that
    // touches a hero on the ground knocks it over and costs a point.
    function resolve_contacts() {
        foreach (entity in room.get_entities()) {
            foreach (hero in heroes) {
                if (hero == null || hero.get_z() > 8 * U)
                    continue;
                if (entity instanceof Gem && within(hero, entity, GEM_REACH, GEM_REACH)) {
                    entity.remove_from_room();
                    gems_collected += 1;
                    score += POINTS_GEM;
                    ::coop_effects.burst(room, entity.get_position(), 8);
                    ::coop_effects.sound("pickup", entity.get_x());
                    break;
                } else if (entity instanceof Creature && hero.stun_ticks == 0 && within(hero, entity, CREATURE_REACH, CREATURE_REACH)) {
                    hero.knock_back_from(entity);
                    hits_taken += 1;
                    if (score > 0)
                        score -= 1;
                    ::coop_effects.sound("hit", hero.get_x());
                }
            }
        }
    }
}

// The room: floor, walls without a top, crates with a top a hero can jump
// onto, and the floor tiles. Built from the world's seed alone.
class Arena extends RoomBase </ static_class = true /> {
    function build(crate_spots) {
        set_ambient_color(170, 165, 200, 255);
        add_static_box_collision([0, 0], [ROOM_WIDTH * U, ROOM_DEPTH * U], 0);
        add_static_box_collision([-20 * U, 0], [0, ROOM_DEPTH * U], -999 * U);
        add_static_box_collision([ROOM_WIDTH * U, 0], [(ROOM_WIDTH + 20) * U, ROOM_DEPTH * U], -999 * U);
        add_static_box_collision([0, (BACK_WALL - 20) * U], [ROOM_WIDTH * U, BACK_WALL * U], -999 * U);
        add_static_box_collision([0, ROOM_DEPTH * U], [ROOM_WIDTH * U, (ROOM_DEPTH + 20) * U], -999 * U);
        for (local x = 16; x < ROOM_WIDTH; x += 32)
            for (local y = BACK_WALL + 8; y < ROOM_DEPTH; y += 16)
                add_decal("tile", 0, [x * U, y * U], 6, 0, [U, U]);
        foreach (spot in crate_spots) {
            local x = spot[0];
            local y = spot[1];
            add_static_box_collision([(x - CRATE_HALF_WIDTH) * U, (y - CRATE_HALF_DEPTH) * U],
                                     [(x + CRATE_HALF_WIDTH) * U, (y + CRATE_HALF_DEPTH) * U], CRATE_HEIGHT * U);
            add_static_clip_object(1, [x * U, (y + CRATE_HALF_DEPTH) * U], 0, [x * U, (y + CRATE_HALF_DEPTH) * U], 7,
                                   ::clip_of("crate"), [U, U]);
        }
    }
}
