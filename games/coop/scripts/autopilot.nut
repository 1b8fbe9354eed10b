// Plays a hero unattended, for tests and benchmarks: a seeded plan changes
// every half second between heading for the nearest gem and wandering; it
// jumps now and then and shouts when a creature comes close. The plan is a
// function of the seed, the player and the tick alone, so two runs with the
// same seed make the same choices from the same state.

class Autopilot {
    seed = 0;

    constructor(value) {
        seed = value & 0x7FFFFFFF;
    }

    function hash(player, step) {
        local h = lcg_next(seed ^ (player * 7919));
        h = lcg_next(h ^ (step & 0x7FFFFFFF));
        return lcg_next(h) >> 8;
    }

    function input(player, tick) {
        local plan = hash(player, tick / 30);
        local world = ::coop_world;
        local hero = world == null ? null : world.heroes[player];
        if (hero == null)
            return wander(plan);
        local entities = world.room.get_entities();
        local gem = nearest(hero, entities, Gem);
        local bits = plan % 5 < 3 && gem != null ? towards(hero, gem) : wander(plan);
        if (hash(player, tick / 9 + 0x100000) % 11 == 0)
            bits = bits | INPUT_JUMP;
        local creature = nearest(hero, entities, Creature);
        if (creature != null && tick % 2 == 0 && within(hero, creature, SHOO_RADIUS - 8, SHOO_RADIUS - 8))
            bits = bits | INPUT_ACTION;
        return bits;
    }

    // One of the eight directions, or standing still.
    function wander(plan) {
        local x = (plan >> 3) % 3;
        local y = (plan >> 6) % 3;
        return (x == 1 ? INPUT_LEFT : x == 2 ? INPUT_RIGHT : 0) | (y == 1 ? INPUT_UP : y == 2 ? INPUT_DOWN : 0);
    }

    function towards(hero, target) {
        local dx = target.get_x() - hero.get_x();
        local dy = target.get_y() - hero.get_y();
        local bits = 0;
        if (dx > 3 * U)
            bits = bits | INPUT_RIGHT;
        else if (dx < -3 * U)
            bits = bits | INPUT_LEFT;
        if (dy > 3 * U)
            bits = bits | INPUT_DOWN;
        else if (dy < -3 * U)
            bits = bits | INPUT_UP;
        return bits;
    }

    function nearest(hero, entities, kind) {
        local best = null;
        local best_distance = 0;
        foreach (entity in entities) {
            if (!(entity instanceof kind))
                continue;
            local distance = absolute(entity.get_x() - hero.get_x()) + absolute(entity.get_y() - hero.get_y());
            if (best == null || distance < best_distance) {
                best = entity;
                best_distance = distance;
            }
        }
        return best;
    }
}
