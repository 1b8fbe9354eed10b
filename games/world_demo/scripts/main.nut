// The world demo: a room of a few hundred balls that wander, bump into each
// other and the walls, hop now and then, shake when hit and throw sparks; a
// few carry lights through a dim room. Esc quits, P or F12 saves
// screenshot.png next to the log.
::System.run_script("scripts/defs.nut");

::random <- RandomGeneratorObject(2024);

class Ball extends EntityBase {
    constructor(x, y) {
        base.constructor();
        set_position([x * U, y * U]);
        set_z(0);
        set_box_collision([-6 * U, -3 * U], [6 * U, 3 * U], 12 * U);
        set_collision_group_and_mask(2, 3);
        set_ifriction(U, U);
        set_movable(true);
        set_shadow_sprite("shadow");
        play_clip("ball", 0, false, true);
        set_rgb(::random.get_random_int(90, 255), ::random.get_random_int(90, 255), ::random.get_random_int(90, 255));
        local angle = ::random.get_random_float(0.0, 6.2831853);
        local speed = ::random.get_random_float(20.0, 60.0);
        set_velocity((cos(angle) * speed * U).tointeger(), (sin(angle) * speed * U).tointeger(), 0);
    }

    function tick() {
        if (is_on_ground() && ::random.get_random_int(0, 600) == 0)
            set_velocity_z(400 * U);
    }

    function on_wall_hit(which) {
        if (which & 1)
            set_velocity_x(-get_velocity_x());
        if (which & 2)
            set_velocity_y(-get_velocity_y());
    }

    function on_collision(other) {
        if (other == null)
            return;
        play_small_hit_shake();
        local at = get_position();
        local room = ::world.room;
        for (local i = 0; i < 3; i += 1) {
            local spark = room.create_particle("spark", at, get_z() + 8 * U, 7, 0, 0);
            room.set_particle_velocity_from_angle_and_speed(spark, ::random.get_random_float(0.0, 1.0), 60.0);
            room.add_particle_velocity(spark, [0.0, 0.0, 120.0]);
            room.set_particle_gravity(spark, 600.0);
            room.set_particle_shadow_sprite(spark, "shadow");
            room.set_particle_box_collision(spark, [-U, -U], [U, U], U);
        }
    }
}

// The room is built once with the map; the balls come and go with the game.
class Playground extends RoomBase </ static_class = true, world_seed = true /> {}
Network.register_state_class("Playground");
Network.register_state_class("Ball");

class World {
    room = null;
    view = null;
    tick_number = 0;
    time = 0.0;
    frames = 0;
    quit_after_frames = 0;
    ball_count = 0;

    function preinit() {
        ::System.register_cvar(CVAR_QUIT_AFTER_FRAMES, 0);
        ::System.register_cvar(CVAR_BALL_COUNT, BALL_COUNT);
    }

    function init() {
        ::System.set_clear_screen(true);
        ::System.set_clear_color(0.0, 0.0, 0.0, 1.0);
        quit_after_frames = ::System.get_cvar_integer(CVAR_QUIT_AFTER_FRAMES);
        ball_count = ::System.get_cvar_integer(CVAR_BALL_COUNT);
        initialize_gorath_globals();
        view = View2d();
        view.set_canvas_size([ROOM_WIDTH, ROOM_DEPTH]);
        fit_view();
        build_room();
        print(WORLD_NAME + ": " + room.get_entity_count() + " entities in the room");
    }

    function fit_view() {
        view.set_viewport_size([ROOM_WIDTH, ROOM_DEPTH]);
        view.fit_viewport_to_screen();
    }

    function screen_resolution_changed() {
        fit_view();
    }

    function build_room() {
        Network.creating_map();
        room = Playground();
        room.set_ambient_color(150, 150, 190, 255);
        // The floor everything stands on, and walls without a top around it.
        room.add_static_box_collision([0, 0], [ROOM_WIDTH * U, ROOM_DEPTH * U], 0);
        room.add_static_box_collision([-20 * U, 0], [0, ROOM_DEPTH * U], -999 * U);
        room.add_static_box_collision([ROOM_WIDTH * U, 0], [(ROOM_WIDTH + 20) * U, ROOM_DEPTH * U], -999 * U);
        room.add_static_box_collision([0, 20 * U], [ROOM_WIDTH * U, 40 * U], -999 * U);
        room.add_static_box_collision([0, ROOM_DEPTH * U], [ROOM_WIDTH * U, (ROOM_DEPTH + 20) * U], -999 * U);
        for (local x = 16; x < ROOM_WIDTH; x += 32)
            for (local y = 48; y < ROOM_DEPTH; y += 16)
                room.add_decal("tile", 0, [x * U, y * U], 6, 0, [U, U]);
        // Crates stand in the room: obstacles with a top the balls can land on.
        foreach (spot in [[120, 110], [360, 110], [240, 200]]) {
            room.add_static_box_collision([(spot[0] - 16) * U, (spot[1] - 8) * U], [(spot[0] + 16) * U, (spot[1] + 8) * U],
                                          32 * U);
            room.add_static_clip_object(1, [spot[0] * U, (spot[1] + 8) * U], 0, [spot[0] * U, (spot[1] + 8) * U], 7,
                                        ::clip_of("crate"), [U, U]);
        }
        Network.map_created();
        for (local i = 0; i < ball_count; i += 1) {
            local ball = Ball(::random.get_random_int(20, ROOM_WIDTH - 20), ::random.get_random_int(50, ROOM_DEPTH - 10));
            if (i % 40 == 0)
                ball.play_light_clip("glow", true);
            room.add_entity(ball);
        }
    }

    function update(dt) {
        frames += 1;
        // A slow frame catches up by two ticks at most and lets the rest
        // go, so that the game slows down rather than falling behind.
        time += dt;
        if (time > 2.0 / TICKS_PER_SECOND)
            time = 2.0 / TICKS_PER_SECOND;
        while (time >= 1.0 / TICKS_PER_SECOND) {
            time -= 1.0 / TICKS_PER_SECOND;
            room.tick(false, tick_number);
            tick_number += 1;
        }
        if (quit_after_frames > 0 && frames >= quit_after_frames) {
            save_screenshot();
            print(WORLD_NAME + ": " + tick_number + " ticks, " + room.get_particle_count() + " particles");
            ::System.request_quit();
        }
    }

    function render() {
        room.render(view);
    }

    function key_down(key) {
        if (key == KEY_ESC)
            ::System.request_quit();
        else if (key == KEY_P || key == KEY_F12)
            save_screenshot();
    }

    function key_up(key) {}

    // Into the save directory, next to the log.
    function save_screenshot() {
        if (::System.save_screenshot("screenshot.png"))
            print(WORLD_NAME + ": saved screenshot.png");
    }

    function shutdown() {
        shutdown_gorath_globals();
        print(WORLD_NAME + ": shutdown after " + frames + " frames");
    }
}

::world <- World();
return ::world;
