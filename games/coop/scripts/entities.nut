// The entities of the room. Their constructors take no arguments: a rollback
// recreates dynamic objects that way and then loads their saved state, so a
// new entity is set up by a separate call. What an entity remembers between
// ticks lives in typed members, which are saved with it.

// A player's hero: walks with the direction bits, jumps, and shouts to chase
// off the creatures around it. Knocked over, it blinks and cannot act.
class Hero extends EntityBase {
    </ type = "sint32" /> player = 0;
    </ type = "sint32" /> buttons = 0;
    </ type = "sint32" /> previous_buttons = 0;
    </ type = "sint32" /> stun_ticks = 0;
    </ type = "sint32" /> cooldown_ticks = 0;

    function setup(slot, x, y) {
        player = slot;
        set_position([x, y]);
        set_z(0);
        set_box_collision([-7 * U, -4 * U], [7 * U, 4 * U], 26 * U);
        set_collision_group_and_mask(GROUP_HERO, GROUP_STATIC);
        set_movable(true);
        set_shadow_sprite("shadow");
        local colour = HERO_COLOURS[slot];
        set_rgb(colour[0], colour[1], colour[2]);
        play_clip("hero_idle", 0, false, true);
    }

    function pressed(bit) {
        return (buttons & bit) != 0 && (previous_buttons & bit) == 0;
    }

    function tick() {
        if (cooldown_ticks > 0)
            cooldown_ticks -= 1;
        if (stun_ticks > 0) {
            stun_ticks -= 1;
            set_alpha(stun_ticks == 0 || (stun_ticks / 4) % 2 == 0 ? 255 : 90);
        } else {
            walk();
            if (pressed(INPUT_JUMP) && is_on_ground())
                set_velocity_z(HERO_JUMP_SPEED * U);
            if (pressed(INPUT_ACTION) && cooldown_ticks == 0) {
                cooldown_ticks = SHOO_COOLDOWN_TICKS;
                ::coop_world.shoo_from(this);
            }
        }
        previous_buttons = buttons;
    }

    function walk() {
        local dx = ((buttons & INPUT_RIGHT) != 0 ? 1 : 0) - ((buttons & INPUT_LEFT) != 0 ? 1 : 0);
        local dy = ((buttons & INPUT_DOWN) != 0 ? 1 : 0) - ((buttons & INPUT_UP) != 0 ? 1 : 0);
        local moving = dx != 0 || dy != 0;
        if (moving) {
            // 46341 is 1/sqrt(2) in Fixed: a diagonal is no faster.
            local speed = dx != 0 && dy != 0 ? fixed_mul(HERO_SPEED * U, 46341) : HERO_SPEED * U;
            set_velocity_x(dx * speed);
            set_velocity_y(dy * speed);
        }
        if (dx != 0)
            set_facing(dx < 0 ? 1 : 0);
        local clip = moving ? "hero_walk" : "hero_idle";
        if (get_clip_name() != clip)
            play_clip(clip, 0, false, true);
    }

    // Thrown away from what hit it; the stun also blocks further hits.
    function knock_back_from(other) {
        stun_ticks = HERO_STUN_TICKS;
        local away_x = get_x() >= other.get_x() ? 1 : -1;
        local away_y = get_y() >= other.get_y() ? 1 : -1;
        set_velocity(away_x * 160 * U, away_y * 80 * U, 260 * U);
        play_hit_shake();
    }
}

// A gem lying on the floor, collected by the first hero that touches it.
class Gem extends EntityBase {
    function setup(position) {
        set_position(position);
        set_z(0);
        set_shadow_sprite("shadow");
        play_clip("gem", 0, false, true);
        play_light_clip("glow", true);
        set_light_clip_offset(0, 0, 8 * U);
    }
}

// A creature that wanders the room, now and then heading for the nearest
// hero. It turns back from walls.
class Creature extends EntityBase {
    </ type = "sint32" /> heading_x = 0;
    </ type = "sint32" /> heading_y = 0;
    </ type = "sint32" /> turn_ticks = 0;

    function setup(x, y, direction) {
        set_position([x, y]);
        set_z(0);
        set_box_collision([-6 * U, -3 * U], [6 * U, 3 * U], 16 * U);
        set_collision_group_and_mask(GROUP_CREATURE, GROUP_STATIC);
        set_ifriction(U, U);
        set_movable(true);
        set_shadow_sprite("shadow");
        set_rgb(200, 170, 255);
        play_clip("creature", 0, false, true);
        heading_x = direction;
        turn_ticks = 60;
    }

    function tick() {
        turn_ticks -= 1;
        if (turn_ticks <= 0)
            choose_heading();
        set_velocity_x(heading_x * CREATURE_SPEED * U);
        set_velocity_y(heading_y * CREATURE_SPEED * U);
        if (heading_x != 0)
            set_facing(heading_x < 0 ? 1 : 0);
    }

    // Two times in three towards the nearest hero, else a random way.
    function choose_heading() {
        local world = ::coop_world;
        turn_ticks = 40 + world.random_below(80);
        local target = world.nearest_hero(this);
        if (target != null && world.random_below(3) != 0) {
            heading_x = sign_towards(get_x(), target.get_x());
            heading_y = sign_towards(get_y(), target.get_y());
        } else {
            heading_x = world.random_below(3) - 1;
            heading_y = world.random_below(3) - 1;
        }
    }

    function sign_towards(from, to) {
        return to > from + 4 * U ? 1 : to < from - 4 * U ? -1 : 0;
    }

    function on_wall_hit(which) {
        if (which & 1)
            heading_x = -heading_x;
        if (which & 2)
            heading_y = -heading_y;
    }
}

Network.register_state_class("WorldSeed");
Network.register_state_class("CoopWorld");
Network.register_state_class("Arena");
Network.register_state_class("Hero");
Network.register_state_class("Gem");
Network.register_state_class("Creature");
